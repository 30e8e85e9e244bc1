#include "input/import_command.h"
#include "input/read_commands.h"
#include "output/csv_writer.h"

#include "input/reading_helpers.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace tsl {
namespace {

using namespace tsl::testing;

std::string saveCsv(ScriptedContext& c, const std::string& path)
{
    c.chooseFiles({path});
    EXPECT_EQ(OnSaveToCsv(c), SaveOutcome::Saved);
    return readFile(path);
}

bool logged(const Lines& lines, std::string_view start, std::string_view part)
{
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
        return l.rfind(start, 0) == 0 && l.find(part) != std::string::npos;
    });
}

TEST(ImportCommand, ReadableFileMergesAsTheReaderReadsIt)
{
    ZoneScope zone("UTC");
    TempDir dir;
    const std::string data = "Date,Time,T1,T2\r\n"
                             "01/13/2015,10:00:00,1.5,2.5\r\n"
                             "01/13/2015,10:00:30,3.5,\r\n"
                             "01/13/2015,10:01:00,5.5,4.5\r\n"
                             "01/14/2015,00:00:00,7,8\r\n";
    writeFile(dir.file("logger.csv"), data);

    ScriptedContext direct;
    ASSERT_EQ(readDataFile(direct, dir.file("logger.csv")), ReadResult::Finished);
    ScriptedContext imported;
    imported.editSettings().dateFormat = 0;
    const ImportResult result = importExports(imported, {dir.file("logger.csv")});
    EXPECT_EQ(result.finished, 1);
    EXPECT_EQ(imported.settings().dateFormat, 0);
    EXPECT_TRUE(fileExists(dir.file("logger.import.csv")));
    EXPECT_EQ(readFile(dir.file("logger.csv")), data);

    imported.editSettings().dateFormat = 1;
    EXPECT_EQ(saveCsv(imported, dir.file("b.csv")), saveCsv(direct, dir.file("a.csv")));

    // Importing again replaces the import's own copy; another file of that
    // name is never replaced.
    writeFile(dir.file("other.import.csv"), "someone else's file");
    writeFile(dir.file("other.csv"), data);
    ScriptedContext again;
    again.editSettings().interval = DataInterval::Min5;
    const ImportResult second = importExports(again, {dir.file("logger.csv"), dir.file("other.csv")});
    EXPECT_EQ(second.preparedPaths,
              (std::vector<std::string>{dir.file("logger.import.csv"), dir.file("other.import-2.csv")}));
    EXPECT_EQ(readFile(dir.file("other.import.csv")), "someone else's file");
    EXPECT_NE(readFile(dir.file("logger.import.csv")).find("grid 5 Min, Average Data"), std::string::npos);
}

// The prepared copy holds one line per grid instant, every value at full
// precision, and says on its second line what it was made for.
TEST(ImportCommand, PreparedCopyOfWanderingSeconds)
{
    ZoneScope zone("UTC");
    TempDir dir;
    writeFile(dir.file("wander.csv"), "Timestamp,Value (\xC2\xB0""F)\n"
                                      "06-Jun-22 7:51:59 AM CDT,50\n"
                                      "06-Jun-22 7:52:31 AM CDT,51\n"
                                      "06-Jun-22 7:52:59 AM CDT,52.5\n"
                                      "06-Jun-22 7:53:00 AM CDT,53\n"
                                      "06-Jun-22 7:53:01 AM CDT,54\n");
    ScriptedContext c;
    const ImportResult result = importExports(c, {dir.file("wander.csv")});
    ASSERT_EQ(result.finished, 1);
    EXPECT_EQ(readFile(dir.file("wander.import.csv")),
              "Date,Time,wander [\xC2\xB0""F]\r\n"
              "Prepared data from " + dir.file("wander.csv") + "; grid 1 Min, Average Data\r\n"
              "2022/06/06,07:52:00,50\r\n"
              "2022/06/06,07:53:00,52.166666666666664\r\n"
              "2022/06/06,07:54:00,54\r\n");
    EXPECT_TRUE(logged(c.newLines(), "   check:", "5 readings, 5 placed, 3 lines prepared"));
    // the marker line is passed over by the reader: three lines read, no error
    EXPECT_TRUE(contains(c.newLines(), "Done with file, read 3 lines, found 0 blanks"));
}

// An export written newest first is read from its last line up, and its
// copy is the one of the same export written oldest first.
TEST(ImportCommand, NewestFirstReadsAsOldestFirst)
{
    ZoneScope zone("UTC");
    TempDir dir;
    Lines rows;
    for (int i = 0; i < 40; ++i)
        rows.push_back("2022-03-0" + std::to_string(1 + i / 24) + " " + (i % 24 < 10 ? "0" : "") +
                       std::to_string(i % 24) + ":0" + std::to_string(i % 7) + ":00," + std::to_string(i % 5));
    std::string oldest = "Time,Flow\n", newest = "Time,Flow\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        oldest += rows[i] + "\n";
        newest += rows[rows.size() - 1 - i] + "\n";
    }
    writeFile(dir.file("oldest.csv"), oldest);
    writeFile(dir.file("newest.csv"), newest);
    ScriptedContext c;
    c.editSettings().interval = DataInterval::Min10;
    const ImportResult result = importExports(c, {dir.file("oldest.csv"), dir.file("newest.csv")});
    EXPECT_EQ(result.finished, 2);
    auto withoutHead = [](std::string text) { return text.substr(text.find("\r\n", text.find("\r\n") + 2)); };
    EXPECT_EQ(withoutHead(readFile(dir.file("newest.import.csv"))), withoutHead(readFile(dir.file("oldest.import.csv"))));
    EXPECT_TRUE(logged(c.newLines(), "   shape:", "newest first, read from the last line up"));
    EXPECT_TRUE(logged(c.newLines(), "   check:", "40 readings, 40 placed"));
}

// What the import cannot read is refused with the reason; what it must
// guess it says in a WARNING line.
TEST(ImportCommand, RefusalsAndWarnings)
{
    TempDir dir;
    std::string decimals = "t,p\n";
    for (int i = 0; i < 10; ++i)
        decimals += "2020-01-01 10:0" + std::to_string(i) + ":00,0.00" + std::to_string(33 + i % 2 * 8) + "\n";
    writeFile(dir.file("ambiguous.csv"), "t,v\n01/02/2020 10:00,1\n01/02/2020 11:00,2\n");
    writeFile(dir.file("words.csv"), "a,b\nx,y\nz,w\n");
    writeFile(dir.file("pressure.csv"), decimals);
    writeFile(dir.file("changes.csv"), "t,s\n2020-01-01 10:00:00,On\n2020-01-01 10:00:07,Off\n"
                                       "2020-01-01 17:30:00,On\n2020-01-03 08:00:00,Off\n");
    std::filesystem::create_directory(dir.file("empty"));
    ScriptedContext c;
    c.editSettings().interval = DataInterval::None;
    const ImportResult result =
        importExports(c, {dir.file("ambiguous.csv"), dir.file("words.csv"), dir.file("missing.csv"),
                            dir.file("empty"), "/dev/zero", dir.file("pressure.csv"), dir.file("changes.csv")});
    EXPECT_EQ(result.refused, 4);
    EXPECT_EQ(result.finished, 3);
    const Lines lines = c.newLines();
    for (const char* refusal : {"words.csv: none of its first lines", "missing.csv: the file cannot be opened",
                                "empty: it is a folder without exports", "/dev/zero: it is not a regular file"})
        EXPECT_TRUE(logged(lines, "Import refused:", refusal)) << refusal;
    EXPECT_TRUE(logged(lines, "WARNING: ambiguous.csv:", "day first (first 2020-02-01 10:00:00)"));
    EXPECT_TRUE(logged(lines, "WARNING: ambiguous.csv:", "month first (first 2020-01-02 10:00:00)"));
    EXPECT_TRUE(logged(lines, "WARNING: pressure.csv:", "rounds to zero at 2 decimals"));
    EXPECT_TRUE(logged(lines, "WARNING: pressure.csv:", "(Decimals, tsl --decimals) to 3 or more"));
    EXPECT_TRUE(logged(lines, "WARNING: changes.csv:", "change-of-value log"));
    // without a grid each change keeps its own instant, rounded up to ten seconds
    EXPECT_EQ(storedRows(c.tree()).size(), 2u + 10u + 3u); // one change at 10:00:00 shares a row
    EXPECT_TRUE(contains(storedRows(c.tree()), "2020/01/01 10:00:10||| 0.00"));
}

TEST(ImportCommand, AStopWhileExaminingWritesAndReadsNothing)
{
    TempDir dir;
    std::string text = "t,v\n";
    for (int i = 0; i < 1000; ++i)
        text += "2020-01-01 10:00:00,1\n";
    writeFile(dir.file("long.csv"), text);
    ScriptedContext c;
    int pumps = 0;
    c.setPumpHandler([&] {
        if (++pumps == 3)
            c.reading().stopRequested = 1;
    });
    const ImportResult result = importExports(c, {dir.file("long.csv")});
    EXPECT_EQ(result.stopped, 1);
    EXPECT_FALSE(fileExists(dir.file("long.import.csv")));
    EXPECT_FALSE(c.tree().findNode(c.tree().root(), "data"));
    EXPECT_EQ(c.reading().stopRequested, 0);
    EXPECT_EQ(c.reading().readInProgress, 0);
    EXPECT_TRUE(logged(c.newLines(), "Import stopped by manual command", "nothing was written or read"));
}

// A folder stands for the exports in it; the import's own files are not
// imported again, and importing again rewrites them.
TEST(ImportCommand, AFolderImportsTheExportsInIt)
{
    ZoneScope zone("UTC");
    TempDir dir;
    const std::string utf16 = [] {
        std::string ascii = "Time,Pressure\r2022-01-01 00:00:00,0.5\r2022-01-01 00:01:00,1.5\r", out = "\xFF\xFE";
        for (char ch : ascii)
            out += std::string{ch, '\0'};
        return out;
    }();
    writeFile(dir.file("b.csv"), utf16);
    writeFile(dir.file("a.CSV"), "Time;Temp\n2022-01-01 00:00:30;21,5\n");
    writeFile(dir.file("LICENSE"), "MIT");
    for (int run = 0; run < 2; ++run) {
        ScriptedContext c;
        const ImportResult result = importExports(c, {dir.path()}, dir.file("out"));
        EXPECT_EQ(result.finished, 2);
        EXPECT_EQ(result.preparedPaths,
                  (std::vector<std::string>{dir.file("out/a.import.csv"), dir.file("out/b.import.csv")}));
        EXPECT_EQ(storedRows(c.tree()), (Lines{"2022/01/01 00:01:00|21.50| 1.50", "2022/01/01 00:00:00|| 0.50"}));
    }
}

// No import starts while a read runs: not inside a file being read, and not
// between two files of a batch, after one that failed has left readInProgress
// clear. Each attempt is refused with one line and writes nothing.
TEST(ImportCommand, RefusedWhileAReadOrABatchOfReadsRuns)
{
    ZoneScope zone("UTC");
    TempDir dir;
    writeFile(dir.file("logger.csv"), "Date,Time,T1\n01/02/2015,10:00:00,1\n01/02/2015,10:01:00,2\n");
    writeFile(dir.file("bad.csv"), "");
    writeFile(dir.file("export.csv"), "Time,Flow\n2022-03-01 10:00:00,4\n");
    ScriptedContext c;
    std::vector<ImportResult> attempts;
    auto attempt = [&] { attempts.push_back(importExports(c, {dir.file("export.csv")}, dir.file("kept"))); };
    c.setPumpHandler([&, once = true]() mutable {
        if (std::exchange(once, false))
            attempt();
    });
    c.log().setAppendListener([&](const std::string& line) {
        if (line.rfind("There was an error while reading data.", 0) == 0) {
            EXPECT_EQ(c.reading().readInProgress, 0);
            attempt();
        }
    });
    OnDropFiles(c, {dir.file("logger.csv"), dir.file("bad.csv"), dir.file("logger.csv")});

    const std::string refusal = "Import not started: a read is running. Import again when it has finished.";
    ASSERT_EQ(attempts.size(), 2u);
    for (const ImportResult& result : attempts) {
        EXPECT_FALSE(result.started);
        EXPECT_EQ(result.outputFolder, dir.file("kept"));
    }
    const Lines lines = c.newLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), refusal), 2);
    EXPECT_FALSE(logged(lines, "Import", "export.csv"));
    EXPECT_FALSE(fileExists(dir.file("export.import.csv")));
    EXPECT_FALSE(c.reading().busy());
    EXPECT_EQ(importExports(c, {dir.file("export.csv")}).finished, 1);
}

// The review sees each plan before anything is written: Cancel leaves all as
// it was; a folder chosen there is planned with and handed back to be kept,
// and is not reviewed again.
TEST(ImportCommand, TheReviewDecidesAndItsFolderIsKept)
{
    ZoneScope zone("UTC");
    struct Case {
        bool accept;
        const char* chosen; // the folder the review leaves
        int finished;
        const char* kept;
    };
    for (const Case& k : {Case{false, "copies", 0, "start"}, Case{true, "start", 1, "start"},
                          Case{true, "copies", 1, "copies"}}) {
        TempDir dir;
        writeFile(dir.file("export.csv"), "Time,Flow\n2022-03-01 10:00:00,4\n");
        std::filesystem::create_directory(dir.file("copies"));
        ScriptedContext c;
        int reviews = 0;
        const ImportReview review = [&](ImportPlan& plan, std::string& folder) {
            ++reviews;
            EXPECT_EQ(plan.files.size(), 1u);
            EXPECT_FALSE(c.reading().busy());
            EXPECT_EQ(folder, dir.file("start"));
            folder = dir.file(k.chosen);
            return k.accept;
        };
        const ImportResult result = importExports(c, {dir.file("export.csv")}, dir.file("start"), review);
        EXPECT_EQ(reviews, 1) << k.chosen;
        EXPECT_EQ(result.finished, k.finished) << k.chosen;
        EXPECT_EQ(result.outputFolder, dir.file(k.kept)) << k.chosen;
        if (k.accept) {
            EXPECT_EQ(result.preparedPaths, std::vector<std::string>{dir.file(k.kept) + "/export.import.csv"});
        } else {
            EXPECT_EQ(c.newLines().back(), "Import cancelled: nothing was read.");
            EXPECT_FALSE(c.tree().findNode(c.tree().root(), "data"));
            EXPECT_FALSE(fileExists(dir.file("copies/export.import.csv")));
        }
    }
}

} // namespace
} // namespace tsl
