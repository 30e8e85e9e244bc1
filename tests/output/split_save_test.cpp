#include "output/csv_writer.h"
#include "output/split_files.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>

using namespace tsl;
using namespace tsl::testing;

namespace {

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class SplitSaveTest : public ::testing::Test {
protected:
    SplitSaveTest() : data(context.tree(), {"T1", "T2"}) { context.editSettings().splitDays = 1; }

    // Two rows on each of 15, 16 and 17 January 2019.
    void addThreeDays()
    {
        for (int day = 15; day <= 17; ++day) {
            data.addRow(2019, 1, day, 8, 0, 0, {std::to_string(day), "a"});
            data.addRow(2019, 1, day, 9, 30, 15, {std::to_string(day), "b"});
        }
    }
    SaveOutcome save()
    {
        context.chooseFiles({dir.file("out.csv")});
        return OnSaveToCsv(context);
    }
    std::string saved(const std::string& name) const { return readFile(dir.file(name)); }
    std::string output(const std::string& name) const { return "Data output to file " + dir.file(name); }

    LocalZone zone{"UTC0"};
    TempDir dir;
    ScriptedContext context;
    SampleData data;
};

TEST_F(SplitSaveTest, OneDayPerFileLeavesThreeDatedFilesAndNoWorkingFile)
{
    addThreeDays();
    ASSERT_EQ(save(), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"out 20190115.csv", "out 20190116.csv", "out 20190117.csv"}));
    EXPECT_EQ(saved("out 20190115.csv"),
              "Date, Time,T1,T2\r\n01/15/2019,08:00:00,15,a\r\n01/15/2019,09:30:15,15,b\r\n");
    EXPECT_EQ(saved("out 20190116.csv"),
              "Date,Time,T1,T2\r\n01/16/2019,08:00:00,16,a\r\n01/16/2019,09:30:15,16,b\r\n");
    EXPECT_EQ(saved("out 20190117.csv"),
              "Date,Time,T1,T2\r\n01/17/2019,08:00:00,17,a\r\n01/17/2019,09:30:15,17,b\r\n");
    // The file opened after the last day holds no line and goes again.
    EXPECT_EQ(context.newLines(), (std::vector<std::string>{output("out 20190115.csv"),
                                                            output("out 20190116.csv"),
                                                            output("out 20190117.csv"),
                                                            "Saved data to CSV files."}));
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
}

TEST_F(SplitSaveTest, LaterFilesJoinTheirHeaderWithCommas)
{
    addThreeDays();
    context.editSettings().delimiter = ";";
    save();
    EXPECT_EQ(saved("out 20190115.csv").substr(0, 18), "Date; Time;T1;T2\r\n");
    EXPECT_EQ(saved("out 20190116.csv").substr(0, 17), "Date;Time;T1,T2\r\n");

    context.editSettings().timeDelimiter = false;
    for (const auto& name : filesIn(dir.path()))
        std::filesystem::remove(dir.file(name));
    save();
    EXPECT_EQ(saved("out 20190115.csv").substr(0, 17), "Date Time;T1;T2\r\n");
    EXPECT_EQ(saved("out 20190116.csv").substr(0, 17), "Date Time;T1,T2\r\n");
}

TEST_F(SplitSaveTest, SavingTwiceWithOneMaskLosesNothing)
{
    addThreeDays();
    ASSERT_EQ(save(), SaveOutcome::Saved);
    const std::string firstDay = saved("out 20190115.csv");
    const std::string lastDay = saved("out 20190117.csv");
    data.addRow(2019, 1, 17, 10, 0, 0, {"new", "c"});

    ASSERT_EQ(save(), SaveOutcome::Saved);
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"out 20190115 (2).csv", "out 20190115.csv", "out 20190116 (2).csv",
                                        "out 20190116.csv", "out 20190117 (2).csv", "out 20190117.csv"}));
    EXPECT_EQ(saved("out 20190115.csv"), firstDay);
    EXPECT_EQ(saved("out 20190115 (2).csv"), firstDay);
    EXPECT_EQ(saved("out 20190117.csv"), lastDay);
    EXPECT_NE(saved("out 20190117 (2).csv").find("10:00:00,new,c\r\n"), std::string::npos);
    const auto lines = context.newLines();
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[4], "NOTE- CSV file could not be named '" + dir.file("out 20190115.csv") +
                            "'.  Data output kept in file '" + dir.file("out 20190115 (2).csv") + "'.");
    EXPECT_EQ(lines[5], output("out 20190115 (2).csv"));
    EXPECT_EQ(lines[8], "NOTE- CSV file could not be named '" + dir.file("out 20190117.csv") +
                            "'.  Data output kept in file '" + dir.file("out 20190117 (2).csv") + "'.");
    EXPECT_EQ(lines[9], output("out 20190117 (2).csv"));
    EXPECT_EQ(lines[10], "Saved data to CSV files.");
}

TEST_F(SplitSaveTest, FilesCloseAfterADayThatBringsThemToTheLineCount)
{
    data.addRow(2019, 1, 15, 8, 0, 0, {"1", "a"});
    data.addRow(2019, 1, 16, 8, 0, 0, {"2", "b"});
    data.addRow(2019, 1, 16, 9, 0, 0, {"3", "c"});
    data.addRow(2019, 1, 17, 8, 0, 0, {"4", "d"});
    context.editSettings().splitDays = 3;
    save();
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"out 20190116.csv", "out 20190117.csv"}));
    EXPECT_EQ(saved("out 20190117.csv"), "Date,Time,T1,T2\r\n01/17/2019,08:00:00,4,d\r\n");
}

TEST_F(SplitSaveTest, FewerLinesThanTheCountGiveOneFileNamedAfterTheLastDay)
{
    data.addRow(2019, 1, 15, 8, 0, 0, {"1", "a"});
    data.addRow(2019, 1, 16, 8, 0, 0, {"2", "b"});
    context.editSettings().splitDays = 3;
    save();
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out 20190116.csv"});
    EXPECT_EQ(context.newLines(), std::vector<std::string>{"Saved data to CSV files."});
}

TEST_F(SplitSaveTest, StartDateNamesFilesWithATwoDigitYear)
{
    addThreeDays();
    std::tm start{};
    start.tm_year = 2019 - 1900;
    start.tm_mon = 11;
    start.tm_mday = 31;
    context.editSettings().writeDateFrom = true;
    context.editSettings().writeStartDate = std::mktime(&start);
    save();
    EXPECT_EQ(filesIn(dir.path()),
              (std::vector<std::string>{"out 191231.csv", "out 200101.csv", "out 200102.csv"}));
    EXPECT_EQ(saved("out 200102.csv").substr(17, 20), "01/02/2020,08:00:00,");
}

TEST_F(SplitSaveTest, NoDataLeavesNoFile)
{
    save();
    EXPECT_TRUE(filesIn(dir.path()).empty());
    EXPECT_EQ(context.newLines(), std::vector<std::string>{"Saved data to CSV files."});
}

TEST_F(SplitSaveTest, AStaleWorkingFileIsReplacedButADatedFileIsNot)
{
    addThreeDays();
    writeFile(dir.file("out S01.csv"), "stale");
    writeFile(dir.file("out 20190116.csv"), "mine");
    save();
    EXPECT_EQ(saved("out 20190116.csv"), "mine");
    EXPECT_EQ(filesIn(dir.path()), (std::vector<std::string>{"out 20190115.csv", "out 20190116 (2).csv",
                                                             "out 20190116.csv", "out 20190117.csv"}));
}

TEST(SplitFileNames, CutsTheMaskAtItsFirstDot)
{
    SplitFileNames names("/data/run.2/out.csv");
    EXPECT_EQ(names.workingName(1), "/data/run S01.2/out.csv");
    EXPECT_EQ(names.datedName("20190115"), "/data/run 20190115.2/out.csv");

    SplitFileNames plain("/data/out.csv");
    EXPECT_EQ(plain.workingName(1), "/data/out S01.csv");
    EXPECT_EQ(plain.workingName(12), "/data/out S12.csv");
    EXPECT_EQ(plain.datedName("190115", " (2)"), "/data/out 190115 (2).csv");

    SplitFileNames bare("/data/out");
    EXPECT_EQ(bare.workingName(1), "/data/out S01");
    EXPECT_EQ(bare.datedName("20190115"), "/data/out 20190115");
}

} // namespace
