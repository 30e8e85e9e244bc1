// Fill blanks, fill column, preview and clear data on data the reader stored.
#include "ops/clear_data.h"
#include "ops/fill_blanks.h"
#include "ops/fill_column.h"
#include "ops/preview.h"
#include "ops/read_data.h"

using namespace tsl;
using namespace tsl::testing;

// Blanks take the reading before them in their column.
TEST_F(ReadData, FillBlanks)
{
    struct Case { Lines lines; Lines t1, t2; const char* updated; };
    const Case cases[] = {
        {{"01/15/2019,13:05:00,70.0,500", "01/15/2019,13:06:00,,510", "01/15/2019,13:07:00,71.5,",
          "01/16/2019,00:00:00,72,5"},
         {"70.00", "70.00", "71.50", "72.00"}, {"500.00", "510.00", "510.00", " 5.00"}, "Updated 2 items."},
        // Blanks of the very first line take a later reading of its hour.
        {{"01/15/2019,13:00:00,,9", "01/15/2019,13:01:00,,8", "01/15/2019,13:02:00,6,", "01/15/2019,14:00:00,5,4"},
         {" 6.00", " 6.00", " 6.00", " 5.00"}, {" 9.00", " 8.00", " 8.00", " 4.00"}, "Updated 3 items."},
        // The line found for T1 serves T2 too, blank as it is, and is counted.
        {{"01/15/2019,13:00:00,,", "01/15/2019,13:01:00,,7", "01/15/2019,13:02:00,6,"},
         {" 6.00", " 6.00", " 6.00"}, {"", " 7.00", " 7.00"}, "Updated 4 items."},
        // A column blank through the first hour stays blank there, and its
        // blanks are copied (and counted) until a reading comes.
        {{"01/15/2019,13:00:00,,1", "01/15/2019,13:01:00,,1", "01/15/2019,14:00:00,,1", "01/15/2019,14:01:00,2,1",
          "01/15/2019,14:02:00,,1"},
         {"", "", "", " 2.00", " 2.00"}, {" 1.00", " 1.00", " 1.00", " 1.00", " 1.00"}, "Updated 3 items."},
        {{"12/31/2018,23:59:00,1,2", "01/01/2019,00:00:00,,", "02/01/2019,00:00:00,,3", "02/02/2019,05:00:00,4,"},
         {" 1.00", " 1.00", " 1.00", " 4.00"}, {" 2.00", " 2.00", " 3.00", " 3.00"}, "Updated 4 items."},
    };
    for (const Case& k : cases) {
        OnClearCsvData(c);
        readLines("T1,T2", k.lines);
        OnFillBlanks(c);
        EXPECT_EQ(column("T1"), k.t1) << k.lines[0];
        EXPECT_EQ(column("T2"), k.t2) << k.lines[0];
        EXPECT_EQ(logSinceRead(), (Lines{"Checking for missing data...", k.updated})) << k.lines[0];
        EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    }
    ScriptedContext empty;
    OnFillBlanks(empty);
    EXPECT_EQ(empty.newLines(), Lines{"ERROR: No data has been entered."});
}

// A second file fills the minutes between the first file's rows: sorted by
// time, Fill Blanks carries each reading to the next minute and Preview
// shows the minutes in order; unsorted, both follow the order of reading.
TEST_F(ReadData, FillBlanksAndPreviewFollowTheOrderOfTheRows)
{
    struct Case { bool sortRows; Lines preview; };
    const Case cases[] = {
        {true, {"T1   T2   ", " 1.00   20.00   ", " 1.00   20.00   ", " 3.00   20.00   ", " 3.00   40.00   "}},
        {false, {"T1   T2   ", " 1.00   20.00   ", " 3.00   20.00   ", " 3.00   20.00   ", " 3.00   40.00   "}},
    };
    for (const Case& k : cases) {
        OnClearCsvData(c);
        c.editSettings().sortRows = k.sortRows;
        readLines("T1,T2", {"01/15/2019,13:00:00,1,", "01/15/2019,13:02:00,3,"});
        readLines("T1,T2", {"01/15/2019,13:01:00,,20", "01/15/2019,13:03:00,,40"});
        OnFillBlanks(c);
        OnPreviewData(c);
        Lines expected{"Checking for missing data...", "Updated 4 items."};
        expected.insert(expected.end(), k.preview.begin(), k.preview.end());
        EXPECT_EQ(logSinceRead(), expected) << k.sortRows;
    }
}

TEST_F(ReadData, FillColumnSetsTheFirstCellOfTheWholeLabelInEveryLine)
{
    readAhu();
    EXPECT_EQ(FillColumn(c.tree(), "FLOW", "0"), 4);
    EXPECT_EQ(column("FLOW"), (Lines{"0", "0", "0", "0"}));
    EXPECT_EQ(column("AHU_TEMP"), (Lines{"70.00", "", "71.50", "72.00"}));
    EXPECT_EQ(FillColumn(c.tree(), "AHU", "0"), 0);
    EXPECT_EQ(FillColumn(c.tree(), "flow", "0"), 0);
    EXPECT_EQ(FillColumn(c.tree(), "FLOW", ""), 4);
    EXPECT_EQ(column("FLOW"), (Lines{"", "", "", ""}));
    ScriptedContext twice;
    read("Date,Time,AA,AA\n01/15/2019,13:05:00,1,2\n", &twice);
    EXPECT_EQ(FillColumn(twice.tree(), "AA", "9"), 1);
    EXPECT_EQ(storedRows(twice.tree()), Lines{"2019/01/15 13:05:00|9|"});
}

TEST_F(ReadData, PreviewShowsTheLabelsAndTheFirstElevenLines)
{
    readAhu();
    OnPreviewData(c);
    EXPECT_EQ(logSinceRead(),
              (Lines{"AHU_TEMP   FLOW   ", "70.00   500.00   ", "   510.00   ", "71.50      ", "72.00    5.00   "}));
    EXPECT_FALSE(c.log().selected().has_value());

    ScriptedContext empty;
    OnPreviewData(empty);
    EXPECT_TRUE(empty.newLines().empty());
}

TEST_F(ReadData, PreviewOfLongDataShowsElevenLines)
{
    Lines lines;
    for (int minute = 0; minute < 30; ++minute)
        lines.push_back("01/15/2019,13:" + std::to_string(minute + 10) + ":00," + std::to_string(minute));
    readLines("T\xB0", lines); // a label in another encoding reaches the log as UTF-8
    OnPreviewData(c);
    const Lines shown = logSinceRead();
    EXPECT_EQ(shown.size(), 12u);
    EXPECT_EQ(shown.front(), "T\xC2\xB0   ");
    EXPECT_EQ(shown.back(), "10.00   ");
}

TEST_F(ReadData, ClearedDataIsReadAfresh)
{
    readAhu();
    c.tree().addChild(c.tree().root(), "outputTemplate");
    OnFillBlanks(c);
    OnClearCsvData(c);
    EXPECT_EQ(logSinceRead().back(), "Deleting data from CSV file(s).");
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    DataTree& tree = c.tree();
    EXPECT_EQ(tree.findNode(tree.root(), "data"), nullptr);
    EXPECT_EQ(tree.findNode(tree.root(), "fileLabels"), nullptr);
    EXPECT_NE(tree.findNode(tree.root(), "outputTemplate"), nullptr);
    EXPECT_EQ(cells(tree.findNode(tree.root(), "template")), (Lines{"AHU_TEMP=", "FLOW="}));
    readAhu();
    EXPECT_EQ(column("AHU_TEMP"), (Lines{"70.00", "", "71.50", "72.00"}));
}
