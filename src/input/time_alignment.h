#pragma once

#include "app/tool_settings.h"
#include "input/csv_reader.h"
#include "input/data_placement.h"
#include "input/local_time.h"

#include <array>
#include <ctime>

namespace tsl {

class CommandContext;
class DataNode;
struct DateTimeFields;

// Readings summed per column since the column's last written value.
template <class Real>
struct ColumnAccumulators {
    std::array<Real, maxColumns> sum{};
    std::array<int, maxColumns> count{};
};

// What the time steps make of one line.
enum class LineStep {
    PassOver,   // not a line of the grid: not counted
    Fail,       // the read cannot go on (already logged)
    Accumulate, // off the grid while averaging: readings are summed only
    Store,      // on the grid: readings go into dataline()
};

// The time grid of one file: drops, snaps and places each line's time, and
// reduces the readings between grid instants by averaging or sampling.
class TimeAlignment {
public:
    // Resets the per-file state and takes the interval, reduction, bracket
    // times, decimals and row order from the settings; rows are placed below
    // data as copies of the template.
    void startFile(CommandContext& context, DataNode* data, const DataNode* templateNode);

    // The time steps for one line whose date was read into fields (which may
    // change: snapped seconds, a step back). May throw LocalTimeError, which
    // skips the line.
    LineStep placeLine(CommandContext& context, DateTimeFields& fields);

    bool onBoundary() const { return boundary_; }
    DataNode* dataline() const { return dataline_; }

    // Whether this file's readings are kept in double precision: they are
    // stored with other than two decimals.
    bool precise() const { return decimals_ != 2; }

    // One reading of one column; on a grid line, label is the dataline's label
    // for the column and gets the mean (or the sample). In single precision
    // written "%5.2f", or, when precise(), in double precision written with
    // the file's decimals.
    void addReading(int column, float value, DataNode* label) { reduce(accumulators_, column, value, label); }
    void addReading(int column, double value, DataNode* label) { reduce(preciseAccumulators_, column, value, label); }

    std::time_t firstTime() const { return first_; }
    std::time_t lastTime() const { return last_; }

    // Whether a line with these minute and second lies on the interval's grid.
    static bool isBoundary(DataInterval interval, int minute, int second);

private:
    // The phases of placeLine.
    void stepBackFromPrevious(std::time_t& t, DateTimeFields& fields) const;
    void noteInstant(CommandContext& context, std::time_t t);
    bool outsideBracket(const DateTimeFields& fields, std::time_t t);

    // Inline: it runs for every reading.
    template <class Real>
    void reduce(ColumnAccumulators<Real>& accumulators, int column, Real value, DataNode* label)
    {
        if (column < 0 || column >= maxColumns)
            return;
        const auto i = static_cast<std::size_t>(column);
        Real& sum = accumulators.sum[i];
        int& count = accumulators.count[i];
        sum += value;
        ++count;
        if (boundary_ && label) {
            writeMean(sum / static_cast<Real>(count), label);
            sum = 0;
            count = 0;
        }
    }
    void writeMean(float mean, DataNode* label) const;
    void writeMean(double mean, DataNode* label) const;

    DataInterval interval_ = DataInterval::Min1;
    bool sampling_ = false;
    TimeOfDay bracketStart_;
    TimeOfDay bracketEnd_;
    int decimals_ = 2;

    bool haveFirst_ = false;
    bool havePrevious_ = false;
    std::time_t first_ = 0;
    std::time_t previous_ = 0;
    int previousDay_ = 0;
    std::time_t last_ = 0;
    ColumnAccumulators<float> accumulators_;
    ColumnAccumulators<double> preciseAccumulators_;

    bool boundary_ = false;
    DataNode* dataline_ = nullptr;
    DataPlacement placement_;
    LocalHours localHours_;
};

} // namespace tsl
