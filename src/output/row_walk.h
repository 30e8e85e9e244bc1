#pragma once

#include "output/date_time_prefix.h"

#include <ctime>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tsl {

class DataAttribute;
class DataNode;
class DataTree;

// One day as the writers walk it: its node keys, its output date (when
// dates are written from a start date) and how many lines it gave.
struct DayWritten {
    NodeDate nodes;
    CalendarDate outputDate;
    int rows = 0;
};

// The date a split file named after this day carries.
std::string fileDateTextOf(const DayWritten& day, bool writeDateFrom);

// What a writer does with the lines of the walk.
class RowSink {
public:
    virtual ~RowSink() = default;
    virtual void startHour(const DayWritten& day, std::string_view hour) = 0;
    // A data line and its "mm:ss" time.
    virtual void writeLine(const DataNode* line, std::string_view time) = 0;
};

// Whether the dates written are the stored ones or consecutive days from a
// start date.
struct RowDates {
    bool writeDateFrom = false;
    std::time_t writeStartDate = 0;
};

using DayEnded = std::function<bool(const DayWritten&)>;

// Walks the years of the first data in date order, hands every data line
// that has a "timestampCSV" time to the sink (others are passed over) and
// tells dayEnded after every day. False when dayEnded stopped it.
bool walkRows(const DataTree& tree, const RowDates& dates, RowSink& sink, const DayEnded& dayEnded);

// The columns an output template chooses; every column when there is none.
// Rows share their label attribute lists, so each distinct list is looked up
// once and the answer kept.
class ColumnChoice {
public:
    explicit ColumnChoice(const DataTree& tree);

    bool active() const { return active_; }
    bool includes(const DataNode* label);
    bool includes(std::string_view label) const { return !active_ || values_.count(label) > 0; }

private:
    void collectLabelValues(const DataNode* node);

    bool active_;
    std::unordered_set<std::string_view> values_;
    std::unordered_map<const DataAttribute*, bool> known_;
};

} // namespace tsl
