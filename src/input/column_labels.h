#pragma once

#include "tree/data_tree.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tsl {


// Which "label" of a dataline receives column i: the first label (in the
// dataline's pre-order) whose "value" is the text of the file's column i.
// Datalines copied from one template share their labels' attribute lists, so
// the answer is worked out once and reused while the labels' attributes are
// the same ones; a different dataline shape is worked out afresh.
class ColumnLabelMap {
public:
    // The label text of each column of the file (none when a column has none).
    void setColumns(std::vector<std::optional<std::string>> columnValues);
    // Looks at the labels of one dataline; label() then answers for it.
    void bind(DataNode* dataline);
    DataNode* label(int column) const
    {
        if (column < 0 || static_cast<std::size_t>(column) >= labelOfColumn_.size())
            return nullptr;
        if (packedCells_.size() > 0) {
            const int cell = cellOfColumn_[static_cast<std::size_t>(column)];
            return cell < 0 ? nullptr : packedCells_[static_cast<std::size_t>(cell)];
        }
        const int k = labelOfColumn_[static_cast<std::size_t>(column)];
        return k < 0 ? nullptr : labels_[static_cast<std::size_t>(k)];
    }

private:
    void resolve();
    void fetchNextRowAhead();

    std::vector<std::optional<std::string>> columnValues_;
    std::vector<DataNode*> labels_;
    std::vector<const DataAttribute*> shape_;
    std::vector<const DataAttribute*> resolvedShape_;
    bool resolved_ = false;
    std::vector<int> labelOfColumn_;
    // Rows whose cells lie packed in one layout need no walk: the label of a
    // column is the cell at the same place in every such row.
    const void* resolvedLayout_ = nullptr;
    std::vector<std::size_t> cellOfLabel_;
    // The place of each column's cell in such a row, -1 for none.
    std::vector<int> cellOfColumn_;
    DataTree::PackedCells packedCells_;
    // Where the last row bound lay, and how far after the one before.
    std::uintptr_t lastRow_ = 0;
    std::uintptr_t rowStep_ = 0;
};

} // namespace tsl
