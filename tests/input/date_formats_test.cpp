#include "input/date_formats.h"

#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <cstring>

namespace tsl {
namespace {

using testing::ScriptedContext;
using testing::ZoneScope;

struct Parsed {
    bool ok = false;
    DateTimeFields fields;
    std::string readings; // the text from the returned position on
};

Parsed parse(ScriptedContext& context, DateFormatId format, const char* line)
{
    context.editSettings().dateFormat = format;
    Parsed out;
    const char* position = parseDateTime(context, line, out.fields);
    out.ok = position != nullptr;
    if (position) {
        EXPECT_GE(position, line);
        EXPECT_LE(position, line + std::strlen(line));
        out.readings = position;
    }
    return out;
}

void expectFields(const Parsed& p, int year, int month, int day, int hour, int minute, int second)
{
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.fields.year, year);
    EXPECT_EQ(p.fields.month, month);
    EXPECT_EQ(p.fields.day, day);
    EXPECT_EQ(p.fields.hour, hour);
    EXPECT_EQ(p.fields.minute, minute);
    EXPECT_EQ(p.fields.second, second);
    EXPECT_EQ(p.fields.reserved, 0);
}

TEST(DateLayouts, TableMatchesTheListAndLeadingColumns)
{
    ASSERT_EQ(dateLayouts.size(), dateFormatItems.size());
    for (std::size_t i = 0; i < dateLayouts.size(); ++i)
        EXPECT_EQ(dateLayouts[i].label, dateFormatItems[i]);
    const int expected[] = {2, 2, 2, 2, 2, 1, 1, 1, 2, 2, 1, 1, 2};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(leadingColumns(i), expected[i]) << i;
    EXPECT_EQ(leadingColumns(-1), 2);
    EXPECT_EQ(leadingColumns(13), 2);
}

TEST(SlashLayouts, DayMonthOrderAndTwoDigitYears)
{
    ScriptedContext c;
    expectFields(parse(c, 0, "01/02/2015,10:30:20,1.5\n"), 2015, 2, 1, 10, 30, 20);
    expectFields(parse(c, 1, "01/02/2015,10:30:20,1.5\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 3, "1/2/15,7:05,1.5\n"), 2015, 1, 2, 7, 5, 0);
    expectFields(parse(c, 2, "1/2/90,07:05:00,1.5\n"), 1990, 2, 1, 7, 5, 0);
    expectFields(parse(c, 2, "1/2/99,07:05:00,1.5\n"), 1999, 2, 1, 7, 5, 0);
    expectFields(parse(c, 2, "1/2/50,07:05:00,1.5\n"), 2050, 2, 1, 7, 5, 0);
    expectFields(parse(c, 4, "2015/01/02,10:30:00,1.5\n"), 2015, 1, 2, 10, 30, 0);
    expectFields(parse(c, 4, "1995/01/02,10:30:00,1.5\n"), 1995, 1, 2, 10, 30, 0);
    EXPECT_EQ(parse(c, 1, "01/02/2015,10:30:20,1.5,2\n").readings, "1.5,2\n");
    EXPECT_TRUE(c.newLines().empty());
}

TEST(SlashLayouts, YearRangeAndFieldChecksLogTheirReason)
{
    ScriptedContext c;
    EXPECT_FALSE(parse(c, 2, "1/2/51,07:05:00,1.5\n").ok);   // 2051
    EXPECT_FALSE(parse(c, 1, "1/2/1995,07:05:00,1.5\n").ok); // 3895
    EXPECT_FALSE(parse(c, 1, "13/32/2015,07:05:00,1.5\n").ok);
    EXPECT_FALSE(parse(c, 1, "13/02/2015,07:05:00,1.5\n").ok);
    EXPECT_EQ(c.newLines(), (std::vector<std::string>{"DATE ERROR: year out of range.", "DATE ERROR: year out of range.",
                                                      "DATE ERROR: day out of range.",
                                                      "DATE ERROR: month out of range."}));
    EXPECT_FALSE(c.log().selected().has_value());
}

TEST(SlashLayouts, TimeAfterABlankInTheDateField)
{
    ScriptedContext c;
    Parsed p = parse(c, 1, "01/02/2015 10:30:00,5.5,6\n");
    expectFields(p, 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(p.readings, "5.5,6\n");
    // The second is looked for in the rest of the line, readings included.
    p = parse(c, 1, "01/02/2015,10:30,12:40,7\n");
    expectFields(p, 2015, 1, 2, 10, 30, 40);
    EXPECT_EQ(p.readings, "7\n");
}

TEST(SlashLayouts, UnfinishedLinesFailInsideTheLine)
{
    ScriptedContext c;
    EXPECT_FALSE(parse(c, 1, "01/02").ok);
    EXPECT_FALSE(parse(c, 1, "1/2/2").ok);
    EXPECT_FALSE(parse(c, 1, "01/02/2015,1030,5\n").ok);
    EXPECT_FALSE(parse(c, 1, "01/02/2015,10:30").ok);
    EXPECT_EQ(c.newLines(), (std::vector<std::string>{
                                "ERROR- Date/Time format mismatch.", "ERROR- Date/Time format mismatch.",
                                "ERROR- Date/Time format mismatch.",
                                "FORMAT ERROR: No delmiters found after date.  Check file format."}));
}

TEST(Families, MismatchMessagesDifferByTheirDash)
{
    ScriptedContext c;
    EXPECT_FALSE(parse(c, 6, "01/02/2015,10:30:00,1\n").ok);
    EXPECT_FALSE(parse(c, 1, "20150102-103000,1,2\n").ok);
    EXPECT_FALSE(parse(c, 7, "20150102T103000,1,2\n").ok); // layouts 5 to 10 need a '-'
    EXPECT_EQ(c.newLines(), (std::vector<std::string>{"ERROR- Date/Time format mismatch.",
                                                      "ERROR-Date/Time format mismatch.",
                                                      "ERROR-Date/Time format mismatch."}));
    ASSERT_TRUE(c.log().selected().has_value());
    EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
}

TEST(FixedLayouts, PositionsAndStepTests)
{
    ScriptedContext c;
    expectFields(parse(c, 7, "20150102-103020,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 6, "20150102-103020,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 6, "20150102-10:30:20,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 5, "150102-10:30:20,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 5, "950102-103020,1\n"), 1995, 1, 2, 10, 30, 20);
    expectFields(parse(c, 11, "20150102T103020Z,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 12, "150102, 103020,1\n"), 2015, 1, 2, 10, 30, 20);
    expectFields(parse(c, 12, "150102,103020,1\n"), 2015, 1, 2, 10, 30, 20);
    EXPECT_EQ(parse(c, 12, "150102, 103020,1,2\n").readings, "1,2\n");
    EXPECT_EQ(parse(c, 7, "20150102-103020,,3\n").readings, "3\n"); // an empty first field
    EXPECT_FALSE(parse(c, 7, "19990102-103020,1\n").ok);            // 3899
    EXPECT_TRUE(c.newLines().size() == 1);
}

TEST(FixedLayouts, TwoStampsPerLine)
{
    ScriptedContext c;
    const char* line = "20150102-103000, 20150103-114500,7,8\n";
    Parsed first = parse(c, 8, line);
    expectFields(first, 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(first.readings, "7,8\n");
    Parsed second = parse(c, 9, line);
    expectFields(second, 2015, 1, 3, 11, 45, 0);
    EXPECT_EQ(second.readings, "7,8\n");
    // Without a delimiter the second stamp cannot be found: no message.
    EXPECT_FALSE(parse(c, 9, "20150102-103000 20150103-114500\n").ok);
    EXPECT_TRUE(c.newLines().empty());
    EXPECT_FALSE(parse(c, 7, "20150102-103000\n").ok);
    EXPECT_EQ(c.newLines().back(), "FORMAT ERROR: No delmiters found after date.  Check file format.");
}

TEST(FixedLayouts, ShortLinesReadNothingPastTheirEnd)
{
    ScriptedContext c;
    for (const char* line : {"-", "1-", "2015-01", "20150102-1", "2015-01-02T1", "150102,", ","}) {
        for (DateFormatId f = 5; f <= 12; ++f) {
            DateTimeFields fields;
            c.editSettings().dateFormat = f;
            const char* position = parseDateTime(c, line, fields);
            if (position) {
                EXPECT_LE(position, line + std::strlen(line));
            }
        }
    }
}

TEST(ZoneDesignators, LettersAndUtcOffsets)
{
    ZoneScope zone("UTC");
    ScriptedContext c;
    expectFields(parse(c, 10, "2015-01-02T10:30:00Z,1\n"), 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, 'Z');
    expectFields(parse(c, 10, "2015-01-02T10:30:00-05:00,1\n"), 2015, 1, 2, 5, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, '-');
    expectFields(parse(c, 10, "2015-01-02T23:30:10+02:00,1\n"), 2015, 1, 3, 1, 30, 10);
    expectFields(parse(c, 10, "2015-01-02T10:30:00+05:30,1\n"), 2015, 1, 2, 16, 0, 0);
    expectFields(parse(c, 10, "2015-01-02T10:30:00-13:00,1\n"), 2015, 1, 2, 10, 30, 0);
    expectFields(parse(c, 10, "2015-01-02T10:30:00+15:00,1\n"), 2015, 1, 2, 10, 30, 0);
    expectFields(parse(c, 10, "2015-01-02T10:30:00+14:00,1\n"), 2015, 1, 3, 0, 30, 0);
    expectFields(parse(c, 10, "2015-01-02T10:30:00+01:61,1\n"), 2015, 1, 2, 10, 30, 0);
    expectFields(parse(c, 11, "20150102T103000J,1\n"), 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, 'Z');
    expectFields(parse(c, 11, "20150102T103000B,1\n"), 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, 'B');
    expectFields(parse(c, 11, "20150102T103000,1\n"), 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, 'Z');
    expectFields(parse(c, 10, "2015-01-02T10:30:00b,1\n"), 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(c.reading().zoneLetter, 'Z');
}

TEST(ZoneDesignators, AnOffsetOnAnImpossibleTimeThrows)
{
    ZoneScope zone("UTC");
    ScriptedContext c;
    c.editSettings().dateFormat = 10;
    DateTimeFields fields;
    EXPECT_THROW(parseDateTime(c, "2015-13-02T10:30:00+01:00,1\n", fields), LocalTimeError);
    EXPECT_THROW(parseDateTime(c, "2015-01-02T24:30:00+01:00,1\n", fields), LocalTimeError);
}

TEST(LinePrefixRule, TrimsTheTemplateOnceAndReadsTheDateBehindTheLead)
{
    ScriptedContext c;
    DataTree& tree = c.tree();
    DataNode* templateNode = tree.addChild(tree.root(), "template");
    for (const char* name : {"Point", "Stamp", "T1", "T2"}) {
        DataNode* label = tree.addChild(templateNode, "label");
        tree.setAttribute(label, "value", name);
    }
    c.reading().labelCount = 4;
    const char* line = "AHU-1 supply air temp01/02/2015,10:30:00,12:30\n";
    ASSERT_EQ(std::strlen("AHU-1 supply air temp"), 21u);
    Parsed p = parse(c, 1, line);
    expectFields(p, 2015, 1, 2, 10, 30, 0);
    EXPECT_EQ(p.readings, "12:30\n");
    EXPECT_EQ(c.reading().labelCount, 2);
    EXPECT_EQ(c.reading().leadingLabelsTrimmed, 1);
    EXPECT_EQ(testing::cells(templateNode), (std::vector<std::string>{"T1=", "T2="}));

    // Once only, whatever the next lines hold.
    parse(c, 1, line);
    EXPECT_EQ(c.reading().labelCount, 2);
    EXPECT_EQ(testing::cells(templateNode).size(), 2u);
}

TEST(LinePrefixRule, ATemplateWithOneLabelLosesJustThatOne)
{
    ScriptedContext c;
    DataTree& tree = c.tree();
    DataNode* templateNode = tree.addChild(tree.root(), "template");
    tree.setAttribute(tree.addChild(templateNode, "label"), "value", "Only");
    parse(c, 1, "01/02/2015,10:30:00,1.5,2.5,3.5,12:30\n");
    EXPECT_EQ(templateNode->firstChild(), nullptr);
    EXPECT_EQ(c.reading().labelCount, -2);
}

TEST(LocalTime, RangeChecksAndRollOver)
{
    ZoneScope zone("UTC");
    EXPECT_EQ(makeLocalTime(2015, 1, 2, 10, 30, 0), 1420194600);
    EXPECT_EQ(makeLocalTime(2015, 4, 31, 0, 0, 0), makeLocalTime(2015, 5, 1, 0, 0, 0));
    EXPECT_EQ(makeLocalTime(1970, 1, 1, 0, 0, -1), -1); // not an error
    EXPECT_THROW(makeLocalTime(1899, 1, 1, 0, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 0, 1, 0, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 13, 1, 0, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 1, 0, 0, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 1, 32, 0, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 1, 1, 24, 0, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 1, 1, 0, 60, 0), LocalTimeError);
    EXPECT_THROW(makeLocalTime(2015, 1, 1, 0, 0, 60), LocalTimeError);
}

TEST(LocalTime, DaylightSavingIsDecidedByTheZone)
{
    ZoneScope zone("America/New_York");
    // 8 March 2015: clocks went from 02:00 EST to 03:00 EDT.
    const std::time_t before = makeLocalTime(2015, 3, 8, 1, 0, 0);
    const std::time_t after = makeLocalTime(2015, 3, 8, 3, 0, 0);
    EXPECT_EQ(after - before, 3600);
    EXPECT_EQ(makeLocalTime(2015, 7, 1, 12, 0, 0), 1435766400); // 16:00 UTC in summer
    EXPECT_EQ(makeLocalTime(2015, 1, 1, 12, 0, 0), 1420131600); // 17:00 UTC in winter
}

TEST(FormatDay, EnglishNamesWhateverTheLocale)
{
    ZoneScope zone("UTC");
    EXPECT_EQ(formatDay(makeLocalTime(2015, 1, 2, 10, 0, 0)), "Friday, January 02, 2015");
    EXPECT_EQ(formatDay(makeLocalTime(2050, 12, 31, 23, 59, 59)), "Saturday, December 31, 2050");
    ZoneScope east("Asia/Tokyo");
    EXPECT_EQ(formatDay(0), "Thursday, January 01, 1970");
    ZoneScope west("America/Los_Angeles");
    EXPECT_EQ(formatDay(0), "Wednesday, December 31, 1969");
}

} // namespace
} // namespace tsl
