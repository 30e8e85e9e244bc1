#include "input/date_formats.h"
#include "input/reading_helpers.h"

using namespace tsl;
using namespace tsl::testing;

// Three loggers of one air handler, each with its own layout, merged on a
// one-minute grid by averaging.
TEST_F(ReadingTest, ThreeLoggersMergeOntoOneGrid)
{
    writeFile(dir.file("logger1.csv"), "Date,Time,AHU1 SAT,AHU1 RAT,Fan Status\r\n"
                                       "01/02/2015,23:58:00,55.0,72.0,ON\r\n"
                                       "01/02/2015,23:58:30,56.0,,1\r\n"
                                       "01/02/2015,23:59:00,57.0,73.0,1\r\n"
                                       "ALARM ACTIVE\r\n"
                                       "01/03/2015,00:00:00,58.5,74.5,0\r\n"
                                       "01/03/2015,00:01:07,59.0,75.0,1\r\n");
    writeFile(dir.file("logger2.csv"), "Timestamp,AHU1 SAT,Zone Temp\n"
                                       "20150102-235900,60.0,70.5\n"
                                       "20150102-235930,61.0,71.5\n"
                                       "20150103-000000,62.0,72.5\n");
    writeFile(dir.file("logger3.csv"), "Time,Zone Temp,AHU1 RAT\n"
                                       "2015-01-03T05:00:00-05:00,71.0,76.0\n"
                                       "2015-01-03T05:01:00-05:00,72.0,77.0\n");
    EXPECT_EQ(readDataFile(c, dir.file("logger1.csv")), ReadResult::Finished);
    c.editSettings().dateFormat = 7; // the user picks the second logger's layout
    EXPECT_EQ(readDataFile(c, dir.file("logger2.csv")), ReadResult::Finished);
    EXPECT_EQ(readDataFile(c, dir.file("logger3.csv")), ReadResult::Finished);

    Lines expected = {
        "Start Read File " + dir.file("logger1.csv"),
        "Column label template not found- will use current file as template.",
        "File has label 'AHU1 SAT'", "File has label 'AHU1 RAT'", "File has label 'Fan Status'",
        "Add label (0) 'AHU1 SAT'", "Add label (1) 'AHU1 RAT'", "Add label (2) 'Fan Status'",
        "Starting day Friday, January 02, 2015", "Starting day Saturday, January 03, 2015",
        "Done with file, read 5 lines, found 1 blanks",
        "First time read (D/M/Y): 02/01/2015 23:58:00", "Last time read (D/M/Y): 03/01/2015 00:01:00",
        "Start Read File " + dir.file("logger2.csv"),
        "File has label 'AHU1 SAT'", "File has label 'Zone Temp'",
        "Starting day Friday, January 02, 2015", "Starting day Saturday, January 03, 2015",
        "Done with file, read 3 lines, found 0 blanks",
        "First time read (D/M/Y): 02/01/2015 23:59:00", "Last time read (D/M/Y): 03/01/2015 00:00:00",
        "Start Read File " + dir.file("logger3.csv"),
        "File has label 'Zone Temp'", "File has label 'AHU1 RAT'",
        // The third file does not fit layout 7; the search tries the others in order.
        "DATE ERROR: month out of range.",
        "Error- could not read date using specified format. Searching formats...",
    };
    auto noMatch = [&](int type, const char* why) {
        expected.insert(expected.end(), {why, "NOTE- Type " + std::to_string(type) +
                                                  " does not match the format in the file."});
    };
    for (int type = 1; type <= 5; ++type)
        noMatch(type, "ERROR-Date/Time format mismatch.");
    noMatch(6, "DATE ERROR: day out of range.");
    for (int type : {7, 9, 10})
        noMatch(type, "DATE ERROR: month out of range.");
    expected.insert(expected.end(), {"NOTE- find matching time format in format # 11",
                                     "Starting day Saturday, January 03, 2015",
                                     "Done with file, read 2 lines, found 0 blanks",
                                     "First time read (D/M/Y): 03/01/2015 00:00:00",
                                     "Last time read (D/M/Y): 03/01/2015 00:01:00"});
    EXPECT_EQ(c.newLines(), expected);
    EXPECT_EQ(c.settings().dateFormat, 10); // the layout found stays selected
    EXPECT_EQ(c.settings().writeStartDate, makeLocalTime(2015, 1, 3, 0, 0, 0));

    // Later files overwrite what earlier ones stored at the same instant;
    // columns the template lacks ("Zone Temp") are dropped; the trailing
    // text field of the first line leaves its cell empty.
    EXPECT_EQ(cells(c.tree().findNode(c.tree().root(), "template")),
              (Lines{"AHU1 SAT=", "AHU1 RAT=", "Fan Status="}));
    EXPECT_EQ(rows(), (Lines{"2015/01/02 23:58:00|55.00|72.00|", "2015/01/02 23:59:00|60.00|73.00| 1.00",
                             "2015/01/03 00:00:00|61.50|76.00| 0.00", "2015/01/03 00:01:00|59.00|77.00| 1.00"}));
}
