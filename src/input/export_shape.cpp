#include "input/export_shape.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

namespace tsl {

namespace {

// Lines looked at to find the delimiter, the header and the time columns.
constexpr std::size_t sampleLines = 200;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string fromUtf16(std::string_view bytes, bool bigEndian)
{
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit = [&](std::size_t i) {
        const unsigned a = static_cast<unsigned char>(bytes[i]);
        const unsigned b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        unsigned code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size()) {
            const unsigned low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, code);
    }
    return out;
}

// Whether the bytes are well-formed UTF-8 (and whether any byte is above 127).
bool validUtf8(std::string_view bytes, bool& wide)
{
    wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        if (follow)
            wide = true;
        for (int k = 1; k <= follow; ++k)
            if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += 1 + follow;
    }
    return true;
}

// A cursor over a stamp's text.
struct Cursor {
    std::string_view s;
    std::size_t p = 0;
    bool atEnd() const { return p >= s.size(); }
    char peek(std::size_t ahead = 0) const { return p + ahead < s.size() ? s[p + ahead] : '\0'; }
    void skipBlanks()
    {
        while (!atEnd() && s[p] == ' ')
            ++p;
    }
};

// Up to maxDigits decimal digits; the count read goes to digits (0: none).
int readNumber(Cursor& c, int maxDigits, int& digits)
{
    int value = 0;
    digits = 0;
    while (digits < maxDigits && isDigit(c.peek())) {
        value = value * 10 + (c.peek() - '0');
        ++c.p;
        ++digits;
    }
    return value;
}

constexpr std::array<std::string_view, 12> monthNames{"january", "february", "march",     "april",
                                                      "may",     "june",     "july",      "august",
                                                      "september", "october", "november", "december"};

// "May", "MAY", "Sept", "September": a month name of at least three letters.
int readMonthName(Cursor& c)
{
    std::size_t end = c.p;
    while (end < c.s.size() && isLetter(c.s[end]))
        ++end;
    const std::size_t length = end - c.p;
    if (length < 3)
        return 0;
    std::string word;
    for (std::size_t i = c.p; i < end; ++i)
        word += lower(c.s[i]);
    for (std::size_t m = 0; m < monthNames.size(); ++m) {
        if (monthNames[m].substr(0, std::min(length, monthNames[m].size())) == word && length <= monthNames[m].size()) {
            c.p = end;
            return static_cast<int>(m) + 1;
        }
    }
    return 0;
}

// One part of a date: a number of up to four digits, or a month name.
bool readDatePart(Cursor& c, RawStamp& stamp, int index)
{
    if (isDigit(c.peek())) {
        stamp.part[index] = readNumber(c, 4, stamp.partDigits[index]);
        return !isDigit(c.peek());
    }
    if (index > 1 || stamp.namedMonth)
        return false;
    const int month = readMonthName(c);
    if (!month)
        return false;
    stamp.part[index] = month;
    stamp.namedMonth = index + 1;
    return true;
}

bool readSeparatedDate(Cursor& c, RawStamp& stamp)
{
    if (!readDatePart(c, stamp, 0))
        return false;
    const char separator = c.peek();
    if (separator != '/' && separator != '-' && separator != '.')
        return false;
    ++c.p;
    if (!readDatePart(c, stamp, 1) || c.peek() != separator)
        return false;
    ++c.p;
    if (!readDatePart(c, stamp, 2) || stamp.namedMonth == 3)
        return false;
    const bool yearFirst = stamp.partDigits[0] == 4 && !stamp.namedMonth;
    if (yearFirst)
        return stamp.partDigits[1] <= 2 && stamp.partDigits[2] <= 2 && stamp.partDigits[2] > 0;
    const bool shortLeading = stamp.namedMonth == 1 || stamp.partDigits[0] <= 2;
    const bool shortMiddle = stamp.namedMonth == 2 || stamp.partDigits[1] <= 2;
    return shortLeading && shortMiddle && (stamp.partDigits[2] == 2 || stamp.partDigits[2] == 4);
}

// "20150102": year, month and day run together.
bool readCompactDate(Cursor& c, RawStamp& stamp)
{
    int digits = 0;
    const std::size_t start = c.p;
    for (std::size_t i = start; i < c.s.size() && isDigit(c.s[i]); ++i)
        ++digits;
    if (digits != 8)
        return false;
    stamp.part[0] = readNumber(c, 4, stamp.partDigits[0]);
    stamp.part[1] = readNumber(c, 2, stamp.partDigits[1]);
    stamp.part[2] = readNumber(c, 2, stamp.partDigits[2]);
    return true;
}

bool readWord(Cursor& c, std::string_view word)
{
    if (c.s.size() - c.p < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (lower(c.s[c.p + i]) != word[i])
            return false;
    if (isLetter(c.peek(word.size())))
        return false;
    c.p += word.size();
    return true;
}

Meridiem readMeridiem(Cursor& c)
{
    for (std::string_view word : {"a.m.", "am", "a"})
        if (readWord(c, word))
            return Meridiem::Am;
    for (std::string_view word : {"p.m.", "pm", "p"})
        if (readWord(c, word))
            return Meridiem::Pm;
    return Meridiem::None;
}

// "+01:00", "-0500", "+01" after a zone name or a time.
bool readOffset(Cursor& c, std::string& zone)
{
    const char sign = c.peek();
    if ((sign != '+' && sign != '-') || !isDigit(c.peek(1)))
        return false;
    const std::size_t start = c.p++;
    int digits = 0;
    readNumber(c, 2, digits);
    if (c.peek() == ':' && isDigit(c.peek(1)))
        ++c.p;
    readNumber(c, 2, digits);
    zone += std::string(c.s.substr(start, c.p - start));
    return true;
}

void readZone(Cursor& c, RawStamp& stamp)
{
    if (c.peek() == 'Z' && !isLetter(c.peek(1))) {
        ++c.p;
        stamp.zone = "Z";
        return;
    }
    if (readOffset(c, stamp.zone))
        return;
    std::size_t end = c.p;
    while (end < c.s.size() && end - c.p < 6 && c.s[end] >= 'A' && c.s[end] <= 'Z')
        ++end;
    if (end - c.p < 2 || isLetter(end < c.s.size() ? c.s[end] : '\0'))
        return;
    stamp.zone = std::string(c.s.substr(c.p, end - c.p));
    c.p = end;
    readOffset(c, stamp.zone);
}

// "12:15", "12:15:00", "12:15:00.5", "121500" (after a compact date).
bool readTime(Cursor& c, RawStamp& stamp, bool compact)
{
    int digits = 0;
    if (compact && isDigit(c.peek(2)) && !isDigit(c.peek(6))) {
        stamp.hour = readNumber(c, 2, digits);
        stamp.minute = readNumber(c, 2, digits);
        if (digits != 2)
            return false;
        stamp.second = readNumber(c, 2, digits);
    } else {
        stamp.hour = readNumber(c, 2, digits);
        if (!digits || c.peek() != ':')
            return false;
        ++c.p;
        stamp.minute = readNumber(c, 2, digits);
        if (digits != 2)
            return false;
        if (c.peek() == ':') {
            ++c.p;
            stamp.second = readNumber(c, 2, digits);
            if (digits != 2)
                return false;
        }
    }
    if (c.peek() == '.' && isDigit(c.peek(1))) {
        ++c.p;
        while (isDigit(c.peek()))
            ++c.p;
    }
    stamp.hasTime = true;
    c.skipBlanks();
    stamp.meridiem = readMeridiem(c);
    c.skipBlanks();
    readZone(c, stamp);
    c.skipBlanks();
    return c.atEnd();
}

bool isInteger(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return false;
    return std::all_of(text.begin(), text.end(), isDigit);
}

// The delimiter that splits most sample lines into the same number of fields
// (two or more). Ties go to ';' and TAB, which rarely occur unless they
// delimit, before ',' (a decimal comma).
std::optional<char> chooseDelimiter(const std::vector<std::string_view>& lines)
{
    std::optional<char> best;
    std::size_t bestLines = 0;
    for (char candidate : {';', '\t', ','}) {
        std::map<std::size_t, std::size_t> counts;
        std::size_t seen = 0;
        for (std::string_view line : lines) {
            if (trimmed(line).empty())
                continue;
            if (++seen > sampleLines)
                break;
            const std::size_t fields = splitFields(line, candidate).size();
            if (fields >= 2)
                ++counts[fields];
        }
        for (const auto& [fields, many] : counts) {
            if (many > bestLines) {
                bestLines = many;
                best = candidate;
            }
        }
    }
    return best;
}

bool hasDate(std::string_view field)
{
    const std::optional<RawStamp> stamp = parseStamp(trimmed(field));
    return stamp && stamp->hasDate;
}

bool isTimeOnly(std::string_view field)
{
    const std::optional<RawStamp> stamp = parseStamp(trimmed(field));
    return stamp && stamp->hasTime && !stamp->hasDate;
}

// Which of the two leading numbers of a day-month date is the day, from the
// values (above 12) or, failing that, from which one counts up from one
// date to the next.
bool decideOrder(ExportShape& shape, const std::vector<RawStamp>& stamps, std::string& refusal)
{
    bool firstAbove12 = false, secondAbove12 = false, ambiguous = false;
    for (const RawStamp& s : stamps) {
        if (s.namedMonth || s.partDigits[0] == 4)
            continue;
        ambiguous = true;
        firstAbove12 = firstAbove12 || s.part[0] > 12;
        secondAbove12 = secondAbove12 || s.part[1] > 12;
    }
    if (!ambiguous) {
        shape.order = DateOrder::YearFirst;
        for (const RawStamp& s : stamps)
            if (s.namedMonth) {
                shape.order = s.namedMonth == 2 ? DateOrder::DayFirst : DateOrder::MonthFirst;
                shape.orderReason = "month names";
                break;
            }
        if (shape.order == DateOrder::YearFirst)
            shape.orderReason = "four-digit year first";
        return true;
    }
    if (firstAbove12 && secondAbove12) {
        refusal = "the first number of some dates and the second of others is above 12: the dates are neither "
                  "all day-first nor all month-first";
        return false;
    }
    if (firstAbove12 || secondAbove12) {
        shape.order = firstAbove12 ? DateOrder::DayFirst : DateOrder::MonthFirst;
        shape.orderReason = firstAbove12 ? "day-first: the first number goes above 12"
                                         : "month-first: the second number goes above 12";
        return true;
    }
    int firstCounts = 0, secondCounts = 0;
    const RawStamp* previous = nullptr;
    for (const RawStamp& s : stamps) {
        if (s.namedMonth || s.partDigits[0] == 4)
            continue;
        if (previous && previous->part[2] == s.part[2]) {
            const bool firstMoved = previous->part[0] != s.part[0];
            const bool secondMoved = previous->part[1] != s.part[1];
            if (firstMoved && !secondMoved && std::abs(s.part[0] - previous->part[0]) == 1)
                ++firstCounts;
            if (secondMoved && !firstMoved && std::abs(s.part[1] - previous->part[1]) == 1)
                ++secondCounts;
        }
        previous = &s;
    }
    if (firstCounts > 3 * secondCounts && firstCounts > 0) {
        shape.order = DateOrder::DayFirst;
        shape.orderReason = "day-first: the first number counts the days from line to line";
        return true;
    }
    if (secondCounts > 3 * firstCounts && secondCounts > 0) {
        shape.order = DateOrder::MonthFirst;
        shape.orderReason = "month-first: the second number counts the days from line to line";
        return true;
    }
    refusal = "cannot tell day-first from month-first: no day or month is above 12 and the dates do not show "
              "which number counts the days";
    return false;
}

// Heading words of a time stamp column in a file that has a header only.
bool looksLikeTimeHeading(std::string_view label)
{
    std::string word;
    for (char c : trimmed(label))
        word += lower(c);
    for (std::string_view heading : {"date", "time", "times", "timestamp", "datetime", "date/time", "date time"})
        if (word == heading)
            return true;
    return false;
}

void headerOnlyShape(ExportShape& shape, const std::vector<std::string_view>& lines, std::size_t headerLine)
{
    shape.headerLine = headerLine;
    shape.firstDataLine = lines.size();
    const std::vector<std::string> fields = splitFields(lines[headerLine], shape.delimiter, &shape.quoted);
    shape.dateColumn = 0;
    if (!fields.empty())
        shape.timeHeading = std::string(trimmed(fields[0]));
    for (std::size_t c = 1; c < fields.size(); ++c) {
        if (c == 1 && looksLikeTimeHeading(fields[c])) {
            shape.timeColumn = 1;
            continue;
        }
        shape.valueColumns.push_back(static_cast<int>(c));
        shape.headerLabels.push_back(fields[c]);
    }
}

} // namespace

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

DecodedExport decodeExport(std::string_view bytes)
{
    DecodedExport out;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        out.byteOrderMark = true;
        bytes.remove_prefix(3);
    } else if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        const bool bigEndian = bytes[0] == '\xFE';
        out.byteOrderMark = true;
        out.encoding = bigEndian ? "UTF-16BE" : "UTF-16LE";
        out.text = fromUtf16(bytes.substr(2), bigEndian);
        return out;
    }
    bool wide = false;
    if (validUtf8(bytes, wide)) {
        out.encoding = (wide || out.byteOrderMark) ? "UTF-8" : "ASCII";
        out.text = std::string(bytes);
        return out;
    }
    out.encoding = "Latin-1";
    for (char c : bytes)
        appendUtf8(out.text, static_cast<unsigned char>(c));
    return out;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\n' && text[i] != '\r')
            continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::string> splitFields(std::string_view line, char delimiter, bool* sawQuotes)
{
    std::vector<std::string> fields;
    std::string field;
    std::size_t i = 0;
    while (true) {
        field.clear();
        std::size_t lead = i;
        while (lead < line.size() && line[lead] == ' ')
            ++lead;
        if (lead < line.size() && line[lead] == '"') {
            if (sawQuotes)
                *sawQuotes = true;
            i = lead + 1;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        while (i < line.size() && line[i] != delimiter)
            field += line[i++];
        fields.push_back(field);
        if (i >= line.size())
            break;
        ++i;
    }
    return fields;
}

std::optional<RawStamp> parseStamp(std::string_view text)
{
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    RawStamp stamp;
    Cursor c{text};
    bool compact = false;
    if (readSeparatedDate(c, stamp)) {
        stamp.hasDate = true;
    } else {
        stamp = RawStamp{};
        c.p = 0;
        compact = readCompactDate(c, stamp);
        stamp.hasDate = compact;
        if (!compact) {
            stamp = RawStamp{};
            c.p = 0;
        }
    }
    if (stamp.hasDate) {
        if (c.atEnd())
            return stamp;
        const char between = c.peek();
        if (between != ' ' && between != 'T' && !(compact && between == '-'))
            return std::nullopt;
        ++c.p;
        c.skipBlanks();
    }
    if (!readTime(c, stamp, compact))
        return std::nullopt;
    return stamp;
}

std::optional<WallTime> resolveStamp(const RawStamp& s, DateOrder order)
{
    if (!s.hasDate)
        return std::nullopt;
    WallTime t;
    int yearDigits = 0;
    if (s.namedMonth == 2) {
        t = {s.part[2], s.part[1], s.part[0], 0, 0, 0};
        yearDigits = s.partDigits[2];
    } else if (s.namedMonth == 1) {
        t = {s.part[2], s.part[0], s.part[1], 0, 0, 0};
        yearDigits = s.partDigits[2];
    } else if (s.partDigits[0] == 4) {
        t = {s.part[0], s.part[1], s.part[2], 0, 0, 0};
        yearDigits = 4;
    } else if (order == DateOrder::DayFirst) {
        t = {s.part[2], s.part[1], s.part[0], 0, 0, 0};
        yearDigits = s.partDigits[2];
    } else if (order == DateOrder::MonthFirst) {
        t = {s.part[2], s.part[0], s.part[1], 0, 0, 0};
        yearDigits = s.partDigits[2];
    } else {
        return std::nullopt;
    }
    if (yearDigits == 2)
        t.year += t.year < 90 ? 2000 : 1900;
    else if (yearDigits != 4)
        return std::nullopt;

    t.hour = s.hour;
    t.minute = s.minute;
    t.second = s.second;
    if (s.meridiem != Meridiem::None) {
        if (s.hour > 12)
            return std::nullopt;
        if (s.meridiem == Meridiem::Am && s.hour == 12)
            t.hour = 0;
        if (s.meridiem == Meridiem::Pm && s.hour < 12)
            t.hour = s.hour + 12;
    }
    static constexpr int monthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > monthDays[t.month - 1])
        return std::nullopt;
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    if (t.month == 2 && t.day == 29 && !leap)
        return std::nullopt;
    if (t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

std::string stampText(const ExportShape& shape, const std::vector<std::string>& fields)
{
    if (shape.dateColumn < 0 || static_cast<std::size_t>(shape.dateColumn) >= fields.size())
        return {};
    std::string text(trimmed(fields[shape.dateColumn]));
    if (shape.timeColumn >= 0) {
        if (static_cast<std::size_t>(shape.timeColumn) >= fields.size())
            return {};
        text += ' ';
        text += trimmed(fields[shape.timeColumn]);
    }
    return text;
}

ShapeResult findExportShape(std::string_view bytes)
{
    ShapeResult result;
    ExportShape shape;
    shape.decoded = decodeExport(bytes);
    const std::vector<std::string_view> lines = splitLines(shape.decoded.text);
    std::vector<std::size_t> nonEmpty;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!trimmed(lines[i]).empty())
            nonEmpty.push_back(i);
    if (nonEmpty.empty()) {
        result.refusal = "the file holds no text";
        return result;
    }
    const std::optional<char> delimiter = chooseDelimiter(lines);
    if (!delimiter) {
        result.refusal = "no delimiter (',' ';' or TAB) splits its lines into fields";
        return result;
    }
    shape.delimiter = *delimiter;

    // The first line with a date among its first fields starts the data.
    std::optional<std::size_t> firstData;
    for (std::size_t k = 0; k < nonEmpty.size() && k < sampleLines && !firstData; ++k) {
        const std::vector<std::string> fields = splitFields(lines[nonEmpty[k]], shape.delimiter);
        for (std::size_t j = 0; j < fields.size() && j < 3; ++j) {
            if (hasDate(fields[j])) {
                firstData = nonEmpty[k];
                shape.dateColumn = static_cast<int>(j);
                break;
            }
        }
    }
    if (!firstData) {
        if (nonEmpty.size() == 1) {
            headerOnlyShape(shape, lines, nonEmpty[0]);
            result.shape = std::move(shape);
            return result;
        }
        result.refusal = "none of its first lines starts with a date and time that can be read";
        return result;
    }
    shape.firstDataLine = *firstData;
    std::vector<std::string> header;
    shape.hasHeader = false;
    shape.headerLine = shape.firstDataLine;
    for (std::size_t k = 0; k < nonEmpty.size() && nonEmpty[k] < shape.firstDataLine; ++k) {
        if (shape.hasHeader)
            shape.titleLines.emplace_back(lines[shape.headerLine]);
        shape.headerLine = nonEmpty[k];
        shape.hasHeader = true;
    }
    if (shape.hasHeader)
        header = splitFields(lines[shape.headerLine], shape.delimiter, &shape.quoted);

    // A sample of data rows decides the columns.
    std::vector<std::vector<std::string>> sample;
    for (std::size_t i = shape.firstDataLine; i < lines.size() && sample.size() < sampleLines; ++i)
        if (!trimmed(lines[i]).empty())
            sample.push_back(splitFields(lines[i], shape.delimiter, &shape.quoted));
    const std::vector<std::string>& first = sample.front();
    const std::optional<RawStamp> firstStamp = parseStamp(trimmed(first[shape.dateColumn]));
    if (firstStamp && !firstStamp->hasTime && static_cast<std::size_t>(shape.dateColumn) + 1 < first.size() &&
        isTimeOnly(first[shape.dateColumn + 1]))
        shape.timeColumn = shape.dateColumn + 1;

    std::map<std::size_t, std::size_t> widths;
    for (const auto& row : sample)
        ++widths[row.size()];
    std::size_t width = header.size();
    for (const auto& [w, many] : widths)
        if (many * 2 > sample.size())
            width = std::max(width, w);

    auto headingOf = [&](std::size_t c) { return c < header.size() ? std::string(trimmed(header[c])) : std::string(); };
    shape.timeHeading = headingOf(shape.dateColumn);
    if (shape.timeColumn >= 0)
        shape.timeHeading += " " + headingOf(shape.timeColumn);
    for (std::size_t c = 0; c < width; ++c) {
        if (static_cast<int>(c) == shape.dateColumn || static_cast<int>(c) == shape.timeColumn)
            continue;
        bool allIntegers = true, allStamps = true, anyValue = false;
        for (const auto& row : sample) {
            if (c >= row.size() || trimmed(row[c]).empty())
                continue;
            anyValue = true;
            allIntegers = allIntegers && isInteger(row[c]);
            allStamps = allStamps && hasDate(row[c]);
        }
        if (static_cast<int>(c) < shape.dateColumn) {
            shape.droppedColumns.push_back(static_cast<int>(c));
            shape.droppedColumnNames.push_back((allIntegers && anyValue ? "row number '" : "before the time stamp '") +
                                               headingOf(c) + "'");
            continue;
        }
        if (anyValue && allStamps) {
            shape.droppedColumns.push_back(static_cast<int>(c));
            shape.droppedColumnNames.push_back("further time stamp '" + headingOf(c) + "'");
            continue;
        }
        shape.valueColumns.push_back(static_cast<int>(c));
        shape.headerLabels.push_back(headingOf(c));
        if (shape.delimiter != ',')
            for (const auto& row : sample)
                if (c < row.size() && trimmed(row[c]).find(',') != std::string_view::npos)
                    shape.decimalComma = true;
    }

    // Every row's stamp: the date order, clock and zones.
    std::vector<RawStamp> stamps;
    for (std::size_t i = shape.firstDataLine; i < lines.size(); ++i) {
        if (trimmed(lines[i]).empty())
            continue;
        const std::optional<RawStamp> stamp = parseStamp(stampText(shape, splitFields(lines[i], shape.delimiter)));
        if (!stamp || !stamp->hasDate)
            continue;
        shape.monthNames = shape.monthNames || stamp->namedMonth;
        shape.twelveHour = shape.twelveHour || stamp->meridiem != Meridiem::None;
        if (!stamp->zone.empty())
            shape.zones.insert(stamp->zone);
        shape.yearDigits = stamp->partDigits[stamp->partDigits[0] == 4 ? 0 : 2];
        stamps.push_back(*stamp);
    }
    if (!decideOrder(shape, stamps, result.refusal))
        return result;
    result.shape = std::move(shape);
    return result;
}

std::string describeStampForm(const ExportShape& shape)
{
    std::string form;
    switch (shape.order) {
    case DateOrder::YearFirst:
        form = "year first";
        break;
    case DateOrder::DayFirst:
        form = shape.monthNames ? "day, month name, year" : "day first";
        break;
    case DateOrder::MonthFirst:
        form = shape.monthNames ? "month name, day, year" : "month first";
        break;
    case DateOrder::Unknown:
        form = "no dates";
        break;
    }
    form += shape.yearDigits == 2 ? ", two-digit year" : ", four-digit year";
    if (shape.timeColumn >= 0)
        form += ", time in its own column";
    form += shape.twelveHour ? ", 12-hour clock" : ", 24-hour clock";
    return form;
}

} // namespace tsl
