// The WARNING lines of the reader: each rule that moves readings without an
// error says so, once per file, and files the rules do not touch get none.
#include "input/reading_helpers.h"

using namespace tsl;
using namespace tsl::testing;

namespace {

Lines warnings(const Lines& log)
{
    Lines out;
    for (const std::string& line : log)
        if (line.rfind("WARNING", 0) == 0)
            out.push_back(line);
    return out;
}

} // namespace

TEST_F(ReadingTest, RulesThatMoveReadingsAreWarnedOf)
{
    struct Case {
        const char* what;
        DateFormatId layout;
        std::string file;
        Lines expected;
    };
    const std::string stamped = "Time Stamp,ZN_TEMP,DMPR_POS\n";
    const Case cases[] = {
        {"a one-field file read with a two-field layout", 1,
         stamped + "20260302-06:00:00,67.95,20.0\n20260302-06:00:30,67.99,21.5\n",
         {"WARNING- the header of this file was read with the layout MM/DD/YYYY (date and time in 2 fields) but "
          "its lines match YYYYMMDD-hh:mm:ss (1 field): the labels of this file are shifted by one column. Select "
          "YYYYMMDD-hh:mm:ss and read the file again."}},
        {"a two-field file read with a one-field layout", 6, "Date,Time,T1,T2\n02/01/2015,10:00:00,1,2\n",
         {"WARNING- the header of this file was read with the layout YYYYMMDD-hh:mm:ss (date and time in 1 field) "
          "but its lines match DD/MM/YYYY (2 fields): the labels of this file are shifted by one column. Select "
          "DD/MM/YYYY and read the file again."}},
        {"the right layout", 6, stamped + "20260302-06:00:00,67.95,20.0\n", {}},
        {"labels of one character only", 1, "Date,Time,A,B\n01/02/2015,10:00:00,1,2\n01/02/2015,10:01:00,3,4\n",
         {"WARNING- no column labels were found in the header of this file (labels end at an empty field or one "
          "of a single character): none of its readings will be stored."}},
        {"empty first readings in a fixed layout", 6,
         stamped + "20260302-06:00:00,67.95,20.0\n20260302-06:00:30,,21.5\n20260302-06:01:00,68.1,22\n"
                   "20260302-06:01:30,,23.0\n",
         {"WARNING- 2 lines of this file have an empty first reading (the first at line 3): the reader moved "
          "their readings one column to the left."}},
        {"one empty first reading", 6, stamped + "20260302-06:00:00,,20.0\n",
         {"WARNING- line 2 of this file has an empty first reading: the reader moved its readings one column to "
          "the left."}},
        {"an empty first reading of a slash layout is a blank", 1, "Date,Time,T1,T2\n01/02/2015,10:00:00,,2\n", {}},
        {"day-first dates read month first until the 13th", 1,
         "Date,Time,T\n01/03/2026,10:00:00,1\n02/03/2026,10:00:00,2\n13/03/2026,10:00:00,3\n",
         {"WARNING- the date layout changed from MM/DD/YYYY to DD/MM/YYYY at line 4: lines 2 to 3 were read month "
          "first and may carry swapped days and months."}},
        {"month-first dates read day first", 0, "Date,Time,T\n03/01/2026,10:00:00,1\n03/13/2026,10:00:00,3\n",
         {"WARNING- the date layout changed from DD/MM/YYYY to MM/DD/YYYY at line 3: line 2 was read day first and "
          "may carry swapped days and months."}},
        {"a switch at the first line swaps nothing", 1, "Date,Time,T\n13/03/2026,10:00:00,3\n", {}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        fresh.editSettings().dateFormat = k.layout;
        EXPECT_EQ(read(k.file, &fresh), ReadResult::Finished) << k.what;
        EXPECT_EQ(warnings(fresh.newLines()), k.expected) << k.what;
    }
}
