#include "input/date_formats.h"
#include "input/reading_helpers.h"

#include <cstring>

using namespace tsl;
using namespace tsl::testing;

namespace {

// "YYYY-MM-DD hh:mm:ss|readings" for a line that fits the layout, or nothing.
std::optional<std::string> parse(ScriptedContext& c, DateFormatId format, const char* line)
{
    c.editSettings().dateFormat = format;
    DateTimeFields f;
    const char* position = parseDateTime(c, line, f);
    if (!position)
        return std::nullopt;
    EXPECT_TRUE(position >= line && position <= line + std::strlen(line)) << line;
    char date[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d|", f.year, f.month, f.day, f.hour, f.minute,
                  f.second);
    return date + std::string(position) + (f.reserved ? " reserved" : "");
}

} // namespace

TEST(ParseDateTime, ReadsEveryLayout)
{
    ZoneScope zone("UTC");
    struct Case { DateFormatId format; const char* line; const char* parsed; char zoneLetter = 0; };
    const Case cases[] = {
        {0, "01/02/2015,10:30:20,1.5\n", "2015-02-01 10:30:20|1.5\n"},
        {1, "01/02/2015,10:30:20,1.5,2\n", "2015-01-02 10:30:20|1.5,2\n"},
        {3, "1/2/15,7:05,1.5\n", "2015-01-02 07:05:00|1.5\n"},
        {2, "1/2/90,07:05:00,1.5\n", "1990-02-01 07:05:00|1.5\n"},
        {2, "1/2/50,07:05:00,1.5\n", "2050-02-01 07:05:00|1.5\n"},
        {1, "01/02/2015 10:30:00,5.5,6\n", "2015-01-02 10:30:00|5.5,6\n"},
        // The second is looked for in the rest of the line, readings included.
        {1, "01/02/2015,10:30,12:40,7\n", "2015-01-02 10:30:40|7\n"},
        {5, "950102-103020,1\n", "1995-01-02 10:30:20|1\n"},
        {6, "20150102-10:30:20,1\n", "2015-01-02 10:30:20|1\n"},
        {7, "20150102-103020,,3\n", "2015-01-02 10:30:20|3\n"}, // an empty first field
        {8, "20150102-103000, 20150103-114500,7,8\n", "2015-01-02 10:30:00|7,8\n"},
        {9, "20150102-103000, 20150103-114500,7,8\n", "2015-01-03 11:45:00|7,8\n"},
        {12, "150102, 103020,1,2\n", "2015-01-02 10:30:20|1,2\n"},
        {10, "2015-01-02T10:30:00-05:00,1\n", "2015-01-02 05:30:00|1\n", '-'},
        {10, "2015-01-02T23:30:10+02:00,1\n", "2015-01-03 01:30:10|1\n", '+'},
        {10, "2015-01-02T10:30:00+05:30,1\n", "2015-01-02 16:00:00|1\n", '+'},
        {10, "2015-01-02T10:30:00+14:00,1\n", "2015-01-03 00:30:00|1\n", '+'},
        // Offsets out of range are not applied.
        {10, "2015-01-02T10:30:00-13:00,1\n", "2015-01-02 10:30:00|1\n", '-'},
        {10, "2015-01-02T10:30:00+01:61,1\n", "2015-01-02 10:30:00|1\n", '+'},
        {10, "2015-01-02T10:30:00b,1\n", "2015-01-02 10:30:00|1\n", 'Z'},
        {11, "20150102T103000B,1\n", "2015-01-02 10:30:00|1\n", 'B'},
        {11, "20150102T103000,1\n", "2015-01-02 10:30:00|1\n", 'Z'},
    };
    for (const Case& k : cases) {
        ScriptedContext c;
        c.reading().zoneLetter = '?';
        EXPECT_EQ(parse(c, k.format, k.line), k.parsed) << k.line;
        EXPECT_EQ(c.reading().zoneLetter, k.zoneLetter ? k.zoneLetter : '?') << k.line;
        EXPECT_TRUE(c.newLines().empty()) << k.line;
    }
}

TEST(ParseDateTime, LinesThatDoNotFitSayWhy)
{
    const char* mismatch = "ERROR- Date/Time format mismatch.";
    const char* fixedMismatch = "ERROR-Date/Time format mismatch."; // the fixed layouts' own text
    const char* noDelimiter = "FORMAT ERROR: No delmiters found after date.  Check file format.";
    struct Case { DateFormatId format; const char* line; const char* logged; };
    const Case cases[] = {
        {2, "1/2/51,07:05:00,1.5\n", "DATE ERROR: year out of range."},   // 2051
        {1, "1/2/1995,07:05:00,1.5\n", "DATE ERROR: year out of range."}, // 3895
        {1, "13/32/2015,07:05:00,1.5\n", "DATE ERROR: day out of range."},
        {1, "13/02/2015,07:05:00,1.5\n", "DATE ERROR: month out of range."},
        {1, "01/02", mismatch},
        {1, "01/02/2015,1030,5\n", mismatch},
        {6, "01/02/2015,10:30:00,1\n", mismatch},
        {1, "20150102-103000,1,2\n", fixedMismatch},
        {7, "20150102T103000,1,2\n", fixedMismatch}, // layouts 5 to 10 need a '-'
        {1, "01/02/2015,10:30", noDelimiter},
        {7, "20150102-103000\n", noDelimiter},
        {9, "20150102-103000 20150103-114500\n", nullptr}, // no delimiter before the second stamp
    };
    for (const Case& k : cases) {
        ScriptedContext c;
        EXPECT_FALSE(parse(c, k.format, k.line)) << k.line;
        EXPECT_EQ(c.newLines(), k.logged ? Lines{k.logged} : Lines{}) << k.line;
    }
    // An offset on an impossible time cannot be applied.
    ZoneScope zone("UTC");
    ScriptedContext c;
    c.editSettings().dateFormat = 10;
    DateTimeFields fields;
    EXPECT_THROW(parseDateTime(c, "2015-13-02T10:30:00+01:00,1\n", fields), LocalTimeError);
    EXPECT_THROW(parseDateTime(c, "2015-01-02T24:30:00+01:00,1\n", fields), LocalTimeError);
}

// A line led by a 21-character field (a point name) before its date: the
// template loses its first labels once, and the date behind the lead is read.
TEST(ParseDateTime, LinePrefixRule)
{
    ScriptedContext c;
    DataTree& tree = c.tree();
    DataNode* templateNode = tree.addChild(tree.root(), "template");
    for (const char* name : {"Point", "Stamp", "T1", "T2"})
        tree.setAttribute(tree.addChild(templateNode, "label"), "value", name);
    c.reading().labelCount = 4;
    for (int time = 0; time < 2; ++time) {
        EXPECT_EQ(parse(c, 1, "AHU-1 supply air temp01/02/2015,10:30:00,12:30\n"), "2015-01-02 10:30:00|12:30\n");
        EXPECT_EQ(c.reading().labelCount, 2);
        EXPECT_EQ(c.reading().leadingLabelsTrimmed, 1);
        EXPECT_EQ(cells(templateNode), (Lines{"T1=", "T2="}));
    }
    // A template of one label loses just that one.
    ScriptedContext one;
    DataNode* single = one.tree().addChild(one.tree().root(), "template");
    one.tree().setAttribute(one.tree().addChild(single, "label"), "value", "Only");
    parse(one, 1, "01/02/2015,10:30:00,1.5,2.5,3.5,12:30\n");
    EXPECT_EQ(single->firstChild(), nullptr);
    EXPECT_EQ(one.reading().labelCount, -2);
}

TEST(LocalTime, RangeChecksRollOverAndDayNames)
{
    ZoneScope zone("Asia/Tokyo"); // no daylight saving
    EXPECT_EQ(makeLocalTime(2015, 1, 2, 19, 30, 0), 1420194600);
    EXPECT_EQ(makeLocalTime(2015, 4, 31, 0, 0, 0), makeLocalTime(2015, 5, 1, 0, 0, 0));
    EXPECT_EQ(makeLocalTime(1970, 1, 1, 8, 59, 59), -1); // not an error
    const int invalid[][6] = {{1899, 1, 1, 0, 0, 0}, {2015, 0, 1, 0, 0, 0}, {2015, 13, 1, 0, 0, 0}, {2015, 1, 0, 0, 0, 0},
                              {2015, 1, 32, 0, 0, 0}, {2015, 1, 1, 24, 0, 0}, {2015, 1, 1, 0, 60, 0}, {2015, 1, 1, 0, 0, 60}};
    for (const auto& f : invalid)
        EXPECT_THROW(makeLocalTime(f[0], f[1], f[2], f[3], f[4], f[5]), LocalTimeError);
    EXPECT_EQ(formatDay(makeLocalTime(2050, 12, 31, 23, 59, 59)), "Saturday, December 31, 2050");
    EXPECT_EQ(formatDay(0), "Thursday, January 01, 1970");
    ZoneScope west("America/Los_Angeles");
    EXPECT_EQ(formatDay(0), "Wednesday, December 31, 1969");
}

TEST(LocalTime, DaylightSavingIsDecidedByTheZone)
{
    ZoneScope zone("America/New_York");
    // 8 March 2015: clocks went from 02:00 EST to 03:00 EDT.
    EXPECT_EQ(makeLocalTime(2015, 3, 8, 3, 0, 0) - makeLocalTime(2015, 3, 8, 1, 0, 0), 3600);
    EXPECT_EQ(makeLocalTime(2015, 7, 1, 12, 0, 0), 1435766400); // 16:00 UTC in summer
    EXPECT_EQ(makeLocalTime(2015, 1, 1, 12, 0, 0), 1420131600); // 17:00 UTC in winter
}
