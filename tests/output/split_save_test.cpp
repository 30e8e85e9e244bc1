#include "output/sample_data.h"

using namespace tsl;
using namespace tsl::testing;

namespace {

// Two rows on each of 15, 16 and 17 January 2019, saved one day per file.
struct ThreeDays : SaveWorld {
    ThreeDays()
    {
        settings().splitDays = 1;
        for (int day = 15; day <= 17; ++day) {
            data.addRow(2019, 1, day, 8, 0, 0, {std::to_string(day), "a"});
            data.addRow(2019, 1, day, 9, 30, 15, {std::to_string(day), "b"});
        }
    }
    std::string output(const std::string& name) const { return "Data output to file " + dir.file(name); }
};

} // namespace

TEST(SplitSave, OneDayPerFileLeavesThreeDatedFilesAndNoWorkingFile)
{
    ThreeDays w;
    w.settings().delimiter = ";";
    ASSERT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(w.dir.path()), (Lines{"out 20190115.csv", "out 20190116.csv", "out 20190117.csv"}));
    // Later files have no blank before the time and join their labels with commas.
    EXPECT_EQ(w.saved("out 20190115.csv"),
              "Date; Time;T1;T2\r\n01/15/2019;08:00:00;15;a\r\n01/15/2019;09:30:15;15;b\r\n");
    EXPECT_EQ(w.saved("out 20190117.csv"),
              "Date;Time;T1,T2\r\n01/17/2019;08:00:00;17;a\r\n01/17/2019;09:30:15;17;b\r\n");
    // The file opened after the last day holds no line and goes again.
    EXPECT_EQ(w.c.newLines(), (Lines{w.output("out 20190115.csv"), w.output("out 20190116.csv"),
                                     w.output("out 20190117.csv"), "Saved data to CSV files."}));
    EXPECT_EQ(*w.c.log().selected(), w.c.log().size() - 1);
}

TEST(SplitSave, SavingTwiceWithOneMaskLosesNothing)
{
    ThreeDays w;
    // What an earlier save kept under a working name is not written over.
    writeFile(w.dir.file("out S01.csv"), "kept");
    ASSERT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved);
    const std::string firstDay = w.saved("out 20190115.csv"), lastDay = w.saved("out 20190117.csv");
    w.data.addRow(2019, 1, 17, 10, 0, 0, {"new", "c"});
    ASSERT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(w.dir.path()),
              (Lines{"out 20190115 (2).csv", "out 20190115.csv", "out 20190116 (2).csv", "out 20190116.csv",
                     "out 20190117 (2).csv", "out 20190117.csv", "out S01.csv"}));
    EXPECT_EQ(w.saved("out S01.csv"), "kept");
    EXPECT_EQ(w.saved("out 20190115.csv"), firstDay);
    EXPECT_EQ(w.saved("out 20190115 (2).csv"), firstDay);
    EXPECT_EQ(w.saved("out 20190117.csv"), lastDay);
    EXPECT_NE(w.saved("out 20190117 (2).csv").find("10:00:00,new,c\r\n"), std::string::npos);
    const Lines lines = w.c.newLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(Lines(lines.begin() + 8, lines.end()),
              (Lines{"NOTE- CSV file could not be named '" + w.dir.file("out 20190117.csv") +
                         "'.  Data output kept in file '" + w.dir.file("out 20190117 (2).csv") + "'.",
                     w.output("out 20190117 (2).csv"), "Saved data to CSV files."}));
}

TEST(SplitSave, FilesCloseAfterTheDayThatBringsThemToTheLineCount)
{
    ThreeDays w;
    w.settings().splitDays = 3;
    w.data.addRow(2019, 1, 18, 8, 0, 0, {"18", "a"});
    w.saveAs("out.csv");
    EXPECT_EQ(filesIn(w.dir.path()), (Lines{"out 20190116.csv", "out 20190118.csv"}));
    EXPECT_EQ(w.saved("out 20190118.csv"), "Date,Time,T1,T2\r\n01/17/2019,08:00:00,17,a\r\n"
                                           "01/17/2019,09:30:15,17,b\r\n01/18/2019,08:00:00,18,a\r\n");
    // Fewer lines than the count give one file, named after the last day; no data, no file.
    SaveWorld few;
    few.settings().splitDays = 3;
    few.saveAs("out.csv");
    EXPECT_TRUE(filesIn(few.dir.path()).empty());
    few.data.addRow(2019, 1, 15, 8, 0, 0, {"1", "a"});
    few.data.addRow(2019, 1, 16, 8, 0, 0, {"2", "b"});
    few.saveAs("out.csv");
    EXPECT_EQ(filesIn(few.dir.path()), Lines{"out 20190116.csv"});
    EXPECT_EQ(few.c.newLines(), (Lines{"Saved data to CSV files.", "Saved data to CSV files."}));
}

TEST(SplitSave, AStartDateNamesFilesWithATwoDigitYear)
{
    ThreeDays w;
    w.settings().writeDateFrom = true;
    w.settings().writeStartDate = localMidnight(2019, 12, 31);
    w.saveAs("out.csv");
    EXPECT_EQ(filesIn(w.dir.path()), (Lines{"out 191231.csv", "out 200101.csv", "out 200102.csv"}));
    EXPECT_EQ(w.saved("out 200102.csv").substr(17, 20), "01/02/2020,08:00:00,");
}

TEST(SplitSave, ADatedNameOfAFileReadInTheSessionIsLeftAlone)
{
    ThreeDays w;
    const std::string read = w.dir.file("out 20190116.csv");
    writeFile(read, "Date,Time,T1\n01/16/2019,08:00:00,1\n");
    w.c.filesRead().notePath(read, ReadKind::DataFile);
    ASSERT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(w.saved("out 20190116.csv"), "Date,Time,T1\n01/16/2019,08:00:00,1\n");
    EXPECT_NE(w.saved("out 20190116 (2).csv").find("01/16/2019,09:30:15,16,b"), std::string::npos);
    EXPECT_TRUE(contains(w.c.newLines(), "NOTE- CSV file could not be named '" + read +
                                             "': it is a data file read in this session.  Data output kept in file '" +
                                             w.dir.file("out 20190116 (2).csv") + "'."));
}
