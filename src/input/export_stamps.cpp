#include "input/export_stamps.h"

#include "input/export_text.h"

#include <array>
#include <cstdio>

namespace tsl {

namespace {

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
    // "24/7/5": only a two-digit year first reads a one-digit last number.
    const bool yearFirstShort = stamp.partDigits[2] == 1 && stamp.partDigits[0] == 2 && !stamp.namedMonth;
    return shortLeading && shortMiddle &&
           (stamp.partDigits[2] == 2 || stamp.partDigits[2] == 4 || yearFirstShort);
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
        for (; isDigit(c.peek()); ++c.p)
            if (c.peek() != '0')
                stamp.fraction = true;
    }
    stamp.hasTime = true;
    c.skipBlanks();
    stamp.meridiem = readMeridiem(c);
    c.skipBlanks();
    readZone(c, stamp);
    c.skipBlanks();
    return c.atEnd();
}

} // namespace

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


std::string_view orderName(DateOrder order)
{
    switch (order) {
    case DateOrder::YearFirst:
        return "year first";
    case DateOrder::DayFirst:
        return "day first";
    case DateOrder::MonthFirst:
        return "month first";
    case DateOrder::Unknown:
        break;
    }
    return "no dates";
}

bool OrderSet::has(DateOrder order) const
{
    return (order == DateOrder::YearFirst && yearFirst) || (order == DateOrder::DayFirst && dayFirst) ||
           (order == DateOrder::MonthFirst && monthFirst);
}

OrderSet possibleOrders(const RawStamp& s)
{
    OrderSet set;
    if (!s.hasDate)
        return set;
    if (s.namedMonth == 2)
        set.dayFirst = true;
    else if (s.namedMonth == 1)
        set.monthFirst = true;
    else if (s.partDigits[0] == 4)
        set.yearFirst = true;
    else {
        set.dayFirst = set.monthFirst = s.partDigits[2] != 1;
        set.yearFirst = s.partDigits[0] == 2 && s.partDigits[2] <= 2;
    }
    return set;
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
    } else if (s.partDigits[0] == 4 || order == DateOrder::YearFirst) {
        t = {s.part[0], s.part[1], s.part[2], 0, 0, 0};
        yearDigits = s.partDigits[0];
        if (yearDigits != 4 && !possibleOrders(s).yearFirst)
            return std::nullopt;
    } else if (order == DateOrder::DayFirst && s.partDigits[2] != 1) {
        t = {s.part[2], s.part[1], s.part[0], 0, 0, 0};
        yearDigits = s.partDigits[2];
    } else if (order == DateOrder::MonthFirst && s.partDigits[2] != 1) {
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

namespace {

long long daysFromCivil(long long y, long long m, long long d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long long floorDiv(long long a, long long b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

} // namespace

long long wallSeconds(const WallTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

WallTime wallTimeAt(long long seconds)
{
    const long long days = floorDiv(seconds, 86400);
    const long long rest = seconds - days * 86400;
    const long long z = days + 719468;
    const long long era = floorDiv(z, 146097);
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d), static_cast<int>(rest / 3600),
            static_cast<int>(rest % 3600 / 60), static_cast<int>(rest % 60)};
}

std::string formatWallTime(const WallTime& t)
{
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string formatStep(long long seconds)
{
    if (seconds <= 0)
        return "none";
    if (seconds % 86400 == 0)
        return std::to_string(seconds / 86400) + (seconds == 86400 ? " day" : " days");
    std::string text;
    if (seconds >= 86400)
        text = std::to_string(seconds / 86400) + " d";
    if (seconds % 86400 >= 3600)
        text += (text.empty() ? "" : " ") + std::to_string(seconds % 86400 / 3600) + " h";
    if (seconds % 3600 >= 60)
        text += (text.empty() ? "" : " ") + std::to_string(seconds % 3600 / 60) + " min";
    if (seconds % 60)
        text += (text.empty() ? "" : " ") + std::to_string(seconds % 60) + " s";
    return text;
}

} // namespace tsl
