#include "input/read_commands.h"

#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tsl {
namespace {

using namespace tsl::testing;
using Lines = std::vector<std::string>;

std::string dataFile(int firstMinute, int lines)
{
    std::string text = "Date,Time,T1\n";
    for (int i = 0; i < lines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "01/02/2015,10:%02d:00,%d\n", firstMinute + i, i);
        text += line;
    }
    return text;
}

Lines resultLines(const Lines& lines)
{
    Lines out;
    for (const std::string& l : lines)
        if (l.rfind("Finished reading", 0) == 0 || l.rfind("Data entry stopped", 0) == 0 ||
            l.rfind("There was an error", 0) == 0 || l.rfind("Reading file", 0) == 0 ||
            l.rfind("Problem reading XML", 0) == 0 || l.rfind("Entered file", 0) == 0)
            out.push_back(l);
    return out;
}

class Batch : public ::testing::Test {
protected:
    Batch()
    {
        for (int i = 0; i < 3; ++i) {
            paths.push_back(dir.file("f" + std::to_string(i + 1) + ".csv"));
            writeFile(paths.back(), dataFile(i * 10, 5));
        }
    }
    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
    std::vector<std::string> paths;
};

TEST_F(Batch, AStopDuringTheSecondOfThreeFiles)
{
    c.chooseFiles(paths);
    c.answer(MessageAnswer::Yes);
    int pumps = 0;
    c.setPumpHandler([&] {
        if (++pumps == 7) // the second line of the second file
            OnReadCsvData(c);
    });
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.finished, 2);
    EXPECT_EQ(result.stopped, 1);
    EXPECT_EQ(c.questionsAsked(), (Lines{"Are you sure you want to stop data input?"}));
    EXPECT_EQ(resultLines(c.newLines()),
              (Lines{"Entered file '" + dir.path() + "'", "Reading file " + paths[0], "Finished reading file.",
                     "Reading file " + paths[1], "Data entry stopped by manual command.", "Reading file " + paths[2],
                     "Finished reading file."}));
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 5 + 2 + 5);
    EXPECT_EQ(c.reading().readInProgress, 0);
    EXPECT_EQ(c.reading().stopRequested, 0);
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "&Read CSV Data");
    EXPECT_TRUE(c.isEnabled(ControlId::ClearCsvData));
    EXPECT_EQ(c.controlText(ControlId::DataFileName), dir.path());
    EXPECT_EQ(c.fileRequest().initialFolder, dir.path());
    ASSERT_EQ(c.dialogsShown().size(), 1u);
    EXPECT_EQ(c.dialogsShown()[0].title, "Find CSV Datafile");
}

TEST_F(Batch, AnsweringNoChangesNothing)
{
    c.chooseFiles({paths[0]});
    c.answer(MessageAnswer::No);
    bool asked = false;
    c.setPumpHandler([&] {
        if (!asked) {
            asked = true;
            EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "Stop Reading");
            EXPECT_FALSE(c.isEnabled(ControlId::DateFormatList));
            ReadBatchResult nested = OnReadCsvData(c);
            EXPECT_FALSE(nested.started);
        }
    });
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(result.finished, 1);
    EXPECT_EQ(c.questionsAsked().size(), 1u);
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 5);
}

TEST_F(Batch, CancellingTheDialog)
{
    c.chooseFiles({});
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_FALSE(result.started);
    EXPECT_EQ(c.newLines(), (Lines{"ERROR- CSV file name not entered"}));
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    EXPECT_EQ(c.reading().readInProgress, 0);
}

TEST_F(Batch, XmlInThePathGoesToTheXmlReader)
{
    // The look-alike does not exist, so the XML reader reports it.
    const std::string lookAlike = dir.file("day1.xml.csv");
    const std::string capitals = dir.file("day2.XML");
    writeFile(capitals, dataFile(30, 2));
    c.chooseFiles({lookAlike, capitals});
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(result.xmlFailed, 1);
    EXPECT_EQ(result.finished, 1);
    EXPECT_EQ(resultLines(c.newLines()), (Lines{"Entered file '" + dir.path() + "'", "Problem reading XML file.",
                                                "Reading file " + capitals, "Finished reading file."}));
}

TEST_F(Batch, AFailedFileDoesNotOpenTheWayForASecondBatch)
{
    writeFile(paths[1], "Stamp,T1,T2\nnot a date at all,1,2\n");
    c.chooseFiles(paths);
    c.chooseFiles({paths[0]});
    int pumps = 0;
    c.setPumpHandler([&] {
        if (++pumps == 6) { // inside the third file, after the second failed
            EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "Stop Reading");
            OnReadCsvData(c);
        }
    });
    ReadBatchResult result = OnReadCsvData(c);
    EXPECT_EQ(result.failed, 1);
    EXPECT_EQ(result.finished, 2);
    EXPECT_EQ(c.questionsAsked().size(), 1u); // the click became the stop question
    EXPECT_EQ(c.dialogsShown().size(), 1u);
    Lines lines = resultLines(c.newLines());
    EXPECT_EQ(lines[4], "There was an error while reading data.");
}

TEST_F(Batch, DroppedFiles)
{
    ReadBatchResult one = OnDropFiles(c, {paths[0]});
    EXPECT_EQ(one.finished, 1);
    Lines lines = c.newLines();
    EXPECT_EQ(lines.back(), "Finished reading file.");
    EXPECT_EQ(resultLines(lines), (Lines{"Finished reading file."}));
    EXPECT_FALSE(c.log().selected().has_value());

    writeFile(dir.file("bad.csv"), "");
    ReadBatchResult two = OnDropFiles(c, {dir.file("bad.csv"), paths[1]});
    EXPECT_EQ(two.failed, 1);
    EXPECT_EQ(two.finished, 1);
    lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 1, lines.end()), (Lines{"Finished reading files"}));
    EXPECT_EQ(resultLines(lines), (Lines{"Finished reading file.",
                                         "There was an error while reading data.  Please check that this is a valid "
                                         "data file.",
                                         "Finished reading file.", "Finished reading files"}));
    EXPECT_EQ(c.fileRequest().initialFolder, paths[1]);
    EXPECT_EQ(c.reading().readInProgress, 0);
    EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "&Read CSV Data");
    EXPECT_TRUE(c.isEnabled(ControlId::SaveToCsv));
}

TEST_F(Batch, ADropDuringAReadIsRefused)
{
    c.chooseFiles({paths[0]});
    bool dropped = false;
    c.setPumpHandler([&] {
        if (!dropped) {
            dropped = true;
            ReadBatchResult nested = OnDropFiles(c, {paths[1], paths[2]});
            EXPECT_FALSE(nested.started);
        }
    });
    OnReadCsvData(c);
    Lines lines = c.newLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Dropped files were not read: a read is already running. Drop them again when it has finished."),
              lines.end());
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "fileLabels"), 1);
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 5);
}

TEST_F(Batch, AStopDuringADropEndsThatFileOnly)
{
    int pumps = 0;
    c.setPumpHandler([&] {
        if (++pumps == 2)
            c.reading().stopRequested = 1;
    });
    ReadBatchResult result = OnDropFiles(c, {paths[0], paths[1]});
    EXPECT_EQ(result.stopped, 1);
    EXPECT_EQ(result.finished, 1);
    EXPECT_EQ(resultLines(c.newLines()), (Lines{"Data entry stopped by manual command.", "Finished reading file.",
                                                "Finished reading files"}));
}

} // namespace
} // namespace tsl
