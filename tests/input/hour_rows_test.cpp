// Rows of an hour are found by any key a tree may hold, the first row of a
// key is kept, and clearing forgets every key whichever way it was kept.
#include "input/hour_rows.h"

#include <gtest/gtest.h>

using namespace tsl;

TEST(HourRows, FindsEveryKeyAndKeepsTheFirstRowOfEach)
{
    HourRows rows;
    auto row = [](int n) { return reinterpret_cast<DataNode*>(std::uintptr_t{16} * static_cast<std::uintptr_t>(n)); };
    const std::string_view keys[] = {"00:00", "59:30", "99:99", "5:30", "05:3", "ab:cd", "05-30", "", "05:30 ", "10:60"};
    EXPECT_EQ(rows.find("00:00"), nullptr); // nothing made yet
    for (int i = 0; i < static_cast<int>(std::size(keys)); ++i)
        rows.add(keys[i], row(i + 1));
    for (int i = 0; i < static_cast<int>(std::size(keys)); ++i) {
        rows.add(keys[i], row(100 + i)); // a later row of the same key
        EXPECT_EQ(rows.find(keys[i]), row(i + 1)) << keys[i];
    }
    EXPECT_EQ(rows.find("05:30"), nullptr);
    EXPECT_EQ(rows.find("5:3"), nullptr);

    rows.clear();
    for (const std::string_view key : keys)
        EXPECT_EQ(rows.find(key), nullptr) << key;
    rows.add("59:30", row(7));
    EXPECT_EQ(rows.find("59:30"), row(7));
}
