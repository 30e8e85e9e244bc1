#include "input/data_placement.h"

#include "input/date_formats.h"
#include "tree/data_tree.h"

#include <cstdio>

namespace tsl {

namespace {

struct LevelNames {
    const char* node;
    const char* key;
    const char* format;
};

constexpr LevelNames levelNames[] = {
    {"dataYear", "year", "%d"},
    {"dataMonth", "month", "%02d"},
    {"dataDay", "day", "%02d"},
    {"dataHour", "hour", "%02d"},
};

} // namespace

void DataPlacement::reset(DataTree& tree, DataNode* data, const DataNode* templateNode)
{
    tree_ = &tree;
    data_ = data;
    template_ = templateNode;
    for (bool& valid : valid_)
        valid = false;
    hourRows_.clear();
}

DataNode* DataPlacement::levelNode(Level level, DataNode* parent, int key)
{
    if (valid_[level] && keys_[level] == key)
        return nodes_[level];
    const LevelNames& names = levelNames[level];
    char text[16];
    std::snprintf(text, sizeof text, names.format, key);
    DataNode* node = tree_->findNodeByAttribute(parent, names.node, names.key, text);
    if (!node) {
        if (level == Year) {
            node = tree_->addChild(parent, names.node);
            tree_->setAttributeInt(node, names.key, key);
        } else {
            node = tree_->insertChildSorted(parent, names.node, names.key, text);
        }
    }
    nodes_[level] = node;
    keys_[level] = key;
    valid_[level] = node != nullptr;
    for (int below = level + 1; below < Levels; ++below)
        valid_[below] = false;
    if (level == Hour && node)
        indexHour(node);
    return node;
}

void DataPlacement::indexHour(DataNode* hour)
{
    hourRows_.clear();
    for (DataNode* row = hour->firstChild(); row; row = row->nextSibling()) {
        if (row->name() != "dataline")
            continue;
        if (const DataAttribute* key = DataTree::findAttribute(row, "timestamp"))
            hourRows_.emplace(std::string(key->value()), row); // the first row of a key wins
    }
}

DataNode* DataPlacement::datalineFor(const DateTimeFields& fields)
{
    DataNode* year = levelNode(Year, data_, fields.year);
    DataNode* month = year ? levelNode(Month, year, fields.month) : nullptr;
    DataNode* day = month ? levelNode(Day, month, fields.day) : nullptr;
    DataNode* hour = day ? levelNode(Hour, day, fields.hour) : nullptr;
    if (!hour)
        return nullptr;

    char key[32];
    std::snprintf(key, sizeof key, "%02d:%02d", fields.minute, fields.second);
    auto found = hourRows_.find(key);
    if (found != hourRows_.end())
        return found->second;
    DataNode* row = tree_->copySubtree(hour, template_);
    if (!row)
        return nullptr;
    tree_->setName(row, "dataline");
    tree_->setAttribute(row, "timestamp", key);
    tree_->setAttribute(row, "timestampCSV", key);
    hourRows_.emplace(key, row);
    return row;
}

} // namespace tsl
