#include "input/export_scan.h"
#include "input/prepared_copy.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace tsl {
namespace {

using namespace tsl::testing;

// One pass over an export written to a file of the given name.
ExportSurvey survey(const std::string& bytes, const std::string& name = "export.csv")
{
    TempDir dir;
    writeFile(dir.file(name), bytes);
    ScanOutcome scan = scanExport(dir.file(name), [] { return true; });
    EXPECT_TRUE(scan.survey) << scan.refusal;
    return scan.survey ? std::move(*scan.survey) : ExportSurvey{};
}

// Stamps as exports write them, read in the order their file decided.
TEST(ImportStamps, WallClockOfEachForm)
{
    struct Case { const char* text; DateOrder order; WallTime expected; };
    const Case cases[] = {
        {"5/7/2022 12:00", DateOrder::MonthFirst, {2022, 5, 7, 12, 0, 0}},
        {"07-May-22 12:15:00 PM CDT", DateOrder::Unknown, {2022, 5, 7, 12, 15, 0}},
        {"01-Jan-23 12:00:00 AM CST", DateOrder::Unknown, {2023, 1, 1, 0, 0, 0}},
        {"10/02/13 06:00:00 AM", DateOrder::MonthFirst, {2013, 10, 2, 6, 0, 0}},
        {"09.10.2020 1:25 p", DateOrder::DayFirst, {2020, 10, 9, 13, 25, 0}},
        {"2020.10.06 23:59:59", DateOrder::Unknown, {2020, 10, 6, 23, 59, 59}},
        {"20150102-103000", DateOrder::Unknown, {2015, 1, 2, 10, 30, 0}},
        {"24/07/20 21:00:00", DateOrder::YearFirst, {2024, 7, 20, 21, 0, 0}},
        {"24/07/20 21:00:00", DateOrder::DayFirst, {2020, 7, 24, 21, 0, 0}},
        {"24.7.5 21:00", DateOrder::YearFirst, {2024, 7, 5, 21, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<RawStamp> stamp = parseStamp(c.text);
        ASSERT_TRUE(stamp);
        const std::optional<WallTime> time = resolveStamp(*stamp, c.order);
        ASSERT_TRUE(time);
        EXPECT_EQ(formatWallTime(*time), formatWallTime(c.expected));
        EXPECT_EQ(wallTimeAt(wallSeconds(*time)), *time);
    }
    EXPECT_TRUE(parseStamp("2022-01-01 10:05:00.25")->fraction);
    EXPECT_FALSE(parseStamp("2022-01-01 10:05:00.000")->fraction);
    EXPECT_FALSE(resolveStamp(*parseStamp("24.7.5 21:00"), DateOrder::DayFirst));
}

TEST(ImportStamps, TextsThatAreNotTimesOrImpossible)
{
    for (const char* text : {"72.4", "12.5.2020x", "On", "Value (°F)", "", "5/7/2022 12:00 kg", "1.2.3"})
        EXPECT_FALSE(parseStamp(text) && parseStamp(text)->hasDate) << text;
    for (const char* text : {"2/30/2022 10:00", "13:05:00 PM 1/1/2020", "31/04/2020 10:00"}) {
        const std::optional<RawStamp> stamp = parseStamp(text);
        EXPECT_FALSE(stamp && resolveStamp(*stamp, DateOrder::MonthFirst)) << text;
    }
    EXPECT_FALSE(resolveStamp(*parseStamp("1/1/2020 13:00 PM"), DateOrder::MonthFirst));
    EXPECT_EQ(parseStamp("07-May-22 12:15:00 PM CDT")->zone, "CDT");
}

std::string hourly(const char* format, int hours, int startDay = 0)
{
    std::string text = "Time,Value\n";
    for (int h = 0; h < hours; ++h) {
        const WallTime t = wallTimeAt(wallSeconds({2024, 7, 20}) + (startDay * 24 + h) * 3600LL);
        char line[64];
        std::snprintf(line, sizeof line, format, t.year % 100, t.month, t.day, t.hour);
        text += std::string(line) + ",1\n";
    }
    return text;
}

// The date order comes from the whole file: the order that reads every
// date and makes the times run forward, else a date in the file's name,
// else the layout selected; a WARNING whenever another order reads every
// date too.
TEST(ImportDateOrder, ChosenFromTheWholeFile)
{
    struct Case {
        const char* name;
        std::string text;
        DateOrder expected;
        bool warned;
    };
    const Case cases[] = {
        {"a.csv", "t,v\n01/02/2020 10:00,1\n13/02/2020 10:00,2\n", DateOrder::DayFirst, false},
        {"a.csv", "t,v\n01/02/2020 10:00,1\n02/13/2020 10:00,2\n", DateOrder::MonthFirst, false},
        // no number above 12: the one that counts the days runs the times forward
        {"a.csv", "t,v\n01/02/2020 10:00,1\n02/02/2020 10:00,2\n03/02/2020 10:00,3\n", DateOrder::DayFirst, true},
        {"a.csv", "t,v\n02/01/2020 10:00,1\n02/02/2020 10:00,2\n02/03/2020 10:00,3\n", DateOrder::MonthFirst, true},
        // YY/MM/DD over two months: read day first the years would jump
        {"a.csv", hourly("%02d/%02d/%02d %02d:00:00", 24 * 50), DateOrder::YearFirst, true},
        // one day of YY.MM.DD: the name's dates, read in order, decide
        {"240720_240721.csv", hourly("%02d.%02d.%02d %02d:00", 24), DateOrder::YearFirst, true},
        {"logger.csv", hourly("%02d.%02d.%02d %02d:00", 24), DateOrder::DayFirst, true},
        {"a.csv", "t,v\n07-May-22 12:15:00 PM,1\n", DateOrder::DayFirst, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        const ExportSurvey s = survey(c.text, c.name);
        ASSERT_FALSE(s.orders.empty());
        const std::vector<WallTime> named = datesNamedIn(std::string(c.name).substr(0, std::string(c.name).find('.')));
        const OrderChoice choice = chooseDateOrder(s.orders, named, DateOrder::MonthFirst);
        EXPECT_EQ(orderName(s.orders[choice.chosen].order()), orderName(c.expected));
        EXPECT_EQ(!choice.warning.empty(), c.warned) << choice.warning;
    }
    const OrderChoice choice = chooseDateOrder(survey(hourly("%02d/%02d/%02d %02d:00:00", 24 * 50)).orders, {},
                                               DateOrder::MonthFirst);
    EXPECT_NE(choice.warning.find("year first (first 2024-07-20 00:00:00)"), std::string::npos) << choice.warning;
    EXPECT_NE(choice.warning.find("day first (first 2020-07-24 00:00:00)"), std::string::npos);
}

TEST(ImportDateOrder, DatesNamedInFileNamesAndTitles)
{
    struct Case { const char* text; std::vector<WallTime> dates; };
    const Case cases[] = {
        {"240720_240913", {{2024, 7, 20}, {2024, 9, 13}}},
        {"log 2024-07-20", {{2024, 7, 20}}},
        {"S-7_DA-T", {}},
        {"Plot Title: 01_10_13 ", {{2001, 10, 13}, {2013, 10, 1}, {2013, 1, 10}}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(datesNamedIn(c.text), c.dates) << c.text;
}

// A weather station's labels over two lines with a line of units, a
// printed report's repeated pages, a logger's title and row numbers.
TEST(ImportShape, LabelLinesTitlesAndPages)
{
    const ExportSurvey weather = survey("\t\tTemp\tHi\tWind\tWind\n"
                                        "Date\tTime\tOut\tTemp\tSpeed\tDir\n"
                                        "\t\t\xC2\xB0""F\t\xC2\xB0""F\tmph\t\n"
                                        "10/09/20\t12:00 a\t60.0\t61.0\t3\tNNE\n"
                                        "10/09/20\t12:30 a\t60.1\t61.1\t4\t---\n");
    EXPECT_EQ(weather.shape.delimiter, '\t');
    EXPECT_EQ(weather.shape.timeColumn, 1);
    EXPECT_EQ(weather.shape.headerLabels, (std::vector<std::string>{"Temp Out [\xC2\xB0""F]", "Hi Temp [\xC2\xB0""F]",
                                                                    "Wind Speed [mph]", "Wind Dir"}));
    EXPECT_EQ(weather.columns[3].kind(), ColumnKind::Compass);

    const ExportSurvey report = survey("Trend report\n"
                                       "Date,Time,Zone Temp\n"
                                       "01/03/2021,,\n"
                                       "01/03/2021,10:00,21\n"
                                       "\n"
                                       "Page 1 of 2\n"
                                       "Trend report\n"
                                       "Date,Time,Zone Temp\n"
                                       "02/03/2021,,\n"
                                       "02/03/2021,10:00,22\n");
    EXPECT_EQ(report.titles.describe(), "1 (line 1)");
    EXPECT_EQ(report.skipped.at(LineKind::DateAlone).describe(), "2 (lines 3, 9)");
    EXPECT_EQ(report.skipped.at(LineKind::RepeatedLabels).describe(), "2 (lines 7, 8)");
    EXPECT_EQ(report.skipped.at(LineKind::NoStamp).describe(), "1 (line 6)");
    EXPECT_EQ(report.orders.front().readingLines(), 2u);

    const ExportSurvey logger = survey("\xEF\xBB\xBF\"Plot Title: x \"\n"
                                       "\"#\",\"Time, GMT+01:00\",\"Temp, \xC2\xB0""C()\",\"RH, %()\"\n"
                                       "1,10/13/13 06:00:00 PM,19.8,59.7\n"
                                       "2,10/13/13 06:30:00 PM,\"19,9\",\n");
    EXPECT_TRUE(logger.encoding.byteOrderMark);
    EXPECT_EQ(logger.shape.titleLines.size(), 1u);
    EXPECT_EQ(logger.shape.dateColumn, 1);
    EXPECT_EQ(logger.shape.droppedColumns, std::vector<int>{0});
    EXPECT_EQ(preparedLabels(logger.shape, "x"), (std::vector<std::string>{"Temp [\xC2\xB0""C]", "RH [%]"}));
    EXPECT_EQ(logger.twelveHourTimes, 2u);
    EXPECT_EQ(logger.columns[0].count(CellKind::Word), 1u); // "19,9" in a comma file
}

TEST(ImportCells, WhatEachCellHolds)
{
    struct Case { const char* cell; bool decimalComma; CellKind kind; double value; };
    const Case cases[] = {
        {" 72.4 ", false, CellKind::Number, 72.4}, {"+1e-3", false, CellKind::Number, 0.001},
        {"21,5", true, CellKind::Number, 21.5},    {"35 %", false, CellKind::Number, 35},
        {"On", false, CellKind::State, 1},         {"UnOccupied", false, CellKind::State, 0},
        {"TRUE", false, CellKind::State, 1},       {"no", false, CellKind::State, 0},
        {"NNE", false, CellKind::Compass, 22.5},   {"w", false, CellKind::Compass, 270},
        {"nan", false, CellKind::Missing, 0},      {"---", false, CellKind::Missing, 0},
        {"", false, CellKind::Empty, 0},           {"COOL", false, CellKind::Word, 0},
        {"inf", false, CellKind::Word, 0},         {"12 apples", false, CellKind::Word, 0},
    };
    for (const Case& c : cases) {
        const Cell cell = classifyCell(c.cell, c.decimalComma);
        EXPECT_EQ(cell.kind, c.kind) << c.cell;
        EXPECT_DOUBLE_EQ(cell.value, c.value) << c.cell;
    }
}

TEST(ImportCells, ColumnKindsFromAllTheirCells)
{
    struct Case { std::vector<const char*> cells; ColumnKind kind; };
    const Case cases[] = {
        {{"1.5", "2", "nan", ""}, ColumnKind::Numbers},
        {{"On", "Off", "1", "0"}, ColumnKind::TwoState},
        {{"On", "Off", "55.2"}, ColumnKind::Numbers},
        {{"COOL", "HEAT", "AUTO", "COOL"}, ColumnKind::Codes},
        {{"N", "SW", "---", "180"}, ColumnKind::Compass},
        {{"21.5", "22", "Error", "23"}, ColumnKind::Numbers},
    };
    for (const Case& c : cases) {
        ColumnTally tally;
        for (const char* cell : c.cells)
            tally.add(classifyCell(cell, false));
        EXPECT_EQ(tally.kind(), c.kind) << c.cells.front();
    }
    CodeLegends legends;
    EXPECT_EQ(legends.code("Mode", "COOL"), 1);
    EXPECT_EQ(legends.code("Mode", "HEAT"), 2);
    EXPECT_EQ(legends.code("Mode", "COOL"), 1);
    EXPECT_EQ(legends.code("Fan", "AUTO"), 1);
    EXPECT_EQ(legends.legend("Mode"), "1 = COOL, 2 = HEAT");
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
