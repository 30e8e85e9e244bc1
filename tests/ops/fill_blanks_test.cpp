#include "ops/fill_blanks.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Texts = std::vector<std::string>;

class FillBlanksTest : public ::testing::Test {
protected:
    FillBlanksTest() : data(context.tree(), {"T1", "T2"}) {}

    ScriptedContext context;
    SampleData data;
};

TEST_F(FillBlanksTest, CarriesTheLastReadingForward)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"5.00", "1"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "1"});
    data.addRow(2019, 1, 15, 13, 2, 0, {"", "1"});
    data.addRow(2019, 1, 15, 13, 3, 0, {"7.00", "1"});
    OnFillBlanks(context);
    EXPECT_EQ(data.column("T1"), (Texts{"5.00", "5.00", "5.00", "7.00"}));
    EXPECT_EQ(context.newLines(), (Texts{"Checking for missing data...", "Updated 2 items."}));
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
}

TEST_F(FillBlanksTest, CarriesAcrossHoursDaysMonthsAndYears)
{
    data.addRow(2018, 12, 31, 23, 59, 0, {"1.00", "2.00"});
    data.addRow(2019, 1, 1, 0, 0, 0, {"", ""});
    data.addRow(2019, 2, 1, 0, 0, 0, {"", "3.00"});
    data.addRow(2019, 2, 2, 5, 0, 0, {"4.00", ""});
    OnFillBlanks(context);
    EXPECT_EQ(data.column("T1"), (Texts{"1.00", "1.00", "1.00", "4.00"}));
    EXPECT_EQ(data.column("T2"), (Texts{"2.00", "2.00", "3.00", "3.00"}));
    EXPECT_EQ(context.newLines().back(), "Updated 4 items.");
}

TEST_F(FillBlanksTest, BlanksOfTheFirstLineTakeALaterReadingOfTheSameHour)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"", "9.00"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "8.00"});
    data.addRow(2019, 1, 15, 13, 2, 0, {"6.00", ""});
    data.addRow(2019, 1, 15, 14, 0, 0, {"5.00", "4.00"});
    OnFillBlanks(context);
    EXPECT_EQ(data.column("T1"), (Texts{"6.00", "6.00", "6.00", "5.00"}));
    EXPECT_EQ(data.column("T2"), (Texts{"9.00", "8.00", "8.00", "4.00"}));
    EXPECT_EQ(context.newLines().back(), "Updated 3 items.");
}

TEST_F(FillBlanksTest, TheLineFoundForTheFirstLineServesItsLaterBlanks)
{
    // T1 is found in the third line, whose T2 is blank: T2 of the first line
    // copies that blank and is counted.
    data.addRow(2019, 1, 15, 13, 0, 0, {"", ""});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "7.00"});
    data.addRow(2019, 1, 15, 13, 2, 0, {"6.00", ""});
    OnFillBlanks(context);
    EXPECT_EQ(data.column("T1"), (Texts{"6.00", "6.00", "6.00"}));
    EXPECT_EQ(data.column("T2"), (Texts{"", "7.00", "7.00"}));
    EXPECT_EQ(context.newLines().back(), "Updated 4 items.");
}

TEST_F(FillBlanksTest, AColumnBlankThroughoutTheFirstHourStaysBlankThereAndCopiesBlanksLater)
{
    data.addRow(2019, 1, 15, 13, 0, 0, {"", "1"});
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "1"});
    data.addRow(2019, 1, 15, 14, 0, 0, {"", "1"});
    data.addRow(2019, 1, 15, 14, 1, 0, {"2.00", "1"});
    data.addRow(2019, 1, 15, 14, 2, 0, {"", "1"});
    OnFillBlanks(context);
    EXPECT_EQ(data.column("T1"), (Texts{"", "", "", "2.00", "2.00"}));
    // The second line and the third copy the blank before them.
    EXPECT_EQ(context.newLines().back(), "Updated 3 items.");
    OnFillBlanks(context);
    EXPECT_EQ(context.newLines().back(), "Updated 2 items.");
}

TEST_F(FillBlanksTest, ALineWithoutCellsStillBecomesThePreviousLine)
{
    DataTree& tree = context.tree();
    DataNode* first = data.addRow(2019, 1, 15, 13, 0, 0, {"1.00", "2.00"});
    DataNode* empty = tree.addChild(first->parent(), "dataline");
    tree.setAttribute(empty, "timestampCSV", "00:30");
    data.addRow(2019, 1, 15, 13, 1, 0, {"", "3.00"});
    OnFillBlanks(context);
    // The previous line of the blank holds no such column: nothing to copy.
    EXPECT_EQ(data.column("T1"), (Texts{"1.00", ""}));
    EXPECT_EQ(context.newLines().back(), "Updated 0 items.");
}

TEST_F(FillBlanksTest, NoDataIsAnError)
{
    OnFillBlanks(context);
    EXPECT_EQ(context.newLines(), Texts{"ERROR: No data has been entered."});
    EXPECT_FALSE(context.log().selected().has_value());
}

} // namespace
