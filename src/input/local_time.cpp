#include "input/local_time.h"

#include <cstdint>

namespace tsl {

namespace {

// An hour whose offset the C library's conversion should start from at its
// next call: the last hour answered by LocalHours since that call. Only the
// thread that reads files converts local times.
struct PendingOffset {
    bool pending = false;
    int year = 0, month = 0, day = 0, hour = 0;
};
PendingOffset pendingOffset;

std::time_t convert(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;
    // mktime may legitimately answer -1 (one second before the epoch); a
    // weekday it did not fill in is the sign of failure.
    fields.tm_wday = -1;
    std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1) && fields.tm_wday == -1)
        throw LocalTimeError("local time cannot be represented");
    return t;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar; a day
// past the end of its month runs on into the next.
std::int64_t daysFromCivil(std::int64_t year, int month, int day)
{
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * static_cast<unsigned>(month + (month > 2 ? -3 : 9)) + 2) / 5 + 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear - 1;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468 + (day - 1);
}

bool offsetAt(std::time_t t, long& offset, std::tm& local)
{
    if (!localtime_r(&t, &local))
        return false;
    offset = local.tm_gmtoff;
    return true;
}

} // namespace

std::time_t makeLocalTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 59)
        throw LocalTimeError("date or time field out of range");
    if (pendingOffset.pending) {
        // The start of a regular hour has one answer, whatever offset the
        // conversion starts from, and leaves that hour's offset behind.
        pendingOffset.pending = false;
        convert(pendingOffset.year, pendingOffset.month, pendingOffset.day, pendingOffset.hour, 0, 0);
    }
    return convert(year, month, day, hour, minute, second);
}

std::tm localFields(std::time_t time)
{
    std::tm local{};
    if (!localtime_r(&time, &local))
        throw LocalTimeError("time cannot be converted to local time");
    return local;
}

std::time_t LocalHours::localTime(int year, int month, int day, int hour, int minute, int second)
{
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return makeLocalTime(year, month, day, hour, minute, second);
    const Hour& h = hourOf(year, month, day, hour);
    if (!h.regular)
        return makeLocalTime(year, month, day, hour, minute, second);
    pendingOffset = {true, year, month, day, hour};
    last_ = &h;
    return h.start + minute * 60 + second;
}

int LocalHours::dayOfMonth(std::time_t time)
{
    if (last_ && last_->regular && time >= last_->start && time < last_->start + 3600)
        return last_->dayOfMonth;
    return localFields(time).tm_mday;
}

LocalHours::Hour& LocalHours::hourOf(int year, int month, int day, int hour)
{
    for (Hour& h : hours_)
        if (h.hour == hour && h.day == day && h.month == month && h.year == year)
            return h;
    Hour& slot = hours_[nextSlot_];
    nextSlot_ = (nextSlot_ + 1) % remembered;
    if (last_ == &slot)
        last_ = nullptr;
    slot = examine(year, month, day, hour);
    return slot;
}

// An hour is regular when the zone's offset is the same from two hours
// before it to two hours after it and the conversion back gives its own
// fields at its first and last second: then its times occur once each, in
// order. Found with conversions to local fields only, which leave the
// conversion's starting offset alone.
LocalHours::Hour LocalHours::examine(int year, int month, int day, int hour)
{
    Hour h;
    h.year = year;
    h.month = month;
    h.day = day;
    h.hour = hour;
    const std::int64_t days = daysFromCivil(year, month, day);
    const std::int64_t asUtc = days * 86400 + hour * 3600;
    std::tm local{};
    long guess = 0;
    long offset = 0;
    if (!offsetAt(static_cast<std::time_t>(asUtc), guess, local) ||
        !offsetAt(static_cast<std::time_t>(asUtc - guess), offset, local))
        return h;
    const auto start = static_cast<std::time_t>(asUtc - offset);
    long check = 0;
    if (!offsetAt(start, check, local) || check != offset ||
        daysFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) != days || local.tm_hour != hour ||
        local.tm_min != 0 || local.tm_sec != 0)
        return h;
    h.dayOfMonth = local.tm_mday;
    if (!offsetAt(start + 3599, check, local) || check != offset || local.tm_hour != hour || local.tm_min != 59 ||
        local.tm_sec != 59 || local.tm_mday != h.dayOfMonth)
        return h;
    if (!offsetAt(start - 7200, check, local) || check != offset || !offsetAt(start + 3599 + 7200, check, local) ||
        check != offset)
        return h;
    h.regular = true;
    h.start = start;
    return h;
}

} // namespace tsl
