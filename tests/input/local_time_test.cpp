// Local times worked out an hour at a time are the C library's, times that
// occur twice or never included: those depend on the offset its conversion
// found last, which the shortcut must leave as the library would have.
#include "input/local_time.h"
#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Fields = std::array<int, 6>;

// Each time of the sequence, converted one by one, after a first
// conversion that leaves the offset of `primer` behind.
std::vector<std::string> convertAll(const std::vector<Fields>& times, const Fields& primer, bool byHour)
{
    makeLocalTime(primer[0], primer[1], primer[2], primer[3], primer[4], primer[5]);
    LocalHours hours;
    std::vector<std::string> out;
    for (const Fields& f : times) {
        try {
            const std::time_t t = byHour ? hours.localTime(f[0], f[1], f[2], f[3], f[4], f[5])
                                         : makeLocalTime(f[0], f[1], f[2], f[3], f[4], f[5]);
            const int day = byHour ? hours.dayOfMonth(t) : localFields(t).tm_mday;
            out.push_back(std::to_string(t) + " day " + std::to_string(day));
        } catch (const LocalTimeError&) {
            out.push_back("error");
        }
    }
    return out;
}

} // namespace

TEST(LocalHours, SameTimesAsTheCLibrary)
{
    // Lines around both changes of 2025 in New York and Lord Howe (half an
    // hour), with times that occur twice after times of either offset, times
    // that never occur, days past their month's end and fields out of range.
    const std::vector<Fields> newYork = {
        {2025, 11, 2, 0, 50, 0}, {2025, 11, 2, 1, 10, 0},  {2025, 11, 2, 1, 59, 59}, {2025, 11, 2, 2, 0, 0},
        {2025, 11, 2, 10, 0, 0}, {2025, 11, 2, 1, 30, 0},  {2025, 11, 2, 10, 5, 0},  {2025, 11, 2, 1, 30, 0},
        {2025, 7, 1, 12, 0, 0},  {2025, 11, 2, 1, 45, 10}, {2025, 3, 9, 1, 59, 0},   {2025, 3, 9, 2, 30, 0},
        {2025, 3, 9, 3, 0, 0},   {2025, 4, 31, 23, 59, 0}, {2025, 2, 29, 0, 0, 0},   {2025, 11, 2, 24, 0, 0},
        {2025, 6, 30, -1, 0, 0}, {2025, 11, 2, 7, 0, 0},   {2025, 11, 2, 1, 0, 0},   {2025, 11, 2, 5, 59, 59},
        {2025, 11, 2, 1, 0, 0},  {1969, 12, 31, 23, 59, 59}};
    const std::vector<Fields> lordHowe = {{2025, 4, 6, 1, 40, 0},  {2025, 4, 6, 1, 50, 0}, {2025, 4, 6, 9, 0, 0},
                                          {2025, 4, 6, 1, 45, 0},  {2025, 10, 5, 2, 15, 0}, {2025, 10, 5, 2, 45, 0},
                                          {2025, 10, 5, 12, 0, 0}, {2025, 4, 6, 1, 35, 0}};
    for (const auto& [zone, times] : {std::pair{"America/New_York", newYork}, std::pair{"Australia/Lord_Howe", lordHowe}}) {
        ZoneScope scope(zone);
        for (const Fields& primer : {Fields{2025, 1, 15, 12, 0, 0}, Fields{2025, 7, 15, 12, 0, 0}})
            EXPECT_EQ(convertAll(times, primer, true), convertAll(times, primer, false)) << zone;
    }
}
