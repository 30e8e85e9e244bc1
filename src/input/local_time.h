#pragma once

#include <ctime>
#include <stdexcept>

namespace tsl {

// Thrown when a local time cannot be formed from fields, or a time cannot be
// turned back into local fields.
class LocalTimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Local calendar time of the fields, daylight saving decided by the system.
// Throws LocalTimeError for a year below 1900, a month outside 1..12, a day
// outside 1..31, an hour above 23, a minute or second above 59, or a time the
// system cannot represent. A day past the end of its month rolls over.
std::time_t makeLocalTime(int year, int month, int day, int hour, int minute, int second);

// The local fields of a time; throws LocalTimeError when it cannot convert.
std::tm localFields(std::time_t time);

// The local times of one read's lines, worked out once per hour. Within an
// hour that lies well clear of any change of the zone's offset, every time
// is the hour's start plus its minutes and seconds, and every time of the
// hour falls on the same day. Other hours are answered by makeLocalTime and
// localFields one time at a time.
//
// The C library's conversion keeps the offset it found last and starts from
// it the next time, which decides the times that occur twice when the clocks
// go back. Times answered here leave it where makeLocalTime would have left
// it: the next call of makeLocalTime first sets it back to that offset.
class LocalHours {
public:
    // As makeLocalTime.
    std::time_t localTime(int year, int month, int day, int hour, int minute, int second);
    // As localFields(time).tm_mday.
    int dayOfMonth(std::time_t time);

private:
    struct Hour {
        int year = 0, month = 0, day = 0, hour = -1;
        bool regular = false;
        std::time_t start = 0;
        int dayOfMonth = 0;
    };
    Hour& hourOf(int year, int month, int day, int hour);
    static Hour examine(int year, int month, int day, int hour);

    // The hours of a line and of its bracket times.
    static constexpr int remembered = 4;
    Hour hours_[remembered];
    int nextSlot_ = 0;
    const Hour* last_ = nullptr;
};

} // namespace tsl
