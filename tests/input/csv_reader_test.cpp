#include "input/reading_helpers.h"

using namespace tsl;
using namespace tsl::testing;

TEST_F(ReadingTest, HeaderLabels)
{
    struct Case { DateFormatId format; std::string header; Lines labels; };
    const Case cases[] = {
        {6, "Timestamp,T1,T2\n", {"T1=", "T2="}}, // a layout of one leading field
        {1, "Timestamp,T1,T2\n", {"T2="}},
        // Date and time headings are passed over only before the first label.
        {7, "DATE,TIME,T1,TIME2,DATE X\n", {"T1=", "TIME2=", "DATE X="}},
        // An empty or one-character field ends the labels, unless the line ends there.
        {1, "d,t,T1,,T3\n", {"T1="}},
        {1, "d,t,T1,X,T3\n", {"T1="}},
        {1, "d,t,T1,X\n", {"T1=", "X="}},
        // One trailing character goes, leading blanks are skipped.
        {1, "d,t,T1,T2  ,  T3\r\n", {"T1=", "T2 =", "T3="}},
        {1, "d,t," + std::string(300, 'L') + "\n", {std::string(259, 'L') + "="}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        fresh.editSettings().dateFormat = k.format;
        read(k.header, &fresh);
        EXPECT_EQ(cells(fresh.tree().findNode(fresh.tree().root(), "fileLabels")), k.labels) << k.header;
        EXPECT_EQ(fresh.reading().labelCount, static_cast<int>(k.labels.size())) << k.header;
    }
}

TEST_F(ReadingTest, CellsAndCounts)
{
    const std::string header = "d,t,T1,T2,T3\n01/02/2015,10:00:00,";
    const std::string mismatch = "!!!!! ERROR reading data- column mismatch !!!!!";
    const std::string none = "Done with file, read 1 lines, found 0 blanks";
    struct Case { std::string file; Lines rows; Lines logged; };
    const Case cases[] = {
        {header + "1.5,,2.5\n", {"2015/01/02 10:00:00| 1.50|| 2.50"}, {"Done with file, read 1 lines, found 1 blanks"}},
        // A text field is passed over and the fields after it move up a column.
        {header + "1,OFF,5,6\n", {"2015/01/02 10:00:00| 1.00| 5.00| 6.00"}, {none}},
        {header + "1,2,\n", {"2015/01/02 10:00:00| 1.00| 2.00|"}, {none}},
        {header + "7,8\n", {"2015/01/02 10:00:00| 7.00| 8.00|"}, {mismatch, none}},
        {header + "\"9\",1,OFF\n", {"2015/01/02 10:00:00| 0.00| 1.00|"}, {}},
        // ';' lies above '9': an empty field after a text field is taken as text.
        {"d;t;T1;T2;T3\n01/02/2015;10:00:00;OFF;;4;5\n", {"2015/01/02 10:00:00| 4.00| 5.00|"}, {mismatch}},
        // Labels that repeat share the first cell; the later column wins.
        {"d,t,T1,T1,T2\n01/02/2015,10:00:00,1,2,3\n", {"2015/01/02 10:00:00| 2.00|| 3.00"}, {}},
        // A changed delimiter holds for the rest of the file: the tab line
        // after the ';' line has one ';', after which only its end is left.
        {"d\tt\tT1\tT2\n01/02/2015\t10:00:00\t1\t2\n01/02/2015;10:01:00;3;4\n01/02/2015\t10:02:00\t5\t6;\n"
         "just a line without delimiters\n01/02/2015,10:03:00,7,8\n",
         {"2015/01/02 10:00:00| 1.00| 2.00", "2015/01/02 10:01:00| 3.00| 4.00", "2015/01/02 10:02:00||",
          "2015/01/02 10:03:00| 7.00| 8.00"},
         {}},
        // Lines holding a skip word, or shorter than 15 characters, are not counted.
        {"d,t,T1\n01/02/2015,10:00:00,1\n01/02/2015,10:01:00,2,data\n01/02/2015,10:02:00,3,ARIA\n1/2/15,10:3,4\n"
         "01/02/2015,10:04:00,5,LABEL\n01/02/2015,10:05:00,6\n",
         {"2015/01/02 10:00:00| 1.00", "2015/01/02 10:05:00| 6.00"}, {"Done with file, read 2 lines, found 0 blanks"}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        EXPECT_EQ(read(k.file, &fresh), ReadResult::Finished) << k.file;
        EXPECT_EQ(storedRows(fresh.tree()), k.rows) << k.file;
        const Lines lines = fresh.newLines();
        for (const std::string& line : k.logged)
            EXPECT_TRUE(contains(lines, line)) << k.file << " should log " << line;
        EXPECT_EQ(contains(lines, mismatch), contains(k.logged, mismatch)) << k.file;
    }
}

TEST_F(ReadingTest, LineLabelledFilesReadTheirFirstFieldAsTheOneLabel)
{
    c.editSettings().lineLabelled = true;
    c.editSettings().dateFormat = 7;
    read("20150102-100000,21.5\n20150102-100100,22.5\n");
    EXPECT_EQ(cells(c.tree().findNode(c.tree().root(), "fileLabels")), (Lines{"20150102-100000="}));
    EXPECT_FALSE(contains(c.newLines(), "File has label '20150102-100000'"));
    EXPECT_EQ(rows(), (Lines{"2015/01/02 10:00:00|21.50", "2015/01/02 10:01:00|22.50"}));
}
