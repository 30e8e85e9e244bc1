#include "input/grid_reduction.h"

#include <cmath>

namespace tsl {

namespace {

// The slots of a file without a grid: the ten seconds the reader keeps.
constexpr long long slotSeconds = 10;

std::size_t present(const ReducedValues& values)
{
    std::size_t n = 0;
    for (const std::optional<double>& value : values)
        n += value.has_value();
    return n;
}

} // namespace

void ReducedLines::sameLines(long long first, long long step, long long count, const ReducedValues& values)
{
    for (long long i = 0; i < count; ++i)
        line(first + i * step, values);
}

GridReducer::GridReducer(ReductionRules rules, ReducedLines& out)
    : rules_(std::move(rules)), out_(out), columns_(rules_.kinds.size()), row_(rules_.kinds.size())
{
}

long long GridReducer::slotOf(long long at) const
{
    const long long step = rules_.step > 0 ? rules_.step : slotSeconds;
    const long long below = at / step * step - (at % step < 0 ? step : 0);
    return below == at ? at : below + step;
}

// Numbers and the fraction of time "on" are averaged; codes, directions,
// sampling and a change log without a grid keep the value in force.
bool GridReducer::averaged(std::size_t column) const
{
    const ColumnKind kind = rules_.kinds[column];
    return !rules_.sampling && (kind == ColumnKind::Numbers || kind == ColumnKind::TwoState) &&
           (rules_.step > 0 || !rules_.changeLog);
}

void GridReducer::add(long long at, const ReducedValues& values)
{
    if (latest_ && at < *latest_) {
        counts_.steppedBack += present(values);
        return;
    }
    latest_ = at;
    const bool held = rules_.changeLog && rules_.step > 0;
    if (held) {
        if (open_) {
            advanceHeld(at);
        } else {
            open_ = true;
            end_ = slotOf(at);
            cursor_ = at;
        }
    } else {
        if (open_ && slotOf(at) != end_)
            closeSlot();
        if (!open_) {
            open_ = true;
            end_ = slotOf(at);
        }
    }
    for (std::size_t c = 0; c < columns_.size() && c < values.size(); ++c) {
        if (!values[c])
            continue;
        Column& column = columns_[c];
        if (held) {
            if (column.pendingAt)
                settlePending(column, at, slotOf(*column.pendingAt) == slotOf(at));
            column.held = values[c];
            column.pendingAt = at;
        } else {
            column.sum += *values[c];
            ++column.count;
            column.last = values[c];
        }
    }
}

void GridReducer::finish()
{
    if (!open_)
        return;
    if (rules_.changeLog && rules_.step > 0) {
        closeHeldStep();
        for (Column& column : columns_) {
            counts_.placed += column.pendingAt.has_value();
            column = Column{};
        }
    } else {
        closeSlot();
    }
    open_ = false;
}

void GridReducer::closeSlot()
{
    bool any = false;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        row_[c].reset();
        if (column.count == 0)
            continue;
        if (averaged(c)) {
            row_[c] = column.sum / static_cast<double>(column.count);
            counts_.placed += column.count;
        } else {
            row_[c] = column.last;
            counts_.placed += 1;
            counts_.replaced += column.count - 1;
        }
        if (rules_.step == 0 && column.count > 1)
            counts_.sharedSlots += column.count;
        column.sum = 0;
        column.count = 0;
        column.last.reset();
        any = true;
    }
    if (any)
        writeRow(end_);
    open_ = false;
}

// Moves a change log's time on to a new reading, writing the steps it
// leaves behind: the one it was in, and the whole steps between, each with
// the values held through it.
void GridReducer::advanceHeld(long long to)
{
    if (to > end_) {
        integrate(end_);
        closeHeldStep();
        const long long target = slotOf(to);
        const long long whole = (target - end_) / rules_.step - 1;
        cursor_ = end_;
        if (whole > 0) {
            bool any = false;
            for (std::size_t c = 0; c < columns_.size(); ++c) {
                row_[c] = columns_[c].held;
                any = any || row_[c].has_value();
            }
            if (any) {
                out_.sameLines(end_ + rules_.step, rules_.step, whole, row_);
                counts_.lines += whole;
            }
            cursor_ = target - rules_.step;
        }
        end_ = target;
    }
    integrate(to);
}

void GridReducer::integrate(long long to)
{
    const long long span = to - cursor_;
    if (span > 0)
        for (Column& column : columns_)
            if (column.held) {
                column.integral += *column.held * static_cast<double>(span);
                column.covered += span;
            }
    cursor_ = to;
}

void GridReducer::closeHeldStep()
{
    bool any = false;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        Column& column = columns_[c];
        // A value that began at the step's very end has held no time in it:
        // the step gets that value.
        if (averaged(c) && column.covered > 0)
            row_[c] = column.integral / static_cast<double>(column.covered);
        else
            row_[c] = column.held;
        column.integral = 0;
        column.covered = 0;
        any = any || row_[c].has_value();
    }
    if (any)
        writeRow(end_);
}

// A change log's reading is placed once it has held for some time in a
// mean, or is still in force at its step's end.
void GridReducer::settlePending(Column& column, long long at, bool sameStep)
{
    const std::size_t c = static_cast<std::size_t>(&column - columns_.data());
    const bool takenOver = *column.pendingAt == at || (!averaged(c) && sameStep);
    ++(takenOver ? counts_.replaced : counts_.placed);
    column.pendingAt.reset();
}

// Writes the row at instant, unless it holds no value (a mean too large to
// hold is no value).
void GridReducer::writeRow(long long instant)
{
    bool any = false;
    for (std::optional<double>& value : row_) {
        if (value && !std::isfinite(*value))
            value.reset();
        any = any || value.has_value();
    }
    if (!any)
        return;
    out_.line(instant, row_);
    ++counts_.lines;
}

} // namespace tsl
