#include "input/read_commands.h"
#include "input/reading_helpers.h"
#include "app/command_guard.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

// The log lines a batch gives about each file and about itself.
Lines resultLines(const Lines& lines)
{
    Lines out;
    for (const std::string& l : lines)
        for (const char* start : {"Finished reading", "Data entry stopped", "There was an error", "Reading file",
                                  "Problem reading XML", "Entered file", "Dropped files"})
            if (l.rfind(start, 0) == 0)
                out.push_back(l);
    return out;
}

// Three files of five one-minute lines each; at() gives the pump an action
// for the nth time it runs (once per line read).
class Batch : public ReadingTest {
protected:
    Batch()
    {
        for (int file = 1; file <= 3; ++file) {
            std::string text = "Date,Time,T1\n";
            for (int i = 0; i < 5; ++i)
                text += "01/02/2015,10:" + std::to_string(file * 10 + i) + ":00,1\n";
            paths.push_back(dir.file("f" + std::to_string(file) + ".csv"));
            writeFile(paths.back(), text);
        }
    }
    void at(std::map<int, std::function<void()>> acts)
    {
        c.setPumpHandler([this, acts, count = 0]() mutable {
            if (auto act = acts.find(++count); act != acts.end())
                act->second();
        });
    }
    std::vector<std::string> paths;
};

} // namespace

// A click during the read asks first: "No" reads on, "Yes" stops the file
// being read and the batch goes on with the next.
TEST_F(Batch, AStopDuringTheSecondOfThreeFiles)
{
    c.chooseFiles(paths);
    c.answer(MessageAnswer::No);
    c.answer(MessageAnswer::Yes);
    at({{2,
         [&] {
             EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "Stop Reading");
             EXPECT_FALSE(c.isEnabled(ControlId::DateFormatList));
             EXPECT_FALSE(OnReadCsvData(c).started);
         }},
        {7, [&] { OnReadCsvData(c); }}}); // the second line of the second file
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(std::make_tuple(result.started, result.finished, result.stopped), std::make_tuple(true, 2, 1));
    EXPECT_EQ(c.questionsAsked(), Lines(2, "Are you sure you want to stop data input?"));
    EXPECT_EQ(resultLines(c.newLines()),
              (Lines{"Entered file '" + dir.path() + "'", "Reading file " + paths[0], "Finished reading file.",
                     "Reading file " + paths[1], "Data entry stopped by manual command.", "Reading file " + paths[2],
                     "Finished reading file."}));
    EXPECT_EQ(rows().size(), 5u + 2u + 5u);
    EXPECT_EQ(std::make_pair(c.reading().readInProgress, c.reading().stopRequested), std::make_pair(0, 0));
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "&Read CSV Data");
    EXPECT_EQ(c.controlText(ControlId::DataFileName), dir.path());

    c.chooseFiles({}); // a cancelled dialog
    EXPECT_FALSE(OnReadCsvData(c).started);
    EXPECT_EQ(c.newLines().back(), "ERROR- CSV file name not entered");
}

TEST_F(Batch, XmlInThePathGoesToTheXmlReaderAndAFailedFileDoesNotEndTheBatch)
{
    // The look-alike does not exist, so the XML reader reports it.
    const std::string capitals = dir.file("day2.XML");
    writeFile(capitals, "Date,Time,T1\n01/02/2015,10:00:00,1\n");
    writeFile(paths[1], "Stamp,T1,T2\nnot a date at all,1,2\n");
    c.chooseFiles({dir.file("day1.xml.csv"), capitals, paths[1], paths[2]});
    c.chooseFiles({paths[0]});
    // A click in the last file, after the failed one, asks to stop rather than
    // starting a second batch.
    at({{3, [&] { OnReadCsvData(c); }}});
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(std::make_tuple(result.xmlFailed, result.failed, result.finished), std::make_tuple(1, 1, 2));
    EXPECT_EQ(resultLines(c.newLines()),
              (Lines{"Entered file '" + dir.path() + "'", "Problem reading XML file.", "Reading file " + capitals,
                     "Finished reading file.", "Reading file " + paths[1], "There was an error while reading data.",
                     "Reading file " + paths[2], "Finished reading file."}));
    EXPECT_EQ(c.questionsAsked().size(), 1u);
    EXPECT_EQ(c.dialogsShown().size(), 1u);
}

TEST_F(Batch, DroppedFilesAndADropDuringARead)
{
    writeFile(dir.file("bad.csv"), "");
    at({{2, [&] { c.reading().stopRequested = 1; }}});
    ReadBatchResult result = OnDropFiles(c, {paths[0], dir.file("bad.csv"), paths[1]});
    EXPECT_EQ(std::make_tuple(result.stopped, result.failed, result.finished), std::make_tuple(1, 1, 1));
    EXPECT_EQ(resultLines(c.newLines()),
              (Lines{"Data entry stopped by manual command.",
                     "There was an error while reading data.  Please check that this is a valid data file.",
                     "Finished reading file.", "Finished reading files"}));
    EXPECT_FALSE(c.log().selected().has_value());
    EXPECT_EQ(c.fileRequest().initialFolder, paths[1]);
    EXPECT_EQ(c.reading().readInProgress, 0);

    // A drop while a read runs is refused: the window keeps it for later.
    ScriptedContext fresh;
    fresh.chooseFiles({paths[0]});
    fresh.setPumpHandler([&, once = true]() mutable {
        if (std::exchange(once, false)) {
            EXPECT_FALSE(OnDropFiles(fresh, {paths[1], paths[2]}).started);
        }
    });
    OnReadCsvData(fresh);
    EXPECT_EQ(resultLines(fresh.newLines()),
              (Lines{"Entered file '" + paths[0] + "'", "Reading file " + paths[0],
                     "Dropped files were not read: a read is already running. Drop them again when it has finished.",
                     "Finished reading file."}));
    EXPECT_EQ(storedRows(fresh.tree()).size(), 5u);
}

// An XML file that cannot be read, or not to its end, is a failed read with a
// line that says why; the nodes read before the end stay.
TEST_F(Batch, XmlFilesThatCannotBeRead)
{
    struct Case { std::string name; std::function<void(const std::string&)> make; std::string reason; int nodes; };
    const Case cases[] = {
        {"missing.xml", [](const std::string&) {}, "No such file or directory", 0},
        {"folder.xml", [](const std::string& p) { ::mkdir(p.c_str(), 0755); }, "it is a folder", 0},
        // Binary data, such as an endless device gives, ends the read.
        {"binary.xml", [](const std::string& p) { writeFile(p, "<a/>\n<b/>\n" + std::string(3, '\0') + "<c/>\n"); },
         "it holds NUL bytes, so it is not a text file (the read ended at the first)", 2},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        const std::string path = dir.file(k.name);
        k.make(path);
        fresh.chooseFiles({path, paths[0]});
        const ReadBatchResult result = OnReadCsvData(fresh);
        EXPECT_EQ(std::make_pair(result.xmlFailed, result.finished), std::make_pair(1, 1)) << k.name;
        EXPECT_TRUE(contains(fresh.newLines(), "ERROR- XML file '" + path + "' could not be read: " + k.reason + "."))
            << k.name;
        EXPECT_TRUE(contains(fresh.newLines(), "Problem reading XML file.")) << k.name;
        int nodes = 0;
        for (const DataNode* node = fresh.tree().root()->firstChild(); node; node = node->nextSibling())
            nodes += node->name() != "fileLabels" && node->name() != "template" && node->name() != "data";
        EXPECT_EQ(nodes, k.nodes) << k.name;
    }
}

// A stop request reaches an XML read between its lines, as it reaches the
// reader of data files: what was read stays, the batch goes on.
TEST_F(Batch, AStopEndsAnXmlRead)
{
    std::string xml;
    for (int i = 0; i < 1000; ++i)
        xml += "<node order=\"" + std::to_string(i) + "\" />\n";
    writeFile(dir.file("long.xml"), xml);
    c.chooseFiles({dir.file("long.xml"), paths[0]});
    at({{10, [&] { c.reading().stopRequested = 1; }}});
    const ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(std::make_tuple(result.stopped, result.xmlFailed, result.finished), std::make_tuple(1, 0, 1));
    EXPECT_EQ(resultLines(c.newLines()),
              (Lines{"Entered file '" + dir.path() + "'", "Data entry stopped by manual command.",
                     "Reading file " + paths[0], "Finished reading file."}));
    int nodes = 0;
    for (const DataNode* node = c.tree().findNode(c.tree().root(), "node"); node; node = node->nextSibling())
        nodes += node->name() == "node";
    EXPECT_EQ(nodes, 9);
}

// The context hears of a batch once, from before its first file to after its
// last, however its files end: failed, stopped, or on an exception. In
// between the reading state says that a read runs, also after a failed file
// has cleared readInProgress.
TEST_F(Batch, TheContextHearsOfEachBatchOnceFromStartToEnd)
{
    class Recording : public ScriptedContext {
    public:
        void readBatchStarted(const std::vector<std::string>& paths) override
        {
            heard.push_back("started " + std::to_string(paths.size()));
        }
        void readBatchEnded() override { heard.push_back("ended"); }
        Lines heard;
    };
    writeFile(dir.file("bad.csv"), "");
    struct Case {
        const char* name;
        std::function<ReadBatchResult(Recording&)> run;
        std::function<void(Recording&)> onPump;
    };
    const Case cases[] = {
        {"a failed file", [&](Recording& r) { return OnDropFiles(r, {paths[0], dir.file("bad.csv"), paths[1]}); }, {}},
        {"a stop", [&](Recording& r) {
             r.chooseFiles({paths[0], dir.file("bad.csv"), paths[1]});
             return OnReadCsvData(r);
         },
         [](Recording& r) { r.reading().stopRequested = 1; }},
        {"an exception", [&](Recording& r) { return OnDropFiles(r, {paths[0], paths[1], paths[2]}); },
         [](Recording&) { throw std::runtime_error("out of order"); }},
    };
    for (const Case& k : cases) {
        Recording r;
        r.setPumpHandler([&r, &k] {
            EXPECT_TRUE(r.reading().busy()) << k.name;
            if (k.onPump)
                k.onPump(r);
        });
        r.log().setAppendListener([&r, &k](const std::string& line) {
            if (line.rfind("There was an error while reading data.", 0) == 0) {
                EXPECT_TRUE(r.reading().busy()) << k.name;
            }
        });
        runGuarded(r, k.name, [&] { k.run(r); });
        EXPECT_EQ(r.heard, (Lines{"started 3", "ended"})) << k.name;
        EXPECT_FALSE(r.reading().busy()) << k.name;
        EXPECT_EQ(r.controlText(ControlId::ReadCsvData), "&Read CSV Data") << k.name;
        EXPECT_TRUE(r.isEnabled(ControlId::SaveToCsv)) << k.name;
    }
}
