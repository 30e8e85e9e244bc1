#include "input/time_alignment.h"

#include "input/csv_reader.h"
#include "input/date_formats.h"
#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tsl {
namespace {

using namespace tsl::testing;
using Lines = std::vector<std::string>;

class Grid : public ::testing::Test {
protected:
    // One column T1 with slash dates on 2 January 2015; each entry "hh:mm:ss,value".
    ReadResult read(const std::vector<std::string>& rows)
    {
        std::string text = "Date,Time,T1\n";
        for (const std::string& r : rows)
            text += "01/02/2015," + r + "\n";
        writeFile(dir.file("grid.csv"), text);
        return readDataFile(c, dir.file("grid.csv"));
    }
    std::string cell(const std::string& hour, const std::string& key)
    {
        Lines texts = cells(dataline(c.tree(), "2015", "01", "02", hour, key));
        return texts.empty() ? "<none>" : texts.front().substr(3);
    }
    int rows() { return countNodes(c.tree(), c.tree().root(), "dataline"); }

    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
};

TEST(BoundaryTest, PerInterval)
{
    using I = DataInterval;
    EXPECT_TRUE(TimeAlignment::isBoundary(I::None, 3, 40));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Sec10, 3, 40));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Min1, 3, 0));
    EXPECT_FALSE(TimeAlignment::isBoundary(I::Min1, 3, 30));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Min2, 4, 0));
    EXPECT_FALSE(TimeAlignment::isBoundary(I::Min2, 3, 0));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Min5, 55, 0));
    EXPECT_FALSE(TimeAlignment::isBoundary(I::Min5, 56, 0));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Min10, 50, 0));
    EXPECT_FALSE(TimeAlignment::isBoundary(I::Min10, 55, 0));
    EXPECT_TRUE(TimeAlignment::isBoundary(I::Min15, 45, 0));
    EXPECT_FALSE(TimeAlignment::isBoundary(I::Min15, 50, 0));
    EXPECT_TRUE(TimeAlignment::isBoundary(static_cast<I>(9), 1, 50));
}

TEST_F(Grid, AveragingWritesATrailingMeanAtTheBoundary)
{
    read({"10:00:30,1", "10:00:50,2", "10:01:00,3"});
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(cell("10", "01:00"), " 2.00");
}

TEST_F(Grid, SecondsOffTheTenSecondStepMoveToTheMinute)
{
    read({"10:00:53,4", "10:01:30,5"});
    EXPECT_EQ(cell("10", "00:00"), " 4.00");
    EXPECT_EQ(rows(), 1); // 10:01:30 keeps its seconds and is off the grid
}

TEST_F(Grid, SamplingKeepsOnlyGridLines)
{
    c.editSettings().reduction = ReductionMode::Sampling;
    c.editSettings().interval = DataInterval::Min2;
    read({"10:01:00,1", "10:01:30,2", "10:02:00,3", "10:03:00,4", "10:04:00,5"});
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(cell("10", "02:00"), " 3.00");
    EXPECT_EQ(cell("10", "04:00"), " 5.00");
    Lines lines = c.newLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Done with file, read 2 lines, found 0 blanks"), lines.end());
}

TEST_F(Grid, ALoggerOffTheGridStoresNothing)
{
    for (ReductionMode mode : {ReductionMode::Averaging, ReductionMode::Sampling}) {
        c.editSettings().reduction = mode;
        read({"10:00:30,1", "10:01:30,2", "10:02:30,3"});
        EXPECT_EQ(rows(), 0);
    }
}

TEST_F(Grid, NoIntervalStoresEveryLineOnItsTenSecondKey)
{
    c.editSettings().interval = DataInterval::None;
    read({"10:00:07,1", "10:00:13,2", "10:00:20,3"});
    EXPECT_EQ(cell("10", "00:00"), " 2.00"); // 10:00:13 overwrote 10:00:07 at 10:00:00
    EXPECT_EQ(cell("10", "00:20"), " 3.00");
    EXPECT_EQ(rows(), 2);
}

TEST_F(Grid, ABlankAtTheBoundaryCarriesTheSumToTheNext)
{
    writeFile(dir.file("two.csv"), "Date,Time,T1,T2\n"
                                   "01/02/2015,10:00:30,1,10\n"
                                   "01/02/2015,10:01:00,2,\n"
                                   "01/02/2015,10:02:00,3,40\n");
    readDataFile(c, dir.file("two.csv"));
    EXPECT_EQ(cells(dataline(c.tree(), "2015", "01", "02", "10", "01:00")), (Lines{"T1= 1.50", "T2="}));
    EXPECT_EQ(cells(dataline(c.tree(), "2015", "01", "02", "10", "02:00")), (Lines{"T1= 3.00", "T2=25.00"}));
}

TEST_F(Grid, ALineSlightlyEarlierThanTheLastStepsBackTenSeconds)
{
    c.editSettings().interval = DataInterval::Sec10;
    read({"10:01:00,1", "10:00:30,2", "10:00:00,3"});
    EXPECT_EQ(cell("10", "01:00"), " 1.00");
    EXPECT_EQ(cell("10", "00:20"), " 2.00"); // r = 30
    // 10:00:00 is 20 seconds before the (moved) 10:00:20: r = 20, so 09:59:50.
    EXPECT_EQ(cell("09", "59:50"), " 3.00");
    EXPECT_EQ(cell("10", "00:00"), "<none>");
}

TEST_F(Grid, AWholeMinuteEarlierKeepsItsTime)
{
    read({"10:02:00,1", "10:01:00,2"});
    EXPECT_EQ(cell("10", "01:00"), " 2.00");
}

TEST_F(Grid, BracketKeepsBothEndsOnEveryDay)
{
    c.editSettings().bracketEnabled = true;
    c.editSettings().interval = DataInterval::Sec10;
    writeFile(dir.file("b.csv"), "Date,Time,T1\n"
                                 "01/02/2015,06:59:50,1\n"
                                 "01/02/2015,07:00:00,2\n"
                                 "01/02/2015,18:00:00,3\n"
                                 "01/02/2015,18:00:10,4\n"
                                 "01/03/2015,07:00:00,5\n");
    readDataFile(c, dir.file("b.csv"));
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(cell("06", "59:50"), "<none>");
    EXPECT_EQ(cell("18", "00:00"), " 3.00");
    EXPECT_EQ(cells(dataline(c.tree(), "2015", "01", "03", "07", "00:00")), (Lines{"T1= 5.00"}));
    // The first line was passed over but still named its day and set the start date.
    Lines lines = c.newLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Starting day Friday, January 02, 2015"), lines.end());
    EXPECT_EQ(c.settings().writeStartDate, makeLocalTime(2015, 1, 2, 6, 59, 50));
}

TEST_F(Grid, AnEndBeforeTheStartKeepsNothing)
{
    c.editSettings().bracketEnabled = true;
    c.editSettings().bracketStart = {18, 0, 0};
    c.editSettings().bracketEnd = {7, 0, 0};
    read({"06:00:00,1", "12:00:00,2", "19:00:00,3"});
    EXPECT_EQ(rows(), 0);
}

TEST_F(Grid, YearsBefore1990ArePassedOverSilently)
{
    c.editSettings().dateFormat = 4;
    writeFile(dir.file("y.csv"), "Date,Time,T1\n1989/12/31,23:59:00,1\n1990/01/01,00:00:00,2\n");
    readDataFile(c, dir.file("y.csv"));
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataYear"), 1);
    EXPECT_EQ(cells(dataline(c.tree(), "1990", "01", "01", "00", "00:00")), (Lines{"T1= 2.00"}));
    Lines lines = c.newLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Done with file, read 1 lines, found 0 blanks"), lines.end());
}

TEST_F(Grid, KeysKeepTheirOrderWhateverTheLineOrder)
{
    writeFile(dir.file("o.csv"), "Date,Time,T1\n"
                                 "03/05/2016,10:00:00,1\n"
                                 "01/09/2015,09:00:00,2\n"
                                 "01/02/2015,11:00:00,3\n"
                                 "01/02/2015,09:00:00,4\n"
                                 "12/02/2015,09:00:00,5\n");
    readDataFile(c, dir.file("o.csv"));
    DataTree& tree = c.tree();
    auto keys = [&](const DataNode* parent) {
        Lines out;
        for (const DataNode* n = parent->firstChild(); n; n = n->nextSibling())
            out.emplace_back(n->attributes()->value());
        return out;
    };
    DataNode* data = tree.findNode(tree.root(), "data");
    EXPECT_EQ(keys(data), (Lines{"2016", "2015"}));
    DataNode* y2015 = data->firstChild()->nextSibling();
    EXPECT_EQ(keys(y2015), (Lines{"01", "12"}));
    EXPECT_EQ(keys(y2015->firstChild()), (Lines{"02", "09"}));
    EXPECT_EQ(keys(y2015->firstChild()->firstChild()), (Lines{"09", "11"}));
}

TEST_F(Grid, DayChangesAreAnnounced)
{
    writeFile(dir.file("d.csv"), "Date,Time,T1\n"
                                 "01/02/2015,23:59:00,1\n"
                                 "01/03/2015,00:00:00,2\n"
                                 "01/03/2015,00:01:00,3\n");
    readDataFile(c, dir.file("d.csv"));
    Lines lines = c.newLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Starting day", 0) == 0; }),
              2);
    EXPECT_EQ(c.settings().writeStartDate, makeLocalTime(2015, 1, 2, 23, 59, 0));
}

// A logger on local time across the spring change (New York, 8 March 2015:
// 02:00 EST became 03:00 EDT), and one that wrote the skipped hour anyway.
TEST(DaylightSaving, AFileAcrossTheSpringChange)
{
    ZoneScope zone("America/New_York");
    TempDir dir;
    ScriptedContext c;
    std::string text = "Date,Time,T1\n";
    for (const char* t : {"01:58:00", "01:59:00", "03:00:00", "03:01:00"})
        text += std::string("03/08/2015,") + t + ",1\n";
    writeFile(dir.file("local.csv"), text);
    EXPECT_EQ(readDataFile(c, dir.file("local.csv")), ReadResult::Finished);
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 4);
    Lines lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"Done with file, read 4 lines, found 0 blanks", "First time read (D/M/Y): 08/03/2015 01:58:00",
                     "Last time read (D/M/Y): 08/03/2015 03:01:00"}));

    // 02:30 does not exist that night: the system makes it 03:30 EDT; the row
    // stays where the logger put it.
    writeFile(dir.file("standard.csv"), "Date,Time,T1\n03/08/2015,01:59:00,1\n03/08/2015,02:30:00,2\n");
    EXPECT_EQ(readDataFile(c, dir.file("standard.csv")), ReadResult::Finished);
    EXPECT_EQ(cells(dataline(c.tree(), "2015", "03", "08", "02", "30:00")), (Lines{"T1= 2.00"}));
    EXPECT_EQ(c.newLines().back(), "Last time read (D/M/Y): 08/03/2015 03:30:00");
}

TEST(DaylightSaving, AFileAcrossTheAutumnChangeStaysOnOneDay)
{
    ZoneScope zone("Europe/Berlin");
    TempDir dir;
    ScriptedContext c;
    // 25 October 2015: 03:00 CEST became 02:00 CET; the hour 02 comes twice.
    writeFile(dir.file("autumn.csv"), "Date,Time,T1\n"
                                      "25/10/2015,01:59:00,1\n"
                                      "25/10/2015,02:30:00,2\n"
                                      "25/10/2015,03:30:00,3\n");
    c.editSettings().dateFormat = 0;
    EXPECT_EQ(readDataFile(c, dir.file("autumn.csv")), ReadResult::Finished);
    Lines lines = c.newLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.rfind("Starting day", 0) == 0; }),
              1);
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 3);
}

} // namespace
} // namespace tsl
