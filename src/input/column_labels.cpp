#include "input/column_labels.h"

#include "tree/data_tree.h"

#include <cstdint>
#include <string_view>
#include <unordered_map>

namespace tsl {

void ColumnLabelMap::setColumns(std::vector<std::optional<std::string>> columnValues)
{
    columnValues_ = std::move(columnValues);
    resolved_ = false;
}

void ColumnLabelMap::bind(DataNode* dataline)
{
    const void* layout = DataTree::packedLayout(dataline);
    if (layout && resolved_ && layout == resolvedLayout_) {
        packedCells_ = DataTree::packedCells(dataline);
        fetchNextRowAhead();
        return;
    }
    packedCells_ = {};
    labels_.clear();
    shape_.clear();
    cellOfLabel_.clear();
    // Pre-order below the dataline, as a search from it would go. The cells
    // of a packed row are its children, so the walk also counts their places.
    std::size_t place = 0;
    DataNode* node = dataline ? dataline->firstChild() : nullptr;
    while (node) {
        if (node->name() == "label") {
            labels_.push_back(node);
            shape_.push_back(node->attributes());
            cellOfLabel_.push_back(place);
        }
        ++place;
        if (node->firstChild()) {
            node = node->firstChild();
            continue;
        }
        while (node != dataline && !node->nextSibling())
            node = node->parent();
        node = node == dataline ? nullptr : node->nextSibling();
    }
    if (!resolved_ || shape_ != resolvedShape_)
        resolve();
    resolvedLayout_ = layout;
    cellOfColumn_.assign(labelOfColumn_.size(), -1);
    for (std::size_t i = 0; i < labelOfColumn_.size(); ++i)
        if (labelOfColumn_[i] >= 0)
            cellOfColumn_[i] = static_cast<int>(cellOfLabel_[static_cast<std::size_t>(labelOfColumn_[i])]);
}

// Rows made one after another lie the same distance apart in memory, and the
// row a file fills next is mostly the next one made. When this row lies that
// distance after the last one bound, the cells the file fills in the row as
// far after it are fetched into the cache now: a file read into rows made
// before (a second logger of the same period) then does not wait for memory
// at every row. Only a hint: a wrong guess costs nothing but the fetch.
void ColumnLabelMap::fetchNextRowAhead()
{
    if (packedCells_.size() == 0)
        return;
    const auto here = reinterpret_cast<std::uintptr_t>(packedCells_[0]);
    const std::uintptr_t step = here - lastRow_;
    lastRow_ = here;
    if (step != rowStep_) {
        rowStep_ = step;
        return;
    }
    constexpr std::uintptr_t cacheLine = 64;
    std::uintptr_t fetched = 0;
    for (const int cell : cellOfColumn_) {
        if (cell < 0)
            continue;
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(packedCells_[static_cast<std::size_t>(cell)]) + step;
        if (at / cacheLine != fetched / cacheLine)
            __builtin_prefetch(reinterpret_cast<const void*>(at), 1);
        fetched = at;
    }
}

void ColumnLabelMap::resolve()
{
    std::unordered_map<std::string_view, int> firstWithValue;
    for (std::size_t k = 0; k < labels_.size(); ++k) {
        if (const DataAttribute* value = DataTree::findAttribute(labels_[k], "value"))
            firstWithValue.emplace(value->value(), static_cast<int>(k));
    }
    labelOfColumn_.assign(columnValues_.size(), -1);
    for (std::size_t i = 0; i < columnValues_.size(); ++i) {
        if (!columnValues_[i])
            continue;
        auto found = firstWithValue.find(*columnValues_[i]);
        if (found != firstWithValue.end())
            labelOfColumn_[i] = found->second;
    }
    resolvedShape_ = shape_;
    resolved_ = true;
}

} // namespace tsl
