#pragma once

#include "input/column_kinds.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace tsl {

// How the import places one file's readings on the time grid. Steps are
// right-closed and labelled by their end, as the reader's are: with a
// 5-minute grid a reading at 10:05:00 belongs to 10:05, one at 10:05:10 to
// 10:10. Without a grid the slots are ten seconds long (the instants the
// reader keeps), and only slots that hold a reading are written.
struct ReductionRules {
    long long step = 0;     // seconds; 0: no grid
    bool sampling = false;  // Sample Data: the value in force at each instant
    bool changeLog = false; // each reading holds until the next (never past the last)
    std::vector<ColumnKind> kinds;
};

// A row of the reduction: for each column a value, or nothing (a blank cell).
using ReducedValues = std::vector<std::optional<double>>;

// Where the reduced lines go: a prepared copy, or a count of them.
class ReducedLines {
public:
    virtual ~ReducedLines() = default;
    // One line at instant (wall seconds).
    virtual void line(long long instant, const ReducedValues& values) = 0;
    // count lines with the same values, one every step from first on.
    virtual void sameLines(long long first, long long step, long long count, const ReducedValues& values);
};

// What became of the readings.
struct ReductionCounts {
    std::size_t placed = 0;      // in a written value: a mean, or the value in force
    std::size_t replaced = 0;    // taken over by a later reading of their step or instant
    std::size_t steppedBack = 0; // earlier than a reading before them: left out
    std::size_t sharedSlots = 0; // without a grid, readings that shared a ten-second slot
    long long lines = 0;         // lines written
};

class GridReducer {
public:
    GridReducer(ReductionRules rules, ReducedLines& out);

    // The readings of one line at wall time at (seconds; a fraction of a
    // second rounded up, so that no reading moves into an earlier step).
    void add(long long at, const ReducedValues& values);
    // Writes the step of the last reading. Nothing is held past it.
    void finish();

    const ReductionCounts& counts() const { return counts_; }

private:
    struct Column {
        // a step's readings
        double sum = 0;
        std::size_t count = 0;
        std::optional<double> last;
        // a change log's held value and its time-weighted sum over the step
        std::optional<double> held;
        double integral = 0;
        long long covered = 0;
        std::optional<long long> pendingAt; // a reading not yet known to be placed
    };

    long long slotOf(long long at) const;
    bool averaged(std::size_t column) const;
    void closeSlot();
    void advanceHeld(long long to);
    void integrate(long long to);
    void closeHeldStep();
    void settlePending(Column& column, long long at, bool sameStep);
    void writeRow(long long instant);

    ReductionRules rules_;
    ReducedLines& out_;
    ReductionCounts counts_;
    std::vector<Column> columns_;
    ReducedValues row_;
    bool open_ = false;
    long long end_ = 0;    // the open step's instant
    long long cursor_ = 0; // a change log is integrated up to here
    std::optional<long long> latest_;
};

} // namespace tsl
