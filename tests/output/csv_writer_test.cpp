#include "output/sample_data.h"
#include "support/file_size_limit.h"

#include <functional>
#include <sys/stat.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

std::string dataLineOf(const std::string& file) { return file.substr(std::min(file.size(), file.find("\r\n") + 2)); }

const char* const openFailed = "ERROR: Problem encountered opening CSV output file.  No data was saved to file.";

} // namespace

// One saved file per case: the data and settings it was given, and all of
// the file. Nothing else is left in the folder.
TEST(CsvWriter, WritesTheHeaderAndOneLinePerDataLine)
{
    struct Case { const char* what; std::function<void(SaveWorld&)> give; std::string file; std::string warning = {}; };
    auto row = [](SaveWorld& w, Lines cells = {"71.20", "55.00"}) { return w.data.addRow(2019, 1, 15, 13, 5, 0, cells); };
    auto outputTemplate = [](SaveWorld& w, std::vector<const char*> labels) {
        DataNode* output = w.c.tree().addChild(w.c.tree().root(), "outputTemplate");
        for (const char* label : labels)
            w.c.tree().setAttribute(w.c.tree().addChild(output, "label"), "value", label);
    };
    const Case cases[] = {
        {"the example", [&](SaveWorld& w) { row(w); }, "Date, Time,T1,T2\r\n01/15/2019,13:05:00,71.20,55.00\r\n"},
        {"no time delimiter, a blank cell", [&](SaveWorld& w) { row(w, {"", "55.00"}), w.settings().timeDelimiter = false; },
         "Date Time,T1,T2\r\n01/15/2019 13:05:00,,55.00\r\n"},
        {"only the delimiter's first character, of two bytes", [&](SaveWorld& w) { row(w, {"1", "2"}), w.settings().delimiter = "\xC2\xA7x"; },
         "Date\xC2\xA7 Time\xC2\xA7T1\xC2\xA7T2\r\n01/15/2019\xC2\xA7" "13:05:00\xC2\xA7" "1\xC2\xA7" "2\r\n"},
        {"an unknown layout, written as the first", [&](SaveWorld& w) { row(w, {"1", "2"}), w.settings().dateFormat = 13; },
         "Date, Time,T1,T2\r\n15/01/2019,13:05:00,1,2\r\n"},
        {"a start date, one day on per day node whatever its date",
         [](SaveWorld& w) {
             for (int day : {1, 9, 40})
                 w.data.addRow(2019, 3 + day / 31, day % 31, 6, 0, 0, {std::to_string(day), ""});
             w.settings().writeDateFrom = true, w.settings().writeStartDate = localMidnight(2018, 12, 31);
         },
         "Date, Time,T1,T2\r\n12/31/2018,06:00:00,1,\r\n01/01/2019,06:00:00,9,\r\n01/02/2019,06:00:00,40,\r\n"},
        // Cells follow the data, the header the output template; a chosen last
        // cell ends the line. A header that does not fit its columns is warned of.
        {"an output template", [&](SaveWorld& w) { row(w, {"1", "2"}), outputTemplate(w, {"T2", "MISSING"}); },
         "Date, Time,T2,MISSING\r\n01/15/2019,13:05:00,2\r\n",
         "WARNING- the output template names labels the data does not have (MISSING): the header names T2,MISSING "
         "over the columns T2."},
        {"an output template in another order", [&](SaveWorld& w) { row(w, {"1", "2"}), outputTemplate(w, {"T2", "T1"}); },
         "Date, Time,T2,T1\r\n01/15/2019,13:05:00,1,2\r\n",
         "WARNING- the output template lists its labels in another order than the stored columns: the header names "
         "T2,T1 over the columns T1,T2."},
        {"both", [&](SaveWorld& w) { row(w, {"1", "2"}), outputTemplate(w, {"MISSING", "T2", "T1"}); },
         "Date, Time,MISSING,T2,T1\r\n01/15/2019,13:05:00,1,2\r\n",
         "WARNING- the output template names labels the data does not have (MISSING) and lists its labels in another "
         "order than the stored columns: the header names MISSING,T2,T1 over the columns T1,T2."},
        {"an output template without the last cell", [&](SaveWorld& w) { row(w, {"1", "2"}), outputTemplate(w, {"T1"}); },
         "Date, Time,T1\r\n01/15/2019,13:05:00,1,\r\n"},
        {"no data", [](SaveWorld&) {}, "Date, Time,"},
        {"a line without a CSV time, passed over",
         [&](SaveWorld& w) {
             DataNode* line = row(w, {"1", "2"});
             w.c.tree().setAttribute(w.c.tree().addChild(line->parent(), "dataline"), "timestamp", "07:00");
         },
         "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n"},
        {"a file there before, replaced whole",
         [&](SaveWorld& w) { row(w, {"1", "2"}), writeFile(w.dir.file("out.csv"), std::string(100000, 'x')); },
         "Date, Time,T1,T2\r\n01/15/2019,13:05:00,1,2\r\n"},
    };
    for (const Case& k : cases) {
        SaveWorld w;
        k.give(w);
        EXPECT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved) << k.what;
        EXPECT_EQ(w.saved("out.csv"), k.file) << k.what;
        EXPECT_EQ(filesIn(w.dir.path()), Lines{"out.csv"}) << k.what;
        Lines logged{"Starting output to file... ", "Saved data to CSV file '" + w.dir.file("out.csv") + "'."};
        if (!k.warning.empty())
            logged.insert(logged.begin(), k.warning);
        EXPECT_EQ(w.c.newLines(), logged) << k.what;
        EXPECT_EQ(*w.c.log().selected(), w.c.log().size() - 1) << k.what;
    }
}

// One row at 13:05:00 on 15 January 2019 in every layout, dated from the
// nodes and then from a start date that replaces another stored date.
TEST(CsvWriter, WritesEveryLayoutFromTheNodesAndFromAStartDate)
{
    const std::pair<DateFormatId, const char*> layouts[] = {
        {0, "15/01/2019,13:05:00,"}, {1, "01/15/2019,13:05:00,"},  {2, "15/01/19,13:05:00,"},
        {3, "01/15/19,13:05:00,"},   {4, "2019/01/15,13:05:00,"},  {5, "190115-13:05:00,"},
        {6, "20190115-13:05:00,"},   {7, "20190115-130500,"},      {8, "20190115-130500,"},
        {9, "20190115-130500,"},     {10, "2019-01-15T13:05:00,"}, {11, "20190115T130500,"},
        {12, "190115, 130500,"},
    };
    for (bool fromStartDate : {false, true}) {
        SaveWorld w;
        ZoneScope berlin("CET-1CEST,M3.5.0,M10.5.0/3");
        w.data.addRow(fromStartDate ? 2020 : 2019, fromStartDate ? 6 : 1, fromStartDate ? 30 : 15, 13, 5, 0,
                      {"7.50", "8.25"});
        w.settings().writeDateFrom = fromStartDate;
        w.settings().writeStartDate = localMidnight(2019, 1, 15);
        for (const auto& [format, begins] : layouts) {
            w.settings().dateFormat = format;
            ASSERT_EQ(w.saveAs("out.csv"), SaveOutcome::Saved);
            EXPECT_EQ(dataLineOf(w.saved("out.csv")), std::string(begins) + "7.50,8.25\r\n") << "layout " << format;
        }
    }
}

TEST(CsvWriter, FailuresSaveNothingAndLeaveEveryFileAsItWas)
{
    struct Case { const char* name; std::function<void(SaveWorld&)> give; SaveOutcome outcome; const char* logged; Lines files; };
    const Case cases[] = {
        {nullptr, [](SaveWorld&) {}, SaveOutcome::Cancelled, "ERROR: CSV save file name not entered.  No data was saved.", {}},
        {"missing/out.csv", [](SaveWorld&) {}, SaveOutcome::OpenFailed, openFailed, {}},
        {"out.csv",
         [](SaveWorld& w) {
             writeFile(w.dir.file("out.csv"), "keep me");
             ::chmod(w.dir.file("out.csv").c_str(), 0444);
         },
         SaveOutcome::OpenFailed, openFailed, {"out.csv"}},
        // A split save cuts the mask at its first '.', here the folder's.
        {"run.2/out.csv",
         [](SaveWorld& w) {
             std::filesystem::create_directory(w.dir.file("run.2"));
             w.settings().splitDays = 1;
         },
         SaveOutcome::OpenFailed, openFailed, {"run.2"}},
    };
    for (const Case& k : cases) {
        SaveWorld w;
        w.data.addRow(2019, 1, 15, 13, 5, 0, {"1", "2"});
        k.give(w);
        if (k.name)
            w.c.chooseFiles({w.dir.file(k.name)});
        else
            w.c.chooseFiles({});
        EXPECT_EQ(OnSaveToCsv(w.c), k.outcome) << k.name;
        EXPECT_EQ(w.c.newLines(), Lines{k.logged}) << k.name;
        EXPECT_EQ(*w.c.log().selected(), w.c.log().size() - 1);
        EXPECT_EQ(filesIn(w.dir.path()), k.files) << k.name;
        if (contains(k.files, "out.csv")) {
            EXPECT_EQ(w.saved("out.csv"), "keep me");
        }
    }
}

TEST(CsvWriter, AFullDiskKeepsTheEarlierFileAndTheSplitFilesAlreadyDone)
{
    const std::string failed = "ERROR: Problem encountered writing CSV output file '";
    SaveWorld w;
    for (int minute = 0; minute < 800; ++minute) // about 4 KB on the first day, 24 KB on the second
        w.data.addRow(2019, 1, minute < 100 ? 1 : minute < 700 ? 2 : 3, minute / 60, minute % 60, 0, {"123.45", "678.90"});
    writeFile(w.dir.file("out.csv"), "earlier");
    {
        FileSizeLimit full(4096);
        EXPECT_EQ(w.saveAs("out.csv"), SaveOutcome::WriteFailed);
    }
    EXPECT_EQ(w.c.newLines().back(), failed + w.dir.file("out.csv") + "'.  No data was saved to that file.");
    EXPECT_EQ(w.saved("out.csv"), "earlier");
    EXPECT_EQ(filesIn(w.dir.path()), Lines{"out.csv"});

    w.settings().splitDays = 1;
    {
        FileSizeLimit full(10000);
        EXPECT_EQ(w.saveAs("day.csv"), SaveOutcome::WriteFailed);
    }
    EXPECT_EQ(w.c.newLines().back(), failed + w.dir.file("day 20190102.csv") + "'.  No data was saved to that file.");
    EXPECT_EQ(filesIn(w.dir.path()), (Lines{"day 20190101.csv", "out.csv"}));
    EXPECT_EQ(w.saved("day 20190101.csv").size(), 18u + 100u * 35u);
}
