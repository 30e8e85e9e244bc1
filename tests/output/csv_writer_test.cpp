#include "output/csv_writer.h"

#include "output/sample_data.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"
#include "tree/data_tree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

std::time_t localTime(int year, int month, int day, int hour = 0)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

std::vector<std::string> filesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class CsvWriterTest : public ::testing::Test {
protected:
    CsvWriterTest() : data(context.tree(), {"T1", "T2"}) {}

    // Saves to `name` in the test folder and returns the outcome.
    SaveOutcome saveAs(const std::string& name)
    {
        context.chooseFiles({dir.file(name)});
        return OnSaveToCsv(context);
    }
    std::string saved(const std::string& name) const { return readFile(dir.file(name)); }
    ToolSettings& settings() { return context.editSettings(); }

    LocalZone zone{"UTC0"};
    TempDir dir;
    ScriptedContext context;
    SampleData data;
};

TEST_F(CsvWriterTest, WritesTheHeaderAndLinesWithTheTimeDelimiter)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"71.20", "55.00"});
    ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(saved("out.csv"), "Date, Time,T1,T2\r\n01/15/2019,13:05:00,71.20,55.00\r\n");
    EXPECT_EQ(context.newLines(), (std::vector<std::string>{
                                      "Starting output to file... ",
                                      "Saved data to CSV file '" + dir.file("out.csv") + "'."}));
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.csv"});
}

TEST_F(CsvWriterTest, WritesDateAndTimeAsOneFieldWithoutTheTimeDelimiter)
{
    settings().timeDelimiter = false;
    data.addRow(2019, 1, 15, 13, 5, 0, {"71.20", "55.00"});
    ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(saved("out.csv"), "Date Time,T1,T2\r\n01/15/2019 13:05:00,71.20,55.00\r\n");
}

TEST_F(CsvWriterTest, CancelledDialogSavesNothing)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    context.chooseFiles({});
    EXPECT_EQ(OnSaveToCsv(context), SaveOutcome::Cancelled);
    EXPECT_EQ(context.newLines(),
              std::vector<std::string>{"ERROR: CSV save file name not entered.  No data was saved."});
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

// One row at 13:05:00 on 15 January 2019 in every layout, dated from the
// nodes and then from a start date that replaces another stored date.
struct LayoutLine {
    DateFormatId format;
    const char* begins;
};

const LayoutLine layoutLines[] = {
    {0, "15/01/2019,13:05:00,"}, {1, "01/15/2019,13:05:00,"},  {2, "15/01/19,13:05:00,"},
    {3, "01/15/19,13:05:00,"},   {4, "2019/01/15,13:05:00,"},  {5, "190115-13:05:00,"},
    {6, "20190115-13:05:00,"},   {7, "20190115-130500,"},      {8, "20190115-130500,"},
    {9, "20190115-130500,"},     {10, "2019-01-15T13:05:00,"}, {11, "20190115T130500,"},
    {12, "190115, 130500,"},
};

std::string dataLineOf(const std::string& file)
{
    const std::size_t start = file.find("\r\n");
    return start == std::string::npos ? std::string() : file.substr(start + 2);
}

TEST_F(CsvWriterTest, WritesEveryLayoutFromTheNodes)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"7.50", "8.25"});
    for (const LayoutLine& layout : layoutLines) {
        settings().dateFormat = layout.format;
        ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
        EXPECT_EQ(dataLineOf(saved("out.csv")), std::string(layout.begins) + "7.50,8.25\r\n")
            << "layout " << layout.format;
    }
}

TEST_F(CsvWriterTest, WritesEveryLayoutFromAStartDate)
{
    LocalZone berlin("CET-1CEST,M3.5.0,M10.5.0/3");
    data.addRow(2020, 6, 30, 13, 5, 0, {"7.50", "8.25"});
    settings().writeDateFrom = true;
    settings().writeStartDate = localTime(2019, 1, 15);
    for (const LayoutLine& layout : layoutLines) {
        settings().dateFormat = layout.format;
        ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
        EXPECT_EQ(dataLineOf(saved("out.csv")), std::string(layout.begins) + "7.50,8.25\r\n")
            << "layout " << layout.format;
    }
}

TEST_F(CsvWriterTest, UnknownLayoutIsWrittenAsTheFirst)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    settings().dateFormat = 13;
    saveAs("out.csv");
    EXPECT_EQ(dataLineOf(saved("out.csv")), "15/01/2019,13:05:00,1,2\r\n");
}

TEST_F(CsvWriterTest, StartDateAdvancesOneDayPerDayNodeWhateverItsDate)
{
    data.addRow(2019, 3, 1, 0, 0, 0, {"1", "2"});
    data.addRow(2019, 3, 9, 23, 59, 30, {"3", "4"});
    data.addRow(2019, 4, 2, 6, 0, 0, {"5", "6"});
    settings().writeDateFrom = true;
    settings().writeStartDate = localTime(2018, 12, 31);
    settings().dateFormat = 4;
    saveAs("out.csv");
    EXPECT_EQ(saved("out.csv"), "Date, Time,T1,T2\r\n"
                                "2018/12/31,00:00:00,1,2\r\n"
                                "2019/01/01,23:59:30,3,4\r\n"
                                "2019/01/02,06:00:00,5,6\r\n");
}

TEST_F(CsvWriterTest, NodeTextsShorterThanTheirFieldArePaddedWithBlanks)
{
    DataTree& tree = context.tree();
    DataNode* line = data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    DataNode* day = line->parent()->parent();
    tree.setAttribute(day, "day", "5");
    tree.setAttribute(line, "timestampCSV", "7");
    saveAs("out.csv");
    EXPECT_EQ(dataLineOf(saved("out.csv")), "01/ 5/2019,13:7:,1,2\r\n");
}

TEST_F(CsvWriterTest, CellsFollowTheDataWhileTheHeaderFollowsTheOutputTemplate)
{
    DataTree& tree = context.tree();
    data.addRow(2019, 1, 15, 13, 5, 0, {"1.00", "2.00"});
    DataNode* output = tree.addChild(tree.root(), "outputTemplate");
    for (const char* label : {"T2", "MISSING"}) {
        DataNode* node = tree.addChild(output, "label");
        tree.setAttribute(node, "value", label);
    }
    ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
    // T1 is not chosen; T2 is the last cell and ends the line.
    EXPECT_EQ(saved("out.csv"), "Date, Time,T2,MISSING\r\n01/15/2019,13:05:00,2.00\r\n");

    tree.setAttribute(output->firstChild(), "value", "T1");
    saveAs("out.csv");
    // The last cell is not chosen: the line ends with the delimiter and the break.
    EXPECT_EQ(dataLineOf(saved("out.csv")), "01/15/2019,13:05:00,1.00,\r\n");
}

TEST_F(CsvWriterTest, BlankCellsAndAnEmptyDelimiter)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"", "2.00"});
    saveAs("blank.csv");
    EXPECT_EQ(dataLineOf(saved("blank.csv")), "01/15/2019,13:05:00,,2.00\r\n");

    settings().delimiter = "";
    saveAs("none.csv");
    // Date and time stay apart by a blank even with the time delimiter set.
    EXPECT_EQ(saved("none.csv"), "Date TimeT1T2\r\n01/15/2019 13:05:002.00\r\n");
}

TEST_F(CsvWriterTest, OnlyTheFirstCharacterOfTheDelimiterCounts)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    settings().delimiter = ";;";
    saveAs("out.csv");
    EXPECT_EQ(saved("out.csv"), "Date; Time;T1;T2\r\n01/15/2019;13:05:00;1;2\r\n");
    settings().delimiter = "\xC2\xA7x";
    saveAs("out.csv");
    EXPECT_EQ(saved("out.csv"), "Date\xC2\xA7 Time\xC2\xA7T1\xC2\xA7T2\r\n"
                                "01/15/2019\xC2\xA7" "13:05:00\xC2\xA7" "1\xC2\xA7" "2\r\n");
}

TEST_F(CsvWriterTest, NoDataWritesOnlyTheOpeningOfTheHeader)
{
    TempDir other;
    ScriptedContext empty;
    empty.chooseFiles({other.file("out.csv")});
    ASSERT_EQ(OnSaveToCsv(empty), SaveOutcome::Saved);
    EXPECT_EQ(readFile(other.file("out.csv")), "Date, Time,");
    EXPECT_EQ(empty.newLines().back(), "Saved data to CSV file '" + other.file("out.csv") + "'.");
}

TEST_F(CsvWriterTest, LinesWithoutACsvTimeArePassedOver)
{
    DataTree& tree = context.tree();
    DataNode* line = data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    data.addRow(2019, 1, 15, 13, 6, 0, {"3", "4"});
    DataNode* bare = tree.addChild(line->parent(), "dataline");
    tree.setAttribute(bare, "timestamp", "07:00");
    saveAs("out.csv");
    EXPECT_EQ(saved("out.csv"), "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n01/15/2019,13:06:00,3,4\r\n");
}

TEST_F(CsvWriterTest, OnlyTheYearsOfTheFirstDataAreWritten)
{
    DataTree& tree = context.tree();
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    DataNode* second = tree.addChild(tree.root(), "data");
    DataNode* year = tree.addChild(second, "dataYear");
    tree.setAttribute(year, "year", "2020");
    DataNode* hour = tree.insertChildSorted(
        tree.insertChildSorted(tree.insertChildSorted(year, "dataMonth", "month", "01"), "dataDay", "day", "01"),
        "dataHour", "hour", "00");
    DataNode* line = tree.copySubtree(hour, data.templateNode());
    tree.setName(line, "dataline");
    tree.setAttribute(line, "timestampCSV", "00:00");
    saveAs("out.csv");
    EXPECT_EQ(saved("out.csv"), "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n");
}

TEST_F(CsvWriterTest, ReplacesTheChosenFileWhole)
{
    writeFile(dir.file("out.csv"), std::string(100000, 'x'));
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    ASSERT_EQ(saveAs("out.csv"), SaveOutcome::Saved);
    EXPECT_EQ(saved("out.csv"), "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.csv"});
}

// ---- failures ---------------------------------------------------------------

const char* const openFailed =
    "ERROR: Problem encountered opening CSV output file.  No data was saved to file.";

TEST_F(CsvWriterTest, AFolderThatDoesNotExistSavesNothing)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    EXPECT_EQ(saveAs("missing/out.csv"), SaveOutcome::OpenFailed);
    EXPECT_EQ(context.newLines(), std::vector<std::string>{openFailed});
    EXPECT_EQ(context.log().selected(), context.log().size() - 1);
    EXPECT_TRUE(filesIn(dir.path()).empty());
}

TEST_F(CsvWriterTest, AReadOnlyFileIsLeftAsItWas)
{
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    writeFile(dir.file("out.csv"), "keep me");
    ::chmod(dir.file("out.csv").c_str(), 0444);
    EXPECT_EQ(saveAs("out.csv"), SaveOutcome::OpenFailed);
    EXPECT_EQ(context.newLines(), std::vector<std::string>{openFailed});
    EXPECT_EQ(saved("out.csv"), "keep me");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.csv"});
}

TEST_F(CsvWriterTest, AMaskWhoseFolderHoldsADotCannotBeOpened)
{
    std::filesystem::create_directory(dir.file("run.2"));
    data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
    settings().splitDays = 1;
    EXPECT_EQ(saveAs("run.2/out.csv"), SaveOutcome::OpenFailed);
    EXPECT_EQ(context.newLines(), std::vector<std::string>{openFailed});
    EXPECT_TRUE(filesIn(dir.file("run.2")).empty());
}

// The process may write no more than `limit` bytes to any file while this
// lives, as on a disk that is full.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = old_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int);
};

void addRows(SampleData& data, int day, int count)
{
    for (int minute = 0; minute < count; ++minute)
        data.addRow(2019, 1, day, minute / 60, minute % 60, 0, {"123.45", "678.90"});
}

TEST_F(CsvWriterTest, AFullDiskKeepsTheEarlierFile)
{
    addRows(data, 1, 600);
    writeFile(dir.file("out.csv"), "earlier");
    {
        FileSizeLimit full(4096);
        EXPECT_EQ(saveAs("out.csv"), SaveOutcome::WriteFailed);
    }
    EXPECT_EQ(context.newLines().back(), "ERROR: Problem encountered writing CSV output file '" +
                                             dir.file("out.csv") + "'.  No data was saved to that file.");
    EXPECT_EQ(saved("out.csv"), "earlier");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out.csv"});
}

TEST_F(CsvWriterTest, AFullDiskDuringASplitSaveKeepsTheFilesAlreadyDone)
{
    // About 4 KB on the first day, 24 KB on the second.
    addRows(data, 1, 100);
    addRows(data, 2, 600);
    addRows(data, 3, 100);
    settings().splitDays = 1;
    {
        FileSizeLimit full(10000);
        EXPECT_EQ(saveAs("out.csv"), SaveOutcome::WriteFailed);
    }
    EXPECT_EQ(context.newLines().back(), "ERROR: Problem encountered writing CSV output file '" +
                                             dir.file("out 20190102.csv") +
                                             "'.  No data was saved to that file.");
    EXPECT_EQ(filesIn(dir.path()), std::vector<std::string>{"out 20190101.csv"});
    const std::string first = saved("out 20190101.csv");
    EXPECT_EQ(first.size(), 18u + 100u * 35u);
}

} // namespace
