#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tsl {

enum class Meridiem { None, Am, Pm };

// A time stamp as written, before the file's date order is known.
struct RawStamp {
    bool hasDate = false;
    // The date's three parts in the order written; a named month is stored as
    // its number and marked by namedMonth (1 or 2: which part it was).
    int part[3] = {0, 0, 0};
    int partDigits[3] = {0, 0, 0};
    int namedMonth = 0;
    bool hasTime = false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool fraction = false; // a fraction of a second above zero was written
    Meridiem meridiem = Meridiem::None;
    std::string zone; // "CDT", "+00:00", "Z"; empty when none was written
};

// Reads "5/7/2022 12:00", "07-May-22 12:15:00 PM CDT", "2021-11-01 00:10:00+00:00",
// "2021-11-19T00:00", "09.10.2020", "24/07/20 21:00:00", "1:25 p" (a time
// alone) and the like. Nothing is returned unless the whole text is a time stamp.
std::optional<RawStamp> parseStamp(std::string_view text);

// Which number of a date written with three numbers is the year, the month
// and the day.
enum class DateOrder { YearFirst, DayFirst, MonthFirst, Unknown };

// "year first", "day first", "month first"
std::string_view orderName(DateOrder order);

// The orders in which a stamp's date can be read at all: a named month, a
// four-digit first number or a date run together fix it; "24/07/20" can be
// read three ways.
struct OrderSet {
    bool yearFirst = false, dayFirst = false, monthFirst = false;
    bool has(DateOrder order) const;
};
OrderSet possibleOrders(const RawStamp& stamp);

// A wall-clock time, as the logger wrote it.
struct WallTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const WallTime&) const = default;
};

// The stamp's date and time in the given order, the year made four-digit
// and a 12-hour clock made 24-hour; nothing when a field is impossible
// (month 13, 31 April, hour 25, a 12-hour clock reading 13). Dates whose
// order is fixed by the stamp itself ignore order.
std::optional<WallTime> resolveStamp(const RawStamp& stamp, DateOrder order);

// Seconds of wall-clock time since 1970-01-01 00:00, every day 86,400 seconds
// long: the logger's own clock, with no time zone or daylight saving applied.
long long wallSeconds(const WallTime& time);
WallTime wallTimeAt(long long seconds);

// "2022-05-07 12:15:00"
std::string formatWallTime(const WallTime& time);
// "5 min", "30 s", "1 h 30 min", "1 day"
std::string formatStep(long long seconds);

} // namespace tsl
