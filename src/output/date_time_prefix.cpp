#include "output/date_time_prefix.h"

#include <cstdio>

namespace tsl {

namespace {

// The date fields of one day, already padded to their widths.
struct DateFields {
    std::string day;
    std::string month;
    std::string year;      // four wide
    std::string shortYear; // two wide
};

std::string padded(std::string_view text, std::size_t width)
{
    std::string out;
    if (text.size() < width)
        out.assign(width - text.size(), ' ');
    out.append(text);
    return out;
}

std::string zeroPadded(int number, int width)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*d", width, number);
    return buffer;
}

std::string_view shortYearOf(std::string_view year)
{
    return year.size() > 2 ? year.substr(2, 2) : std::string_view{};
}

DateFields fieldsOf(const NodeDate& date)
{
    return {padded(date.day, 2), padded(date.month, 2), padded(date.year, 4),
            padded(shortYearOf(date.year), 2)};
}

DateFields fieldsOf(const CalendarDate& date)
{
    return {zeroPadded(date.day, 2), zeroPadded(date.month, 2), zeroPadded(date.year, 4),
            zeroPadded(date.year - 2000, 2)};
}

std::string compose(DateFormatId format, const DateFields& f, std::string_view hour,
                    std::string_view separator)
{
    const std::string h = padded(hour, 2);
    const std::string s(separator);
    switch (format) {
    case 1:
        return f.month + "/" + f.day + "/" + f.year + s + h + ":";
    case 2:
        return f.day + "/" + f.month + "/" + f.shortYear + s + h + ":";
    case 3:
        return f.month + "/" + f.day + "/" + f.shortYear + s + h + ":";
    case 4:
        return f.year + "/" + f.month + "/" + f.day + s + h + ":";
    case 5:
        return f.shortYear + f.month + f.day + "-" + h + ":";
    case 6:
        return f.year + f.month + f.day + "-" + h + ":";
    case 7:
    case 8:
    case 9:
        return f.year + f.month + f.day + "-" + h;
    case 10:
        return f.year + "-" + f.month + "-" + f.day + "T" + h + ":";
    case 11:
        return f.year + f.month + f.day + "T" + h;
    case 12:
        return f.shortYear + f.month + f.day + ", " + h;
    default:
        return f.day + "/" + f.month + "/" + f.year + s + h + ":";
    }
}

} // namespace

std::string prefixFromNodes(DateFormatId format, const NodeDate& date, std::string_view hour,
                            std::string_view separator)
{
    return compose(format, fieldsOf(date), hour, separator);
}

std::string prefixFromDate(DateFormatId format, const CalendarDate& date, std::string_view hour,
                           std::string_view separator)
{
    return compose(format, fieldsOf(date), hour, separator);
}

std::string fileDateText(const NodeDate& date)
{
    return padded(date.year, 2) + padded(date.month, 2) + padded(date.day, 2);
}

std::string fileDateText(const CalendarDate& date)
{
    return zeroPadded(date.year - 2000, 2) + zeroPadded(date.month, 2) + zeroPadded(date.day, 2);
}

std::string_view timeSeparatorFor(DateFormatId format)
{
    switch (format) {
    case 7:
    case 8:
    case 9:
    case 11:
    case 12:
        return "";
    default:
        return ":";
    }
}

} // namespace tsl
