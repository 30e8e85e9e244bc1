#pragma once

#include <string>
#include <unordered_map>

namespace tsl {

class DataTree;
class DataNode;
struct DateTimeFields;

// Finds or makes the dataline of a row time below "data": year, month, day,
// hour, then the row keyed "MM:SS". Consecutive rows mostly share their year,
// month, day and hour, so the nodes of the last row are kept and the tree is
// searched only when a key changes; the rows of the current hour are indexed
// by key, so finding a row does not walk the rows stored before it.
class DataPlacement {
public:
    void reset(DataTree& tree, DataNode* data, const DataNode* templateNode);
    // The dataline for the fields' time; nullptr when none can be made.
    DataNode* datalineFor(const DateTimeFields& fields);

private:
    enum Level { Year, Month, Day, Hour, Levels };
    DataNode* levelNode(Level level, DataNode* parent, int key);
    void indexHour(DataNode* hour);

    DataTree* tree_ = nullptr;
    DataNode* data_ = nullptr;
    const DataNode* template_ = nullptr;
    DataNode* nodes_[Levels] = {};
    int keys_[Levels] = {};
    bool valid_[Levels] = {};
    std::unordered_map<std::string, DataNode*> hourRows_;
};

} // namespace tsl
