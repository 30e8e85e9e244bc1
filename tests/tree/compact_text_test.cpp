#include "tree/compact_text.h"

#include <gtest/gtest.h>

#include <string>

using tsl::CompactText;

// One text assigned in turn every length around the inline limit, from and
// to a heap text (the sanitizer build sees a block lost or freed twice).
TEST(CompactText, KeepsEveryTextItIsGiven)
{
    const std::string texts[] = {"", "1.00", "1234567", "12345678", "x", "", std::string(300, 'L'), "-3.25",
                                 std::string("a\0b", 3), std::string(8, '\xff'), "", "21.50"};
    CompactText text;
    for (const std::string& t : texts) {
        text.assign(t);
        EXPECT_EQ(text.view(), t);
        EXPECT_EQ(text.empty(), t.empty());
    }
    CompactText moved(std::move(text));
    EXPECT_EQ(moved.view(), "21.50");
}
