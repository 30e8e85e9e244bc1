#include "input/data_placement.h"

#include "input/date_formats.h"
#include "tree/data_tree.h"

#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>

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

// The year of a year node, when it has one.
std::optional<int> yearOf(const DataNode* node)
{
    const LevelNames& names = levelNames[0]; // the year level's
    const DataAttribute* key = DataTree::findAttribute(node, names.key);
    if (node->name() != names.node || !key)
        return std::nullopt;
    int year = 0;
    const std::string_view text = key->value();
    if (std::from_chars(text.data(), text.data() + text.size(), year).ec != std::errc{})
        return std::nullopt;
    return year;
}

// "%02d:%02d" of minute and second, the key of a row.
void rowKey(int minute, int second, char (&key)[32])
{
    if (minute < 0 || minute > 99 || second < 0 || second > 99) {
        std::snprintf(key, sizeof key, "%02d:%02d", minute, second);
        return;
    }
    key[0] = static_cast<char>('0' + minute / 10);
    key[1] = static_cast<char>('0' + minute % 10);
    key[2] = ':';
    key[3] = static_cast<char>('0' + second / 10);
    key[4] = static_cast<char>('0' + second % 10);
    key[5] = '\0';
}

} // namespace

void DataPlacement::reset(DataTree& tree, DataNode* data, const DataNode* templateNode, RowOrder order)
{
    tree_ = &tree;
    data_ = data;
    template_ = templateNode;
    order_ = order;
    for (bool& valid : valid_)
        valid = false;
    hourRows_.clear();
    hourRowsInTime_.clear();
    namedRows_.clear();
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
        node = level == Year ? makeYear(parent, key)
                             : tree_->insertChildSorted(parent, names.node, names.key, text);
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

// A new year goes last, or in time order after the latest year before it
// (first when there is none).
DataNode* DataPlacement::makeYear(DataNode* data, int year)
{
    const LevelNames& names = levelNames[Year];
    DataNode* node = nullptr;
    if (order_ == RowOrder::FirstMet) {
        node = tree_->addChild(data, names.node);
    } else {
        DataNode* previous = nullptr;
        int previousYear = 0;
        for (DataNode* child = data->firstChild(); child; child = child->nextSibling()) {
            const std::optional<int> childYear = yearOf(child);
            if (childYear && *childYear < year && (!previous || *childYear > previousYear)) {
                previous = child;
                previousYear = *childYear;
            }
        }
        node = tree_->addChildAfter(data, previous, names.node);
    }
    tree_->setAttributeInt(node, names.key, year);
    return node;
}

// A new row in time order: after the hour's latest row before it (first
// when there is none).
DataNode* DataPlacement::makeRowInTime(DataNode* hour, std::string_view key)
{
    const auto later = hourRowsInTime_.lower_bound(key);
    DataNode* previous = later == hourRowsInTime_.begin() ? nullptr : std::prev(later)->second;
    DataNode* row = tree_->copySubtreeAfter(hour, previous, template_);
    if (row)
        hourRowsInTime_.emplace_hint(later, key, row);
    return row;
}

// The row's "timestamp" and "timestampCSV". A row of the same key copied
// with the same attributes got the same list before: it is shared.
void DataPlacement::nameRow(DataNode* row, const std::string& key)
{
    const DataAttribute* copied = row->attributes();
    auto [named, made] = namedRows_.try_emplace(key, NamedRow{copied, nullptr});
    if (!made && named->second.copied == copied) {
        tree_->shareAttributes(row, named->second.named);
        return;
    }
    tree_->setAttribute(row, "timestamp", key);
    tree_->setAttribute(row, "timestampCSV", key);
    named->second = {copied, row->attributes()};
}

void DataPlacement::indexHour(DataNode* hour)
{
    hourRows_.clear();
    hourRowsInTime_.clear();
    for (DataNode* row = hour->firstChild(); row; row = row->nextSibling()) {
        if (row->name() != "dataline")
            continue;
        if (const DataAttribute* key = DataTree::findAttribute(row, "timestamp")) {
            // the first row of a key wins
            hourRows_.add(key->value(), row);
            if (order_ == RowOrder::Time)
                hourRowsInTime_.emplace(std::string(key->value()), row);
        }
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
    rowKey(fields.minute, fields.second, key);
    if (DataNode* found = hourRows_.find(key))
        return found;
    DataNode* row = order_ == RowOrder::Time ? makeRowInTime(hour, key) : tree_->copySubtree(hour, template_);
    if (!row)
        return nullptr;
    tree_->setName(row, "dataline");
    nameRow(row, key);
    hourRows_.add(key, row);
    return row;
}

} // namespace tsl
