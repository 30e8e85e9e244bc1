#pragma once

// The stored data as a chart draws it: one time per data line, the chosen
// columns' cells as numbers, and what of them fits the pixels of a plot.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tsl {

class DataTree;

// The readings of one column at the chart's times; NaN where the cell is
// blank or holds no number.
struct ChartColumn {
    std::string label;
    std::vector<float> values;
    std::size_t readings = 0;
    float low = 0; // lowest and highest reading; both 0 without readings
    float high = 0;
    // Readings further apart than this have a gap between them: the column
    // usually reads more often. 0 while it has fewer than two readings.
    std::int64_t gapSpan = 0;

    // How large the column's numbers are: its largest magnitude.
    double scale() const;
};

struct ChartData {
    std::vector<std::int64_t> times; // seconds since the epoch, ascending
    std::vector<ChartColumn> columns;

    bool empty() const { return times.empty(); }
};

// Sets readings, low, high and gapSpan of a column from its values at times.
void summarizeColumn(ChartColumn& column, const std::vector<std::int64_t>& times);

// The column labels of the stored data: those of the first data line in its
// order, then any that later lines add.
std::vector<std::string> chartColumnLabels(const DataTree& tree);

// The first `count` of those labels, in that order, whose column holds at
// least one reading (a cell that reads as a number): empty template columns
// and text-only columns are left out.
std::vector<std::string> firstColumnsWithReadings(const DataTree& tree, std::size_t count);

// The times of every data line and the cells of the columns labelled so, in
// that order. A label that no line has still gives a column, all blank.
ChartData collectChartData(const DataTree& tree, const std::vector<std::string>& labels);

// One point of a drawn line: seconds since the epoch and the reading.
struct PlotPoint {
    double time;
    float value;
};

// What one column draws over a time range: runs of points, each joined by a
// line, with breaks between runs where the data has blanks or gaps.
struct PlotLine {
    std::vector<PlotPoint> points;
    std::vector<std::size_t> runEnds; // one past the last point of each run

    std::size_t runCount() const { return runEnds.size(); }
};

// The points of column between from and to (seconds), plus one on each side
// so that the line reaches the edges. When there are more readings than
// the pixels can show, each pixel column keeps only its first, lowest,
// highest and last reading: the drawn line looks the same. The line breaks
// at a gap at least a pixel wide; at most maxRunsPerLine runs are kept, by
// closing the narrowest breaks.
PlotLine plotLine(const ChartData& data, std::size_t column, double from, double to, int pixelColumns);

constexpr std::size_t maxRunsPerLine = 256;

// The reading of column nearest to time, by time; none without readings.
std::optional<std::size_t> nearestReading(const ChartData& data, std::size_t column, double time);

// The times of the first and the last reading of any of the columns; none
// when they hold no reading.
std::optional<std::pair<std::int64_t, std::int64_t>> readingSpan(const ChartData& data);

// Which of two value axes each column uses. One axis serves all while the
// columns' scales stay within ten times of each other; otherwise the columns
// divide where neighbouring scales are furthest apart, and the first column
// with readings keeps its group on axis 0. Columns without readings, or only
// zeros, go with axis 0.
std::vector<int> valueAxisOfColumns(const ChartData& data);

// Where the axes put their ticks: values at whole steps of 1, 2 or 5 times
// a power of ten, times at whole steps of local time.

struct ValueTicks {
    double step = 1;
    int decimals = 0; // digits after the point that tell the ticks apart
};

// The finest step whose multiples within low..high number no more than
// maxTicks (at least two are allowed). A range of one value is taken with
// some room around it.
ValueTicks valueTicks(double low, double high, int maxTicks);

// The room a value axis leaves around low..high: a twentieth of the range
// on each side, or a tenth of the value (at least 1) when they are equal.
std::pair<double, double> valueRange(double low, double high);

// Digits after the point that ticks step apart need (0 for whole steps).
int decimalsOf(double step);

// How far apart time ticks are, which decides how they are labelled.
enum class TimeStep { Seconds, Minutes, Hours, Days, Weeks, Months, Years };

struct TimeTicks {
    TimeStep unit = TimeStep::Seconds;
    int count = 1;                // of that unit between ticks
    std::vector<double> at;       // seconds since the epoch, ascending, within the range
};

// Ticks within from..to (seconds since the epoch), no more than maxTicks, at
// whole steps of local time: 1, 2, 5, 10, 15 or 30 seconds or minutes; 1, 2,
// 3, 6 or 12 hours; 1 or 2 days; Mondays; 1, 3 or 6 months; years.
TimeTicks timeTicks(double from, double to, int maxTicks);

} // namespace tsl
