#pragma once

#include "ops/data_walk.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tsl {

// The label ("value" attribute) of a cell; empty when it has none.
std::string_view labelOf(const DataNode* cell);

// The labels of the stored data's columns, in the order the data lines first
// carry them.
std::vector<std::string> dataColumnLabels(const DataTree& tree);

// The number a cell holds: its text without surrounding blanks (and a
// leading '+'), read whole as a decimal number; nothing for an empty cell or
// any other text ("OFF", "12 kW", "inf", "nan", "0x1A").
std::optional<double> cellNumber(std::string_view text);

// Finds the cells of chosen columns in a data line. Lines copied from one
// template share a layout, so a column's place is learned once per layout;
// other lines are walked, their cells known by their attribute list, which
// the tree shares between cells of one column. A label that a line carries
// twice counts once, as its first cell.
class ColumnFinder {
public:
    ColumnFinder(const DataTree& tree, const std::vector<std::string>& labels);

    // Calls visit(column, cell) for each chosen column the line has a cell of.
    template <typename Visit>
    void forEachChosenCell(const DataNode* line, Visit&& visit)
    {
        if (const void* layout = DataTree::packedLayout(line)) {
            for (const auto& [place, column] : placesIn(layout, line))
                visit(column, DataTree::packedCell(line, place));
            return;
        }
        taken_.assign(columnOfLabel_.size(), false);
        for (const DataNode* cell = firstCell(tree_, line); cell; cell = cell->nextSibling()) {
            const int column = columnOf(cell);
            if (column >= 0 && !taken_[column]) {
                taken_[column] = true;
                visit(column, cell);
            }
        }
    }

private:
    using Places = std::vector<std::pair<std::size_t, int>>;

    const Places& placesIn(const void* layout, const DataNode* line);
    int columnOf(const DataNode* cell);

    const DataTree& tree_;
    std::unordered_map<std::string, int> columnOfLabel_;
    std::unordered_map<const DataAttribute*, int> columnOfAttributes_;
    std::unordered_map<const void*, Places> placesOfLayout_;
    std::vector<bool> taken_;
};

} // namespace tsl
