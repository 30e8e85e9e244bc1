#include "ops/fill_column.h"

#include "output/sample_data.h"
#include "tree/data_tree.h"

#include <gtest/gtest.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Texts = std::vector<std::string>;

TEST(FillColumn, SetsEveryCellOfTheColumnInEveryLine)
{
    DataTree tree;
    SampleData data(tree, {"VALVE", "T1"});
    for (int minute = 0; minute < 1440; ++minute)
        data.addRow(2019, 1, 15, minute / 60, minute % 60, 0, {minute % 2 ? "" : "50.00", "1.00"});
    EXPECT_EQ(FillColumn(tree, "VALVE", "100"), 1440);
    const Texts valves = data.column("VALVE");
    EXPECT_EQ(valves, Texts(1440, "100"));
    EXPECT_EQ(data.column("T1"), Texts(1440, "1.00"));
}

TEST(FillColumn, MatchesTheWholeLabelExactly)
{
    DataTree tree;
    SampleData data(tree, {"VALVE", "VALVE_2"});
    data.addRow(2019, 1, 15, 0, 0, 0, {"1", "2"});
    EXPECT_EQ(FillColumn(tree, "VALV", "x"), 0);
    EXPECT_EQ(FillColumn(tree, "valve", "x"), 0);
    EXPECT_EQ(FillColumn(tree, "VALVE_2", "x"), 1);
    EXPECT_EQ(data.column("VALVE"), Texts{"1"});
    EXPECT_EQ(data.column("VALVE_2"), Texts{"x"});
}

TEST(FillColumn, TheLastFillWinsAndAnEmptyValueBlanksTheColumn)
{
    DataTree tree;
    SampleData data(tree, {"A"});
    data.addRow(2019, 1, 15, 0, 0, 0, {"1"});
    data.addRow(2019, 2, 15, 0, 0, 0, {""});
    FillColumn(tree, "A", "first");
    FillColumn(tree, "A", "second");
    EXPECT_EQ(data.column("A"), (Texts{"second", "second"}));
    EXPECT_EQ(FillColumn(tree, "A", ""), 2);
    EXPECT_EQ(data.column("A"), (Texts{"", ""}));
}

TEST(FillColumn, SetsOnlyTheFirstCellOfALabelInALine)
{
    DataTree tree;
    SampleData data(tree, {"A", "A"});
    DataNode* line = data.addRow(2019, 1, 15, 0, 0, 0, {"1", "2"});
    EXPECT_EQ(FillColumn(tree, "A", "9"), 1);
    EXPECT_EQ(cellsOf(line), (Texts{"9", "2"}));
}

} // namespace
