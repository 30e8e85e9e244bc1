#include "input/date_formats.h"

#include "app/command_context.h"
#include "tree/data_tree.h"

#include <climits>
#include <cstring>

namespace tsl {

int leadingColumns(DateFormatId format)
{
    if (format >= 0 && format < static_cast<int>(dateLayouts.size()))
        return dateLayouts[static_cast<std::size_t>(format)].leadingColumns;
    return 2;
}

namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A number as the C library's atoi reads it: white space, an optional sign,
// digits up to the first other character; 0 without digits. Values beyond
// an int are held at its limits.
int readInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (value < 10'000'000'000LL)
            value = value * 10 + (text[i] - '0');
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

// The line from position on; positions past its end give the empty text.
std::string_view from(std::string_view line, std::size_t position)
{
    return position < line.size() ? line.substr(position) : std::string_view();
}

char at(std::string_view line, std::size_t position)
{
    return position < line.size() ? line[position] : '\0';
}

std::size_t find(std::string_view line, char c, std::size_t position)
{
    if (position >= line.size())
        return npos;
    return line.find(c, position);
}

char lineDelimiter(std::string_view line)
{
    for (char c : {',', ';', '\t'})
        if (line.find(c) != npos)
            return c;
    return '\0';
}

int twoDigitYear(int year)
{
    if (year < 90)
        year += 2000;
    if (year < 2000)
        year += 1900;
    return year;
}

void logMismatch(CommandContext& context, const char* text)
{
    context.log().append(text);
    context.log().showLast();
}

const char* const slashMismatch = "ERROR- Date/Time format mismatch.";
const char* const fixedMismatch = "ERROR-Date/Time format mismatch.";
const char* const noDelimiterAfterDate = "FORMAT ERROR: No delmiters found after date.  Check file format.";

// A line whose date sits behind a 21-character lead field: the first time
// one is met, the template's first two labels (the lead field's and the
// date's) go, and the file's label count with them.
std::size_t applyLinePrefixRule(CommandContext& context, std::string_view line)
{
    constexpr std::size_t leadWidth = 21;
    if (find(line, ':', leadWidth) == npos)
        return 0;
    ReadingState& reading = context.reading();
    if (!reading.leadingLabelsTrimmed) {
        DataTree& tree = context.tree();
        DataNode* templateNode = tree.findNode(tree.root(), "template");
        for (int removed = 0; removed < 2 && templateNode;) {
            DataNode* label = templateNode->firstChild();
            while (label && label->name() != "label")
                label = label->nextSibling();
            if (!label)
                break;
            tree.deleteNode(label);
            ++removed;
        }
        reading.labelCount -= 2;
        reading.leadingLabelsTrimmed = 1;
    }
    return leadWidth;
}

// The three numbers of a slash date in the layout's order: day first
// (0, 2), month first (1, 3), or year first; layouts 0 to 3 write two-digit
// years.
[[gnu::always_inline]] inline void setSlashDate(DateFormatId format, int first, int second, int third, DateTimeFields& fields)
{
    if (format <= 3)
        third = twoDigitYear(third);
    if (format == 0 || format == 2) {
        fields.day = first;
        fields.month = second;
        fields.year = third;
    } else if (format == 1 || format == 3) {
        fields.month = first;
        fields.day = second;
        fields.year = third;
    } else {
        fields.year = first;
        fields.month = second;
        fields.day = third;
    }
}

// The time follows a blank inside the date field, or the delimiter; a start
// found far away belongs to something else, and the time is taken to follow
// a four-digit year. rest is the place after the date's second slash.
[[gnu::always_inline]] inline std::size_t slashTimeStart(std::string_view line, std::size_t rest, char delimiter)
{
    std::size_t timeStart = npos;
    std::size_t blank = find(line, ' ', rest);
    if (blank != npos && find(line, ':', blank + 1) != npos)
        timeStart = blank;
    else if (delimiter != '\0')
        timeStart = find(line, delimiter, rest);
    if (timeStart == npos || timeStart - rest > 15)
        timeStart = rest + 4;
    return timeStart;
}

// Hour, minute and optional second after timeStart; the place after the
// last colon read, or npos when the time has no minute colon.
[[gnu::always_inline]] inline std::size_t readSlashTime(std::string_view line, std::size_t timeStart, DateTimeFields& fields)
{
    const std::size_t hourAt = timeStart + 1;
    std::size_t minuteColon = find(line, ':', hourAt);
    if (minuteColon == npos)
        return npos;
    fields.hour = readInt(from(line, hourAt));
    fields.minute = readInt(from(line, minuteColon + 1));
    std::size_t secondColon = find(line, ':', minuteColon + 1);
    if (secondColon == npos) {
        fields.second = 0;
        return minuteColon + 1;
    }
    fields.second = readInt(from(line, secondColon + 1));
    return secondColon + 1;
}

std::size_t parseSlashFamily(CommandContext& context, std::string_view line, char delimiter,
                             DateFormatId format, DateTimeFields& fields)
{
    std::size_t start = applyLinePrefixRule(context, line);
    while (at(line, start) == ' ')
        ++start;

    std::size_t firstSlash = find(line, '/', start);
    std::size_t secondSlash = firstSlash == npos ? npos : find(line, '/', firstSlash + 1);
    if (secondSlash == npos) {
        logMismatch(context, slashMismatch);
        return npos;
    }
    setSlashDate(format, readInt(from(line, start)), readInt(from(line, firstSlash + 1)),
                 readInt(from(line, secondSlash + 1)), fields);

    const std::size_t lastField = readSlashTime(line, slashTimeStart(line, secondSlash + 1, delimiter), fields);
    if (lastField == npos) {
        logMismatch(context, slashMismatch);
        return npos;
    }
    std::size_t readings = delimiter == '\0' ? npos : find(line, delimiter, lastField);
    if (readings == npos) {
        context.log().append(noDelimiterAfterDate);
        return npos;
    }
    return readings + 1;
}

struct FixedPositions {
    std::size_t yearWidth;
    std::size_t month, day, hour, minute, second;
};

FixedPositions fixedPositions(DateFormatId format, std::string_view line)
{
    auto step = [&](std::size_t index) -> std::size_t { return at(line, index) == ':' ? 3 : 2; };
    switch (format) {
    case 5: {
        std::size_t s = step(9);
        return {2, 2, 4, 7, 7 + s, 7 + 2 * s};
    }
    case 6:
    case 7:
    case 8:
    case 9: {
        std::size_t s = step(11);
        return {4, 4, 6, 9, 9 + s, 9 + 2 * s};
    }
    case 10: {
        std::size_t s = step(13);
        return {5, 5, 8, 11, 11 + s, 11 + 2 * s};
    }
    case 11:
        return {4, 4, 6, 9, 11, 13};
    default: {
        std::size_t h = at(line, 7) == ' ' ? 8 : 7;
        return {2, 2, 4, h, h + 2, h + 4};
    }
    }
}

// Reads the zone after the seconds of layouts 10 and 11 into zoneLetter;
// returns the UTC offset's sign ('+' or '-') and its size in seconds, or 0.
std::pair<char, long long> readZone(CommandContext& context, std::string_view line, DateFormatId format)
{
    char zone;
    if (format == 11)
        zone = at(line, 15) == ',' ? 'Z' : at(line, 15);
    else
        zone = at(line, 18) == ',' ? 'Z' : at(line, 19);

    if (format == 10 && (zone == '+' || zone == '-')) {
        context.reading().zoneLetter = zone;
        int hours = readInt(from(line, 20));
        int minutes = readInt(from(line, 23));
        int limit = zone == '-' ? 12 : 14;
        if (hours > limit || hours < 0 || minutes < 0 || minutes > 60)
            return {zone, 0};
        return {zone, (static_cast<long long>(hours) * 60 + minutes) * 60};
    }
    if (zone != 'Z' && !(zone >= 'A' && zone <= 'Z' && zone != 'J'))
        zone = 'Z';
    context.reading().zoneLetter = zone;
    return {zone, 0};
}

void applyOffset(DateTimeFields& fields, char sign, long long offset)
{
    std::time_t t = makeLocalTime(fields.year, fields.month, fields.day, fields.hour, fields.minute,
                                  fields.second);
    t += sign == '+' ? offset : -offset;
    std::tm local = localFields(t);
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
}

std::size_t parseFixedFamily(CommandContext& context, std::string_view line, char delimiter,
                             DateFormatId format, DateTimeFields& fields, bool& emptyFirstField)
{
    std::size_t start = 0;
    if (format == 9) {
        std::size_t firstDelimiter = delimiter == '\0' ? npos : find(line, delimiter, 0);
        if (firstDelimiter == npos)
            return npos;
        start = firstDelimiter + 1;
        while (at(line, start) == ' ')
            ++start;
    }
    const FixedPositions p = fixedPositions(format, line);
    auto cut = [&](std::size_t offset, std::size_t width) {
        std::string_view field = from(line, start + offset);
        return readInt(field.substr(0, width));
    };
    fields.year = twoDigitYear(cut(0, p.yearWidth));
    fields.month = cut(p.month, 2);
    fields.day = cut(p.day, 2);
    fields.hour = cut(p.hour, 2);
    fields.minute = cut(p.minute, 2);
    fields.second = cut(p.second, 2);

    if (format == 10 || format == 11) {
        auto [sign, offset] = readZone(context, line, format);
        if (offset >= 60)
            applyOffset(fields, sign, offset);
    }

    std::size_t readings = delimiter == '\0' ? npos : find(line, delimiter, 0);
    if (readings != npos && (format == 8 || format == 9 || format == 12))
        readings = find(line, delimiter, readings + 1);
    if (readings == npos) {
        context.log().append(noDelimiterAfterDate);
        return npos;
    }
    ++readings;
    emptyFirstField = at(line, readings) == delimiter;
    if (emptyFirstField)
        ++readings;
    return readings;
}

bool inRange(CommandContext& context, const DateTimeFields& fields)
{
    const char* problem = nullptr;
    if (fields.day < 1 || fields.day > 31)
        problem = "DATE ERROR: day out of range.";
    else if (fields.month < 1 || fields.month > 12)
        problem = "DATE ERROR: month out of range.";
    else if (fields.year < 1900 || fields.year > 2050)
        problem = "DATE ERROR: year out of range.";
    if (problem)
        context.log().append(problem);
    return problem == nullptr;
}

} // namespace

const char* parseDateTime(CommandContext& context, const char* line, DateTimeFields& fields, bool* emptyFirstField)
{
    return parseDateTime(context, std::string_view(line), fields, emptyFirstField);
}

const char* parseDateTime(CommandContext& context, std::string_view text, DateTimeFields& fields,
                          bool* emptyFirstField)
{
    bool passedOver = false;
    const char* line = text.data();
    const DateFormatId format = context.dateFormat();
    const char delimiter = lineDelimiter(text);

    std::size_t readings;
    if (text.find('/') != npos) {
        if (format < 0 || format > 4) {
            logMismatch(context, slashMismatch);
            return nullptr;
        }
        readings = parseSlashFamily(context, text, delimiter, format, fields);
    } else {
        if (format < 5 || format > 12 || (format <= 10 && text.find('-') == npos)) {
            logMismatch(context, fixedMismatch);
            return nullptr;
        }
        readings = parseFixedFamily(context, text, delimiter, format, fields, passedOver);
    }
    if (readings == npos || !inRange(context, fields))
        return nullptr;
    fields.reserved = 0;
    if (emptyFirstField)
        *emptyFirstField = passedOver;
    return line + std::min(readings, text.size());
}

std::string formatDay(std::time_t time)
{
    static constexpr const char* weekdays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                               "Thursday", "Friday", "Saturday"};
    static constexpr const char* months[] = {"January", "February", "March",     "April",
                                             "May",     "June",     "July",      "August",
                                             "September", "October", "November", "December"};
    std::tm local = localFields(time);
    char text[128];
    std::snprintf(text, sizeof text, "%s, %s %02d, %04d", weekdays[local.tm_wday], months[local.tm_mon],
                  local.tm_mday, local.tm_year + 1900);
    return text;
}

} // namespace tsl
