#include "input/csv_reader.h"

#include "input/date_formats.h"
#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tsl {
namespace {

using namespace tsl::testing;
using Lines = std::vector<std::string>;

class Reader : public ::testing::Test {
protected:
    ReadResult read(const std::string& content, const std::string& name = "data.csv")
    {
        writeFile(dir.file(name), content);
        return readDataFile(c, dir.file(name));
    }
    std::vector<std::string> fileLabels(int which = 0)
    {
        DataNode* node = c.tree().findNode(c.tree().root(), "fileLabels");
        for (int i = 0; i < which && node; ++i) {
            node = node->nextSibling();
            while (node && node->name() != "fileLabels")
                node = node->nextSibling();
        }
        return cells(node);
    }
    std::vector<std::string> row(const std::string& hour, const std::string& key, const std::string& day = "02")
    {
        return cells(dataline(c.tree(), "2015", "01", day, hour, key));
    }
    bool logged(const std::string& line) const
    {
        Lines lines = c.newLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
};

TEST_F(Reader, HeaderLabelsFollowTheLeadingColumnsOfTheLayout)
{
    c.editSettings().dateFormat = 6;
    read("Timestamp,T1,T2\n");
    EXPECT_EQ(fileLabels(0), (Lines{"T1=", "T2="}));
    c.editSettings().dateFormat = 1;
    read("Timestamp,T1,T2\n");
    EXPECT_EQ(fileLabels(1), (Lines{"T2="}));
    EXPECT_EQ(c.reading().labelCount, 1);
}

TEST_F(Reader, DateAndTimeHeadingsArePassedOverOnlyBeforeTheFirstLabel)
{
    c.editSettings().dateFormat = 7;
    read("DATE,TIME,T1,TIME2,DATE X\n");
    EXPECT_EQ(fileLabels(), (Lines{"T1=", "TIME2=", "DATE X="}));
    EXPECT_TRUE(logged("File has label 'TIME2'"));
}

TEST_F(Reader, LabelWalkEndsAtAnEmptyOrOneCharacterField)
{
    read("d,t,T1,,T3\n");
    EXPECT_EQ(fileLabels(0), (Lines{"T1="}));
    read("d,t,T1,X,T3\n");
    EXPECT_EQ(fileLabels(1), (Lines{"T1="}));
    read("d,t,T1,X\n"); // a last field of one character and the line end
    EXPECT_EQ(fileLabels(2), (Lines{"T1=", "X="}));
    read("d,t,T1,T2  ,  T3\r\n"); // one trailing character goes, leading blanks are skipped
    EXPECT_EQ(fileLabels(3), (Lines{"T1=", "T2 =", "T3="}));
}

TEST_F(Reader, LongLabelsAreCutAndColumnsStopAt800)
{
    std::string header = "d,t," + std::string(300, 'L') + "\n";
    read(header);
    EXPECT_EQ(fileLabels(0), (Lines{std::string(259, 'L') + "="}));

    std::string wide = "d,t";
    for (int i = 0; i < 2000; ++i)
        wide += ",C" + std::to_string(i);
    wide += "\n01/02/2015,10:00:00";
    for (int i = 0; i < 2000; ++i)
        wide += "," + std::to_string(i);
    wide += "\n";
    EXPECT_EQ(read(wide), ReadResult::Finished);
    EXPECT_EQ(c.reading().labelCount, 800);
    EXPECT_TRUE(logged("ERROR- the file has more than 800 columns- the columns after the first 800 are ignored."));
    Lines cellsOf = row("10", "00:00");
    // The template came from the first file: its one label gets nothing here.
    EXPECT_EQ(cellsOf, (Lines{std::string(259, 'L') + "="}));
}

TEST_F(Reader, TemplateComesFromTheFirstFileAndIsKept)
{
    read("d,t,TA,TB\n01/02/2015,10:00:00,1,2\n");
    read("d,t,TB,TC\n01/02/2015,10:01:00,3,4\n");
    EXPECT_EQ(cells(c.tree().findNode(c.tree().root(), "template")), (Lines{"TA=", "TB="}));
    EXPECT_EQ(row("10", "00:00"), (Lines{"TA= 1.00", "TB= 2.00"}));
    EXPECT_EQ(row("10", "01:00"), (Lines{"TA=", "TB= 3.00"}));
    EXPECT_EQ(c.reading().templateNode, c.tree().findNode(c.tree().root(), "template"));
}

TEST_F(Reader, BlanksTextFieldsAndColumnMismatch)
{
    read("d,t,T1,T2,T3\n"
         "01/02/2015,10:00:00,1.5,,2.5\n"
         "01/02/2015,10:01:00,1,OFF,5,6\n"
         "01/02/2015,10:02:00,1,2,\n"
         "01/02/2015,10:03:00,7,8\n"
         "01/02/2015,10:04:00,\"9\",1,OFF\n");
    EXPECT_EQ(row("10", "00:00"), (Lines{"T1= 1.50", "T2=", "T3= 2.50"}));
    EXPECT_EQ(row("10", "01:00"), (Lines{"T1= 1.00", "T2= 5.00", "T3= 6.00"}));
    EXPECT_EQ(row("10", "02:00"), (Lines{"T1= 1.00", "T2= 2.00", "T3="}));
    EXPECT_EQ(row("10", "03:00"), (Lines{"T1= 7.00", "T2= 8.00", "T3="}));
    EXPECT_EQ(row("10", "04:00"), (Lines{"T1= 0.00", "T2= 1.00", "T3="}));
    Lines lines = c.newLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "!!!!! ERROR reading data- column mismatch !!!!!"), 1);
    EXPECT_TRUE(logged("Done with file, read 5 lines, found 1 blanks"));
}

TEST_F(Reader, SemicolonsStartTextFields)
{
    // ';' lies above '9': an empty field after a text field is taken as text.
    read("d;t;T1;T2;T3\n"
         "01/02/2015;10:00:00;OFF;;4;5\n");
    EXPECT_EQ(row("10", "00:00"), (Lines{"T1= 4.00", "T2= 5.00", "T3="}));
}

TEST_F(Reader, DelimiterChangesHoldForTheRestOfTheFile)
{
    read("d\tt\tT1\tT2\n"
         "01/02/2015\t10:00:00\t1\t2\n"
         "01/02/2015;10:01:00;3;4\n"
         "01/02/2015\t10:02:00\t5\t6;\n"
         "just a line without delimiters\n"
         "01/02/2015,10:03:00,7,8\n");
    EXPECT_EQ(row("10", "00:00"), (Lines{"T1= 1.00", "T2= 2.00"}));
    EXPECT_EQ(row("10", "01:00"), (Lines{"T1= 3.00", "T2= 4.00"}));
    // Still ';': the tab line has one, after which nothing but its end is left.
    EXPECT_EQ(row("10", "02:00"), (Lines{"T1=", "T2="}));
    EXPECT_EQ(row("10", "03:00"), (Lines{"T1= 7.00", "T2= 8.00"}));
}

TEST_F(Reader, SkipWordsAndShortLinesAreNotCounted)
{
    read("d,t,T1\n"
         "01/02/2015,10:00:00,1\n"
         "01/02/2015,10:01:00,2,data\n"
         "01/02/2015,10:02:00,3,ARIA\n"
         "1/2/15,10:3,4\n"
         "01/02/2015,10:04:00,5,LABEL\n"
         "01/02/2015,10:05:00,6\n");
    EXPECT_TRUE(logged("Done with file, read 2 lines, found 0 blanks"));
    EXPECT_EQ(countNodes(c.tree(), c.tree().root(), "dataline"), 2);
}

TEST_F(Reader, DuplicateLabelsShareOneCellAndTheLaterColumnWins)
{
    read("d,t,T1,T1,T2\n01/02/2015,10:00:00,1,2,3\n");
    EXPECT_EQ(row("10", "00:00"), (Lines{"T1= 2.00", "T1=", "T2= 3.00"}));
}

TEST_F(Reader, ColumnsFindTheirLabelsByTextNotPosition)
{
    DataTree& tree = c.tree();
    DataNode* templateNode = tree.addChild(tree.root(), "template");
    for (const char* name : {"Z", "T2", "Q", "T1"}) {
        DataNode* label = tree.addChild(templateNode, "label");
        tree.setAttribute(label, "value", name);
    }
    read("d,t,T1,T2,T3\n01/02/2015,10:00:00,1,2,3\n01/02/2015,10:01:00,4,5,6\n");
    EXPECT_EQ(row("10", "00:00"), (Lines{"Z=", "T2= 2.00", "Q=", "T1= 1.00"}));
    EXPECT_EQ(row("10", "01:00"), (Lines{"Z=", "T2= 5.00", "Q=", "T1= 4.00"}));
}

TEST_F(Reader, FormatSearchFindsALayoutThatStaysSelected)
{
    c.editSettings().dateFormat = 10;
    read("Stamp,T1\n20150102-100000,1\n20150102-100100,2\n");
    Lines lines = c.newLines();
    auto start = std::find(lines.begin(), lines.end(),
                           "Error- could not read date using specified format. Searching formats...");
    ASSERT_NE(start, lines.end());
    EXPECT_EQ(*(start - 1), "DATE ERROR: day out of range.");
    // Layouts 1 to 5 need '/', layout 6 reads month 15; layout 7 fits.
    EXPECT_EQ(Lines(start + 1, start + 13),
              (Lines{"ERROR-Date/Time format mismatch.", "NOTE- Type 1 does not match the format in the file.",
                     "ERROR-Date/Time format mismatch.", "NOTE- Type 2 does not match the format in the file.",
                     "ERROR-Date/Time format mismatch.", "NOTE- Type 3 does not match the format in the file.",
                     "ERROR-Date/Time format mismatch.", "NOTE- Type 4 does not match the format in the file.",
                     "ERROR-Date/Time format mismatch.", "NOTE- Type 5 does not match the format in the file.",
                     "DATE ERROR: month out of range.", "NOTE- Type 6 does not match the format in the file."}));
    EXPECT_EQ(*(start + 13), "NOTE- find matching time format in format # 7");
    EXPECT_EQ(c.settings().dateFormat, 6);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "Error- could not read date using specified format. Searching formats..."),
              1);
    EXPECT_EQ(row("10", "01:00"), (Lines{"T1= 2.00"}));
}

TEST_F(Reader, FormatSearchThatFindsNothingEndsTheRead)
{
    c.setControlText(ControlId::ReadCsvData, "Stop Reading");
    c.reading().readInProgress = 1;
    EXPECT_EQ(read("Stamp,T1,T2\nnot a date at all,1,2\n"), ReadResult::Failed);
    EXPECT_EQ(c.newLines().back(), "ERROR- could not read date from file.  Check correct format is selected.");
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
    EXPECT_EQ(c.reading().readInProgress, 0);
    EXPECT_EQ(c.controlText(ControlId::ReadCsvData), "&Read CSV Data");
    EXPECT_EQ(c.settings().dateFormat, 12);
    EXPECT_FALSE(logged("Done with file, read 0 lines, found 0 blanks"));
}

TEST_F(Reader, HeaderFailures)
{
    EXPECT_EQ(read("no delimiters here\n01/02/2015 10:00:00 5\n"), ReadResult::Failed);
    EXPECT_EQ(c.newLines(), (Lines{"Start Read File " + dir.file("data.csv"),
                                   "Column label template not found- will use current file as template."}));
    EXPECT_EQ(read("Stamp,T1\n"), ReadResult::Failed);
    EXPECT_EQ(c.newLines().back(),
              "ERROR- there is a discrepancy between the selected date format and the contents of the data file.");
    EXPECT_EQ(c.tree().findNode(c.tree().root(), "fileLabels"), nullptr);

    c.reading().readInProgress = 1;
    EXPECT_EQ(readDataFile(c, dir.file("missing.csv")), ReadResult::Failed);
    EXPECT_EQ(c.newLines().back(), "Error opening input data file");
    EXPECT_EQ(c.reading().readInProgress, 0);
}

TEST_F(Reader, AnImpossibleTimeSkipsTheLineOrEndsTheRead)
{
    read("d,t,T1\n"
         "01/02/2015,10:00:00,1\n"
         "01/02/2015,24:00:05,2\n"
         "01/02/2015,10:01:00,3\n");
    Lines lines = c.newLines();
    auto skipped = std::find(lines.begin(), lines.end(), "Error processing line- line skipped- line length 22");
    ASSERT_NE(skipped, lines.end());
    EXPECT_EQ(*(skipped + 1), "01/02/2015,24:00:05,2");
    EXPECT_TRUE(logged("Done with file, read 3 lines, found 0 blanks"));
    EXPECT_EQ(row("10", "01:00"), (Lines{"T1= 3.00"}));

    c.reading().readInProgress = 1;
    EXPECT_EQ(read("d,t,T1\n01/02/2015,10:00:00,1\n01/02/2015,24:00:00,2\n01/02/2015,10:01:00,3\n"),
              ReadResult::Failed);
    lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 2, lines.end()),
              (Lines{"ERROR- Date/Time format not correct.",
                     "   Please clear data, select the correct Date/Time format, and reenter the data."}));
    EXPECT_EQ(c.reading().readInProgress, 0);
}

TEST_F(Reader, LineLabelledFilesReadTheirFirstFieldAsTheOneLabel)
{
    c.editSettings().lineLabelled = true;
    c.editSettings().dateFormat = 7;
    read("20150102-100000,21.5\n20150102-100100,22.5\n");
    EXPECT_EQ(fileLabels(), (Lines{"20150102-100000="}));
    EXPECT_FALSE(logged("File has label '20150102-100000'"));
    EXPECT_TRUE(logged("Done with file, read 2 lines, found 0 blanks"));
    EXPECT_EQ(row("10", "00:00"), (Lines{"20150102-100000=21.50"}));
}

TEST_F(Reader, AStopRequestEndsTheReadBeforeTheNextLine)
{
    int pumps = 0;
    c.setPumpHandler([&] {
        if (++pumps == 2)
            c.reading().stopRequested = 1;
    });
    EXPECT_EQ(read("d,t,T1\n01/02/2015,10:00:00,1\n01/02/2015,10:01:00,2\n01/02/2015,10:02:00,3\n"),
              ReadResult::Stopped);
    EXPECT_EQ(pumps, 2);
    EXPECT_EQ(c.reading().stopRequested, 0);
    Lines lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"Done with file, read 2 lines, found 0 blanks", "First time read (D/M/Y): 02/01/2015 10:00:00",
                     "Last time read (D/M/Y): 02/01/2015 10:01:00"}));
}

TEST_F(Reader, EmptyAndHeaderOnlyFiles)
{
    EXPECT_EQ(read(""), ReadResult::Failed);
    EXPECT_EQ(read("d,t,T1,T2\n"), ReadResult::Finished);
    Lines lines = c.newLines();
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"Done with file, read 0 lines, found 0 blanks", "First time read (D/M/Y): 01/01/1970 00:00:00",
                     "Last time read (D/M/Y): 01/01/1970 00:00:00"}));
}

} // namespace
} // namespace tsl
