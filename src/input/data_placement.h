#pragma once

#include "input/hour_rows.h"

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tsl {

class DataAttribute;
class DataTree;
class DataNode;
struct DateTimeFields;

// Where new years and rows go among those already stored: after them, in
// the order they are first met, or at their place in time.
enum class RowOrder { FirstMet, Time };

// Finds or makes the dataline of a row time below "data": year, month, day,
// hour, then the row keyed "MM:SS". Consecutive rows mostly share their year,
// month, day and hour, so the nodes of the last row are kept and the tree is
// searched only when a key changes; the rows of the current hour are indexed
// by key, so finding a row does not walk the rows stored before it.
class DataPlacement {
public:
    void reset(DataTree& tree, DataNode* data, const DataNode* templateNode, RowOrder order);
    // The dataline for the fields' time; nullptr when none can be made.
    DataNode* datalineFor(const DateTimeFields& fields);

private:
    enum Level { Year, Month, Day, Hour, Levels };
    DataNode* levelNode(Level level, DataNode* parent, int key);
    DataNode* makeYear(DataNode* data, int year);
    DataNode* makeRowInTime(DataNode* hour, std::string_view key);
    void indexHour(DataNode* hour);
    void nameRow(DataNode* row, const std::string& key);

    DataTree* tree_ = nullptr;
    DataNode* data_ = nullptr;
    const DataNode* template_ = nullptr;
    RowOrder order_ = RowOrder::FirstMet;
    DataNode* nodes_[Levels] = {};
    int keys_[Levels] = {};
    bool valid_[Levels] = {};
    HourRows hourRows_;
    // The same rows in the order of their keys, kept only when rows are
    // placed in time.
    std::map<std::string, DataNode*, std::less<>> hourRowsInTime_;
    // By key, the attributes a row was last copied with and those it got.
    struct NamedRow {
        const DataAttribute* copied;
        const DataAttribute* named;
    };
    std::unordered_map<std::string, NamedRow> namedRows_;
};

} // namespace tsl
