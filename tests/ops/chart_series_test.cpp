// The chart's view of the stored data: collecting columns from what the
// reader stored, reducing lines to the pixels, the read-out and the axes.
#include "ops/chart_series.h"
#include "ops/read_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace tsl;
using namespace tsl::testing;

namespace {

constexpr std::int64_t jan15at13 = 1547557200; // 2019-01-15 13:00:00 UTC
constexpr double minute = 60, hour = 3600, day = 86400;
constexpr double mar2 = 1772409600; // 2026-03-02 00:00:00 UTC

// The local clock at a tick.
std::tm localAt(double seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

std::vector<float> withBlanks(std::initializer_list<float> values) { return values; }
const float B = std::nanf("");

bool sameReadings(const std::vector<float>& a, const std::vector<float>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(std::isnan(a[i]) ? std::isnan(b[i]) : a[i] == b[i]))
            return false;
    return true;
}

ChartData series(std::vector<std::int64_t> times, std::vector<std::vector<float>> columns)
{
    ChartData data;
    data.times = std::move(times);
    for (auto& values : columns) {
        ChartColumn column;
        column.values = std::move(values);
        summarizeColumn(column, data.times);
        data.columns.push_back(std::move(column));
    }
    return data;
}

std::vector<std::vector<PlotPoint>> runsOf(const PlotLine& line)
{
    std::vector<std::vector<PlotPoint>> runs;
    std::size_t start = 0;
    for (std::size_t end : line.runEnds) {
        runs.emplace_back(line.points.begin() + static_cast<std::ptrdiff_t>(start),
                          line.points.begin() + static_cast<std::ptrdiff_t>(end));
        start = end;
    }
    return runs;
}

} // namespace

TEST_F(ReadData, ChartCollectsTimesAndReadingsWithBlanksAsGaps)
{
    readAhu();
    // Text that is no number counts as a blank.
    DataNode* firstLine = c.tree().findNode(c.tree().root(), "dataline");
    c.tree().findNodeByAttribute(firstLine, "label", "value", "FLOW")->setText("OFF");
    EXPECT_EQ(chartColumnLabels(c.tree()), (Lines{"AHU_TEMP", "FLOW"}));

    const ChartData data = collectChartData(c.tree(), {"FLOW", "AHU_TEMP", "NOT_THERE"});
    EXPECT_EQ(data.times, (std::vector<std::int64_t>{jan15at13 + 300, jan15at13 + 360, jan15at13 + 420,
                                                     jan15at13 + 11 * 3600}));
    ASSERT_EQ(data.columns.size(), 3u);
    EXPECT_EQ(data.columns[0].label, "FLOW");
    EXPECT_TRUE(sameReadings(data.columns[0].values, {B, 510, B, 5}));
    EXPECT_TRUE(sameReadings(data.columns[1].values, {70, B, 71.5, 72}));
    EXPECT_TRUE(sameReadings(data.columns[2].values, {B, B, B, B}));
    EXPECT_EQ(data.columns[1].readings, 3u);
    EXPECT_FLOAT_EQ(data.columns[1].low, 70);
    EXPECT_FLOAT_EQ(data.columns[1].high, 72);
    EXPECT_EQ(data.columns[2].readings, 0u);
    EXPECT_EQ(data.columns[2].gapSpan, 0);
}

TEST_F(ReadData, ChartPutsLinesOfOneHourInTimeOrder)
{
    // The second file adds 13:01 after the first file's 13:02 in the same hour.
    readLines("T", {"01/15/2019,13:00:00,1", "01/15/2019,13:02:00,3"});
    readLines("T", {"01/15/2019,13:01:00,2", "01/15/2019,14:00:00,4"});
    const ChartData data = collectChartData(c.tree(), {"T"});
    EXPECT_EQ(data.times, (std::vector<std::int64_t>{jan15at13, jan15at13 + 60, jan15at13 + 120, jan15at13 + 3600}));
    EXPECT_TRUE(sameReadings(data.columns[0].values, {1, 2, 3, 4}));
}

TEST(PlotLine, FewReadingsAreDrawnAsTheyAreWithBreaksAtWideGaps)
{
    // One-minute lines with a blank at 3 and a missing hour after 5; an
    // hourly meter in the same lines joins its readings across the blanks.
    const ChartData data = series({0, 60, 120, 180, 240, 300, 3900, 3960},
                                  {withBlanks({1, 2, 3, B, 5, 6, 7, 8}), withBlanks({9, B, B, B, B, B, 8, B})});
    PlotLine line = plotLine(data, 0, 0, 3960, 100); // about 40 s per pixel
    auto runs = runsOf(line);
    ASSERT_EQ(runs.size(), 3u);
    EXPECT_EQ(runs[0].size(), 3u);
    EXPECT_EQ(runs[1].size(), 2u);
    EXPECT_EQ(runs[2].size(), 2u);
    EXPECT_EQ(runs[2][0].time, 3900);
    EXPECT_EQ(plotLine(data, 1, 0, 3960, 100).runCount(), 1u);

    // Zoomed out until the blank is narrower than a pixel: only the hour shows.
    EXPECT_EQ(plotLine(data, 0, 0, 3960, 10).runCount(), 2u);

    // A window inside the data keeps one reading beyond each edge.
    line = plotLine(data, 0, 100, 250, 100);
    ASSERT_FALSE(line.points.empty());
    EXPECT_EQ(line.points.front().time, 60);
    EXPECT_EQ(line.points.back().time, 300);

    // Nothing to draw: no pixels, an empty range, a column that is not there.
    EXPECT_TRUE(plotLine(data, 0, 0, 3960, 0).points.empty());
    EXPECT_TRUE(plotLine(data, 0, 100, 100, 50).points.empty());
    EXPECT_TRUE(plotLine(data, 2, 0, 3960, 50).points.empty());
}

TEST(PlotLine, ManyReadingsKeepEveryPixelColumnsEnvelopeAndItsGaps)
{
    std::mt19937 random(11);
    std::uniform_real_distribution<float> reading(-50, 50);
    for (int pixels : {1, 7, 300, 1500}) {
        // A year of one-minute lines with scattered blanks and one blank day.
        const std::int64_t count = 525600;
        std::vector<std::int64_t> times(count);
        std::vector<float> values(count);
        for (std::int64_t i = 0; i < count; ++i) {
            times[i] = i * 60;
            const bool blankDay = i >= 100000 && i < 101440;
            values[i] = blankDay || random() % 50 == 0 ? B : reading(random);
        }
        const ChartData data = series(times, {values});
        const double from = 5000 * 60.0, to = 400000 * 60.0;
        const PlotLine line = plotLine(data, 0, from, to, pixels);
        const double perPixel = (to - from) / pixels;

        ASSERT_LE(line.points.size(), 4u * (pixels + 2)) << pixels;
        for (std::size_t i = 1; i < line.points.size(); ++i)
            ASSERT_LT(line.points[i - 1].time, line.points[i].time);

        // Every pixel column's lowest and highest reading is among the points.
        std::vector<float> low(pixels, INFINITY), high(pixels, -INFINITY);
        for (std::int64_t i = 0; i < count; ++i) {
            const double t = double(times[i]);
            if (t < from || t > to || std::isnan(values[i]))
                continue;
            const int p = std::min(pixels - 1, int((t - from) / perPixel));
            low[p] = std::min(low[p], values[i]);
            high[p] = std::max(high[p], values[i]);
        }
        std::vector<float> drawnLow(pixels, INFINITY), drawnHigh(pixels, -INFINITY);
        for (const PlotPoint& point : line.points) {
            if (point.time < from || point.time > to)
                continue;
            const int p = std::min(pixels - 1, int((point.time - from) / perPixel));
            drawnLow[p] = std::min(drawnLow[p], point.value);
            drawnHigh[p] = std::max(drawnHigh[p], point.value);
        }
        EXPECT_EQ(low, drawnLow) << pixels;
        EXPECT_EQ(high, drawnHigh) << pixels;

        // The blank day breaks the line when it spans a pixel, and no run crosses it.
        const double dayStart = 100000 * 60.0, dayEnd = 101440 * 60.0;
        bool broken = false;
        for (const auto& run : runsOf(line)) {
            EXPECT_FALSE(run.front().time < dayStart && run.back().time >= dayEnd && dayEnd - dayStart >= perPixel);
            broken = broken || (run.back().time < dayStart + 60 && run.back().time >= dayStart - perPixel);
        }
        EXPECT_EQ(broken, dayEnd - dayStart >= perPixel) << pixels;
    }
}

TEST(PlotLine, RunsAreCappedByClosingTheNarrowestBreaks)
{
    // Every fourth reading missing, and one long gap: far more breaks than allowed.
    std::vector<std::int64_t> times;
    std::vector<float> values;
    for (int i = 0; i < 2000; ++i) {
        times.push_back(i < 1000 ? i * 60 : i * 60 + 86400);
        values.push_back(i % 4 == 3 ? B : float(i));
    }
    const ChartData data = series(times, {values});
    const PlotLine line = plotLine(data, 0, 0, double(times.back()), 100000);
    EXPECT_EQ(line.runCount(), maxRunsPerLine);
    EXPECT_EQ(line.points.size(), 1500u);
    // The day-long gap is the widest break and stays.
    bool dayKept = false;
    for (std::size_t k = 0; k + 1 < line.runEnds.size(); ++k)
        dayKept = dayKept || line.points[line.runEnds[k]].time - line.points[line.runEnds[k] - 1].time > 86400;
    EXPECT_TRUE(dayKept);
}

TEST(NearestReading, SkipsBlanksAndPrefersTheEarlierOnATie)
{
    const ChartData data = series({0, 60, 120, 180, 240}, {withBlanks({1, B, B, 4, B}), withBlanks({B, B, B, B, B})});
    EXPECT_EQ(nearestReading(data, 0, 70), 0u);
    EXPECT_EQ(nearestReading(data, 0, 90), 0u);
    EXPECT_EQ(nearestReading(data, 0, 100), 3u);
    EXPECT_EQ(nearestReading(data, 0, 1e9), 3u);
    EXPECT_EQ(nearestReading(data, 0, -1e9), 0u);
    EXPECT_FALSE(nearestReading(data, 1, 60));
    EXPECT_FALSE(nearestReading(data, 2, 60));
}

TEST_F(ReadData, DefaultColumnsAreTheFirstThatHoldReadingsAndTheSpanIsTheirs)
{
    // A template column no file fills, a text-only column, then readings;
    // the last column starts an hour later than the others.
    readLines("EMPTY,STATE,T1,T2,T3", {"01/15/2019,13:00:00,,0,1,2,", "01/15/2019,14:00:00,,0,3,4,5"});
    forEachDataline(c.tree(), [&](DataNode* line) {
        c.tree().findNodeByAttribute(line, "label", "value", "STATE")->setText("OFF");
        return true;
    });
    EXPECT_EQ(firstColumnsWithReadings(c.tree(), 8), (Lines{"T1", "T2", "T3"}));
    EXPECT_EQ(firstColumnsWithReadings(c.tree(), 2), (Lines{"T1", "T2"}));
    EXPECT_EQ(firstColumnsWithReadings(c.tree(), 0), Lines{});

    EXPECT_EQ(readingSpan(collectChartData(c.tree(), {"T3"})), std::make_pair(jan15at13 + 3600, jan15at13 + 3600));
    EXPECT_EQ(readingSpan(collectChartData(c.tree(), {"T1", "T3"})), std::make_pair(jan15at13, jan15at13 + 3600));
    EXPECT_FALSE(readingSpan(collectChartData(c.tree(), {"EMPTY", "STATE"})));
    EXPECT_FALSE(readingSpan(collectChartData(c.tree(), {})));
}

TEST(ValueAxes, ColumnsOfVeryDifferentScalesGetTheirOwnAxis)
{
    auto axesFor = [](std::vector<std::vector<float>> columns) {
        std::vector<std::int64_t> times(columns.front().size());
        for (std::size_t i = 0; i < times.size(); ++i)
            times[i] = std::int64_t(i);
        return valueAxisOfColumns(series(times, std::move(columns)));
    };
    // Temperature and valve position in percent: one axis.
    EXPECT_EQ(axesFor({{21, 23.5}, {0, 100}}), (std::vector<int>{0, 0}));
    // Temperature in kelvin and the valve as a fraction.
    EXPECT_EQ(axesFor({{0.2f, 1}, {294, 296}}), (std::vector<int>{0, 1}));
    // Flows and a pressure near 1000, temperatures near 20, a valve fraction:
    // the widest step in scale (20 to 1000) divides them.
    EXPECT_EQ(axesFor({{20, 22}, {900, 1200}, {0.5f, 0.9f}, {1000, 1010}}), (std::vector<int>{0, 1, 0, 1}));
    // A column of zeros or blanks does not count; negative readings count by size.
    EXPECT_EQ(axesFor({{0, 0}, {B, B}, {-300, 5}, {2, 3}}), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(axesFor({{5, 6}}), (std::vector<int>{0}));
}

TEST(ValueTicks, StepsOfOneTwoOrFiveTimesAPowerOfTen)
{
    struct Case {
        double low, high;
        int most;
        double step;
        int decimals;
    };
    const Case cases[] = {
        {53.4, 61.8, 6, 2, 0},            // 54, 56, 58, 60; not 53.4, 55.08, ...
        {0, 1, 5, 0.5, 1},                // a fraction
        {-3.2, 147, 8, 20, 0},            // 0 to 140
        {0.0012, 0.0019, 8, 0.0001, 4},   // 0.0012 to 0.0019
        {1000, 1000, 5, 50, 0},           // one value: 900 to 1100 around it
        {20, 10, 3, 5, 0},                // given the wrong way round
    };
    for (const Case& c : cases) {
        const ValueTicks t = valueTicks(c.low, c.high, c.most);
        EXPECT_DOUBLE_EQ(t.step, c.step) << c.low << ".." << c.high;
        EXPECT_EQ(t.decimals, c.decimals) << c.low << ".." << c.high;
    }
    EXPECT_EQ(valueRange(10, 30), std::make_pair(9.0, 31.0));
    EXPECT_EQ(valueRange(-50, -50), std::make_pair(-55.0, -45.0));
    EXPECT_EQ(valueRange(0.5, 0.5), std::make_pair(-0.5, 1.5));
}

TEST(TimeTicks, WholeStepsOfTheLocalClockWithinTheRange)
{
    struct Case {
        double from, to;
        int most;
        TimeStep unit;
        int count;
        double first, step; // step 0: months, of no one length
        std::size_t ticks;
    };
    const Case cases[] = {
        // 10:03:17 to 10:41:50: every five minutes from 10:05
        {mar2 + 10 * hour + 197, mar2 + 10 * hour + 2510, 8, TimeStep::Minutes, 5, mar2 + 10 * hour + 300, 300, 8},
        // 05:29 to 11:29: whole hours, not 05:29 and its multiples
        {mar2 + 5 * hour + 29 * minute, mar2 + 11 * hour + 29 * minute, 8, TimeStep::Hours, 1, mar2 + 6 * hour, hour, 6},
        {mar2 + 0.5, mar2 + 12, 4, TimeStep::Seconds, 5, mar2 + 5, 5, 2},
        // three and a half days from noon: midnights
        {mar2 + 12 * hour, mar2 + 3.5 * day, 6, TimeStep::Days, 1, mar2 + day, day, 3},
        // five weeks: Mondays (2 March 2026 is one)
        {mar2 - hour, mar2 + 35 * day, 6, TimeStep::Weeks, 1, mar2, 7 * day, 6},
        // a year from mid January: quarters from 1 April
        {1768435200, 1768435200 + 365 * day, 6, TimeStep::Months, 3, 1775001600, 0, 4},
    };
    for (const Case& c : cases) {
        const TimeTicks t = timeTicks(c.from, c.to, c.most);
        EXPECT_EQ(t.unit, c.unit) << c.from;
        EXPECT_EQ(t.count, c.count) << c.from;
        ASSERT_EQ(t.at.size(), c.ticks) << c.from;
        EXPECT_EQ(t.at.front(), c.first) << c.from;
        for (std::size_t i = 1; c.step > 0 && i < t.at.size(); ++i)
            EXPECT_EQ(t.at[i] - t.at[i - 1], c.step) << c.from;
    }
}

TEST(TimeTicks, StayOnWholeLocalHoursAndMidnightsAcrossDaylightSaving)
{
    ZoneScope berlin("Europe/Berlin");
    // The clocks go from 02:00 to 03:00 in the night to 29 March 2026.
    const double from = 1774724400; // 2026-03-28 20:00 CET
    for (auto [to, most] : {std::pair{from + 12 * hour, 6}, std::pair{from + 12 * hour, 14},
                            std::pair{from + 5 * day, 7}}) {
        const TimeTicks t = timeTicks(from, to, most);
        ASSERT_GE(t.at.size(), 2u);
        for (std::size_t i = 0; i < t.at.size(); ++i) {
            const std::tm local = localAt(t.at[i]);
            EXPECT_EQ(local.tm_min, 0) << t.at[i];
            EXPECT_EQ(local.tm_hour % (t.unit == TimeStep::Hours ? t.count : 24), 0) << t.at[i];
            if (i > 0) {
                EXPECT_GT(t.at[i], t.at[i - 1]);
            }
        }
    }
}
