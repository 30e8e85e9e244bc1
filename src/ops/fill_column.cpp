#include "ops/fill_column.h"

#include "ops/data_walk.h"

namespace tsl {

int FillColumn(DataTree& tree, const std::string& label, const std::string& value)
{
    int count = 0;
    forEachDataline(tree, [&](DataNode* line) {
        for (DataNode* cell = firstCell(tree, line); cell; cell = cell->nextSibling()) {
            if (cell->name() != "label")
                continue;
            const DataAttribute* column = DataTree::findAttribute(cell, "value");
            if (column && column->value() == label) {
                cell->setText(value);
                ++count;
                break;
            }
        }
        return true;
    });
    return count;
}

} // namespace tsl
