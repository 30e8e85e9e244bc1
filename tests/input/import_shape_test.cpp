#include "input/export_shape.h"
#include "input/prepared_copy.h"

#include <gtest/gtest.h>

namespace tsl {
namespace {

// Stamps as exports write them, read in the order their file decided (the
// real exports below check more forms through whole files).
TEST(ImportStamps, WallClockOfEachForm)
{
    struct Case { const char* text; DateOrder order; WallTime expected; };
    const Case cases[] = {
        {"5/7/2022 12:00", DateOrder::MonthFirst, {2022, 5, 7, 12, 0, 0}},
        {"07-May-22 12:15:00 PM CDT", DateOrder::Unknown, {2022, 5, 7, 12, 15, 0}},
        {"01-Jan-23 12:00:00 AM CST", DateOrder::Unknown, {2023, 1, 1, 0, 0, 0}},
        {"12-May-22 6:39:54 PM CDT", DateOrder::Unknown, {2022, 5, 12, 18, 39, 54}},
        {"10/02/13 06:00:00 AM", DateOrder::MonthFirst, {2013, 10, 2, 6, 0, 0}},
        {"09.10.2020 1:25 p", DateOrder::DayFirst, {2020, 10, 9, 13, 25, 0}},
        {"2020.10.06 23:59:59", DateOrder::Unknown, {2020, 10, 6, 23, 59, 59}},
        {"20150102-103000", DateOrder::Unknown, {2015, 1, 2, 10, 30, 0}},
        {"1/2/1995 10:00:00", DateOrder::DayFirst, {1995, 2, 1, 10, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<RawStamp> stamp = parseStamp(c.text);
        ASSERT_TRUE(stamp);
        const std::optional<WallTime> time = resolveStamp(*stamp, c.order);
        ASSERT_TRUE(time);
        EXPECT_EQ(formatWallTime(*time), formatWallTime(c.expected));
    }
}

TEST(ImportStamps, TextsThatAreNotTimesOrImpossible)
{
    for (const char* text : {"72.4", "12.5.2020x", "On", "Value (°F)", "", "5/7/2022 12:00 kg", "1.2.3"})
        EXPECT_FALSE(parseStamp(text) && parseStamp(text)->hasDate) << text;
    for (const char* text : {"2/30/2022 10:00", "13:05:00 PM 1/1/2020", "31/04/2020 10:00"}) {
        const std::optional<RawStamp> stamp = parseStamp(text);
        EXPECT_FALSE(stamp && resolveStamp(*stamp, DateOrder::MonthFirst)) << text;
    }
    const std::optional<RawStamp> late = parseStamp("1/1/2020 13:00 PM");
    ASSERT_TRUE(late);
    EXPECT_FALSE(resolveStamp(*late, DateOrder::MonthFirst));
    EXPECT_EQ(parseStamp("07-May-22 12:15:00 PM CDT")->zone, "CDT");
}

TEST(ImportShape, DayOrMonthFirstFromTheData)
{
    struct Case { const char* file; DateOrder order; };
    const Case decided[] = {
        {"t,v\n13/01/2020 10:00,1\n14/01/2020 10:00,2\n", DateOrder::DayFirst},
        {"t,v\n01/13/2020 10:00,1\n01/14/2020 10:00,2\n", DateOrder::MonthFirst},
        // no number above 12: the one that counts up from day to day is the day
        {"t,v\n01/02/2020 10:00,1\n02/02/2020 10:00,2\n03/02/2020 10:00,3\n", DateOrder::DayFirst},
        {"t,v\n02/01/2020 10:00,1\n02/02/2020 10:00,2\n02/03/2020 10:00,3\n", DateOrder::MonthFirst},
    };
    for (const Case& c : decided) {
        const ShapeResult result = findExportShape(c.file);
        ASSERT_TRUE(result.shape) << c.file << result.refusal;
        EXPECT_EQ(result.shape->order, c.order) << c.file;
    }
    for (const char* undecidable : {"t,v\n01/02/2020 10:00,1\n01/02/2020 11:00,2\n",
                                    "t,v\n13/01/2020 10:00,1\n01/14/2020 10:00,2\n"}) {
        const ShapeResult result = findExportShape(undecidable);
        EXPECT_FALSE(result.shape) << undecidable;
        EXPECT_FALSE(result.refusal.empty());
    }
}

TEST(ImportShape, TitleLinesRowNumbersQuotesAndByteOrderMark)
{
    const ShapeResult result = findExportShape("\xEF\xBB\xBF\"Plot Title: x \"\n"
                                               "\"#\",\"Time, GMT+01:00\",\"Temp, \xC2\xB0""C()\",\"RH, %()\"\n"
                                               "1,10/13/13 06:00:00 PM,19.8,59.7\n"
                                               "2,10/13/13 06:30:00 PM,\"19,9\",\n");
    ASSERT_TRUE(result.shape) << result.refusal;
    const ExportShape& shape = *result.shape;
    EXPECT_TRUE(shape.decoded.byteOrderMark);
    EXPECT_EQ(shape.titleLines.size(), 1u);
    EXPECT_EQ(shape.dateColumn, 1);
    EXPECT_EQ(shape.droppedColumns, std::vector<int>{0});
    EXPECT_EQ(shape.valueColumns, (std::vector<int>{2, 3}));
    const PreparedCopy copy = prepareCopy(shape, "atrium");
    EXPECT_EQ(copy.text, "Date,Time,Temp [\xC2\xB0""C],RH [%]\r\n"
                         "2013/10/13,18:00:00,19.8,59.7\r\n"
                         "2013/10/13,18:30:00,,\r\n");
    EXPECT_EQ(copy.stats.twelveHourTimes, 2u);
    EXPECT_EQ(copy.stats.blanked, 1u); // "19,9" is text in a comma file
}

TEST(ImportShape, SemicolonsWithDecimalCommasAndLatin1)
{
    const ShapeResult result = findExportShape("Zeit;Temp \xB0""C;Status\n"
                                               "09.10.2020 10:00;21,5;EIN\n"
                                               "10.10.2020 10:00;22,0;---\n");
    ASSERT_TRUE(result.shape) << result.refusal;
    EXPECT_EQ(result.shape->delimiter, ';');
    EXPECT_EQ(result.shape->decoded.encoding, "Latin-1");
    const PreparedCopy copy = prepareCopy(*result.shape, "x");
    EXPECT_EQ(copy.text, "Date,Time,Temp \xC2\xB0""C,Status\r\n"
                         "2020/10/09,10:00:00,21.5,\r\n"
                         "2020/10/10,10:00:00,22.0,\r\n");
    EXPECT_EQ(copy.stats.missing, 1u);
    EXPECT_EQ(copy.stats.blanked, 1u);
}

TEST(ImportCells, StatesMissingMarkersAndText)
{
    struct Case { const char* cell; const char* prepared; CellOutcome outcome; };
    const Case cases[] = {
        {" 72.4 ", "72.4", CellOutcome::Number}, {"+1e-3", "1e-3", CellOutcome::Number},
        {"On", "1", CellOutcome::Mapped},        {"OFF", "0", CellOutcome::Mapped},
        {"TRUE", "1", CellOutcome::Mapped},      {"no", "0", CellOutcome::Mapped},
        {"nan", "", CellOutcome::Missing},       {"---", "", CellOutcome::Missing},
        {"", "", CellOutcome::Empty},            {"COOL", "", CellOutcome::Blanked},
        {"inf", "", CellOutcome::Blanked},       {"12 kg", "", CellOutcome::Blanked},
    };
    for (const Case& c : cases) {
        CellOutcome outcome;
        EXPECT_EQ(preparedCell(c.cell, false, outcome), c.prepared) << c.cell;
        EXPECT_EQ(outcome, c.outcome) << c.cell;
    }
}

// Every label must come out the same through the template's rule (last byte
// below '0' removed) and the reader's (below 33 removed), hold no delimiter
// and be two bytes or more.
TEST(ImportLabels, SurviveBothHeaderRules)
{
    struct Case { const char* written; const char* prepared; };
    const Case cases[] = {
        {"Value (\xC2\xB0""F)", "S-7_DA-T [\xC2\xB0""F]"}, {"Value", "S-7_DA-T"},
        {"Temp, \xC2\xB0""C()", "Temp [\xC2\xB0""C]"}, {"RH, %()", "RH [%]"},
        {"humidity []", "humidity"}, {"Flow %", "Flow %_"},
        {"T", "T_"}, {"DATE OUT", "Date OUT"},
        {"a;b\tc", "a b c"}, {"", "S-7_DA-T"},
    };
    for (const Case& c : cases) {
        const std::string label = preparedLabel(c.written, "S-7_DA-T");
        EXPECT_EQ(label, c.prepared) << c.written;
        EXPECT_GE(static_cast<signed char>(label.back()), '0');
        EXPECT_EQ(label.find_first_of(",;\t\""), std::string::npos);
    }
}

} // namespace
} // namespace tsl
