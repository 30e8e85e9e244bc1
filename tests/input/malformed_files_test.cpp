// Files no logger should write, and files that end the read: each gives log
// lines and a result, and stays inside the reader's buffers (the sanitizer
// build checks that part).
#include "input/reading_helpers.h"

#include <random>

using namespace tsl;
using namespace tsl::testing;

namespace {

// A header and one line of 2,000 readings 0, 1, 2...; row is what the first
// 800 of them leave.
std::string wideFile(std::string& row)
{
    std::string header = "d,t", line = "\n01/02/2015,10:00:00";
    row = "2015/01/02 10:00:00";
    for (int i = 0; i < 2000; ++i) {
        header += ",C" + std::to_string(i);
        line += "," + std::to_string(i);
        row += i >= 800 ? "" : i < 10 ? "| " + std::to_string(i) + ".00" : "|" + std::to_string(i) + ".00";
    }
    return header + line + "\n";
}

// text as UTF-16 with its byte order mark.
std::string utf16(const std::string& text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : text)
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    return bytes;
}

// Each of part is found in lines, in this order.
bool holdsInOrder(const Lines& lines, const Lines& part)
{
    auto at = lines.begin();
    for (const std::string& line : part) {
        at = std::find(at, lines.end(), line);
        if (at++ == lines.end())
            return false;
    }
    return true;
}

} // namespace

TEST_F(ReadingTest, FilesThatEndTheReadOrPassLinesOver)
{
    // endsRead: the reader itself ends the read rather than leaving that to the batch.
    struct Case { std::string file; ReadResult result; bool endsRead; Lines logged; Lines rows; };
    const std::string header = "Date,Time,T1\n";
    const std::string noHeader = "Column label template not found- will use current file as template.";
    const std::string noDate = "ERROR- could not read date from file.  Check correct format is selected.";
    std::string wideRow;
    const std::string wide = wideFile(wideRow);
    auto utf16Line = [](const std::string& mark) {
        return "ERROR- the file is UTF-16 text (it begins with the bytes " + mark +
               "), which the reader cannot read: import it, or save it as UTF-8 or ANSI text.";
    };
    const Case cases[] = {
        {"", ReadResult::Failed, false, {noHeader}, {}},
        {",\n" + std::string(30, ','), ReadResult::Failed, false,
         {"ERROR- there is a discrepancy between the selected date format and the contents of the data file."}, {}},
        {"Stamp,T1\n", ReadResult::Failed, false,
         {"ERROR- there is a discrepancy between the selected date format and the contents of the data file."}, {}},
        {header, ReadResult::Finished, false,
         {"Done with file, read 0 lines, found 0 blanks", "First time read (D/M/Y): 01/01/1970 00:00:00",
          "Last time read (D/M/Y): 01/01/1970 00:00:00"},
         {}},
        // No layout reads the date: the search ends the read.
        {"Stamp,T1,T2\nnot a date at all,1,2\n", ReadResult::Failed, true,
         {"NOTE- Type 13 does not match the format in the file.", noDate}, {}},
        {header + "99/99/9999,99:99:99,1\n", ReadResult::Failed, true,
         {"DATE ERROR: day out of range.", "Error- could not read date using specified format. Searching formats...",
          noDate},
         {}},
        {header + "01/02/2015,-5:-70:-10,1\n01/02/2015,2147483647:5:5,1\n", ReadResult::Failed, true, {noDate}, {}},
        {header + "01/02/2015,10:00:00,1\n01/02/2015,24:00:00,2\n01/02/2015,10:01:00,3\n", ReadResult::Failed, true,
         {"ERROR- Date/Time format not correct.",
          "   Please clear data, select the correct Date/Time format, and reenter the data."},
         {"2015/01/02 10:00:00| 1.00"}},
        {header + "01/02/2015,10:00:00,1\n01/02/2015,24:00:05,2\n01/02/2015,10:01:00,3\n", ReadResult::Finished,
         false, {"Error processing line- line skipped- line length 22", "01/02/2015,24:00:05,2"},
         {"2015/01/02 10:00:00| 1.00", "2015/01/02 10:01:00| 3.00"}},
        {wide, ReadResult::Finished, false,
         {"ERROR- the file has more than 800 columns- the columns after the first 800 are ignored.",
          "Add label (799) 'C799'", "Done with file, read 1 lines, found 0 blanks"},
         {wideRow}},
        // A line of 100,000 characters is read in pieces: the first holds a
        // number too big for a float, the last ("777...,1") no date at all.
        {"Date,Time,T1,T2\n01/02/2015,10:00:00," + std::string(100000, '7') + ",1\n01/02/2015,10:01:00,2,3\n",
         ReadResult::Failed, true, {noDate}, {"2015/01/02 10:00:00|  inf|"}},
        // Pieces without a delimiter are passed over.
        {header + std::string(100000, 'x') + "\n01/02/2015,10:01:00,2\n", ReadResult::Finished, false,
         {"Done with file, read 1 lines, found 0 blanks"}, {"2015/01/02 10:01:00| 2.00"}},
        {"Date,Time," + std::string(100000, 'H') + "\n01/02/2015,10:00:00,1\n", ReadResult::Finished, false,
         {"Done with file, read 1 lines, found 0 blanks"}, {"2015/01/02 10:00:00| 1.00"}},
        // Text the reader cannot take for what it is: it says what it found.
        {utf16(header + "01/02/2015,10:00:00,1\n", false), ReadResult::Failed, false, {utf16Line("FF FE")}, {}},
        {utf16(header + "01/02/2015,10:00:00,1\n", true), ReadResult::Failed, false, {utf16Line("FE FF")}, {}},
        {"Date,Time,T1\r01/02/2015,10:00:00,1\r01/02/2015,10:01:00,2\r", ReadResult::Finished, false,
         {"ERROR- the file's lines end with a CR alone, so the reader takes them for one long line: import it, "
          "or save it with CR LF or LF line ends.",
          "Done with file, read 0 lines, found 0 blanks"},
         {}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        fresh.reading().readInProgress = 1;
        const std::string name = k.file.substr(0, 60);
        EXPECT_EQ(read(k.file, &fresh), k.result) << name;
        EXPECT_TRUE(holdsInOrder(fresh.newLines(), k.logged)) << name;
        EXPECT_EQ(storedRows(fresh.tree()), k.rows) << name;
        EXPECT_EQ(fresh.reading().readInProgress, k.endsRead ? 0 : 1) << name;
        if (k.endsRead) {
            EXPECT_EQ(*fresh.log().selected(), fresh.log().size() - 1) << name;
        }
    }
    c.reading().readInProgress = 1;
    EXPECT_EQ(readDataFile(c, dir.file("missing.csv")), ReadResult::Failed);
    EXPECT_EQ(c.newLines().back(), "Error opening input data file");
    EXPECT_EQ(c.reading().readInProgress, 0);
}

TEST_F(ReadingTest, BinaryBytes)
{
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(5000, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        read(round % 2 ? "Date,Time,T1,T2\n01/02/2015,10:00:00," + bytes : bytes); // or a file at first sight
        EXPECT_FALSE(c.newLines().empty());
        c.editSettings().dateFormat = static_cast<int>(random() % 13);
    }
}
