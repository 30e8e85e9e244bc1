#include "input/line_rules.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using namespace tsl;

// A line is passed over when it is shorter than 15 characters or holds one
// of the words anywhere (case-sensitive), whatever bytes surround it.
TEST(LineRules, LinesToPassOver)
{
    const std::string words[] = {"AMP", "CCT", "CYCLE", "RPT", "ACTIVE", "READY", "Wrapper",
                                 "Date", "BLD", "data", "DISPLAY", "DIE", "ARIA", "LABEL"};
    auto holdsWord = [&](const std::string& line) {
        for (const std::string& word : words)
            if (line.find(word) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(isPassedOverLine("01/02/2015,1\n"));   // 13 characters
    EXPECT_FALSE(isPassedOverLine("01/02/2015,10:0"));  // 15
    EXPECT_FALSE(isPassedOverLine("01/02/2015,10:00:00,OFF,Amp,DATA,dat,Wrap,\xc1\xff\n"));
    std::mt19937 random(3);
    const std::string filler = "0123456789,.:/-T Z\t\xe9" "ABCDLRWdaty";
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        const std::size_t length = 15 + random() % 40;
        while (line.size() < length)
            line += filler[random() % filler.size()];
        if (i % 2)
            line.insert(random() % line.size(), words[random() % std::size(words)]);
        ASSERT_EQ(isPassedOverLine(line), holdsWord(line)) << line;
    }
}

TEST(LineRules, DelimiterOfEachLine)
{
    struct Case { char current; std::string line; char delimiter; bool passOver; };
    const Case cases[] = {
        {',', "a,b;c", ',', false}, {',', "a;b", ';', false}, {';', "a,b", ',', false},
        {'\t', "a\tb,c", '\t', false}, {'\t', "a b", ',', true},
    };
    for (const Case& k : cases) {
        const LineDelimiter found = delimiterOfLine(k.current, k.line);
        EXPECT_EQ(found.delimiter, k.delimiter) << k.line;
        EXPECT_EQ(found.passOver, k.passOver) << k.line;
    }
}
