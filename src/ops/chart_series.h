#pragma once

// The stored data as a chart draws it: one time per data line, the chosen
// columns' cells as numbers, and what of them fits the pixels of a plot.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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

// A time axis of whole ticks: from and to widened to multiples of one step
// (a second up to a quarter of a year; days counted in local time, which is
// utcOffset seconds ahead) such that no more than maxTicks ticks are needed.
struct TimeTicks {
    double from;
    double to;
    int count;
};
TimeTicks roundTimeTicks(double from, double to, int maxTicks, int utcOffset);

// Which of two value axes each column uses. One axis serves all while the
// columns' scales stay within ten times of each other; otherwise the columns
// divide where neighbouring scales are furthest apart, and the first column
// with readings keeps its group on axis 0. Columns without readings, or only
// zeros, go with axis 0.
std::vector<int> valueAxisOfColumns(const ChartData& data);

} // namespace tsl
