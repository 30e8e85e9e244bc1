#include "ops/fill_blanks.h"

#include "app/command_context.h"
#include "ops/data_walk.h"

#include <string>

namespace tsl {

namespace {

// The cell of a column in another data line, or null when the line lacks it.
DataNode* cellOf(const DataTree& tree, const DataNode* line, std::string_view column)
{
    return tree.findNodeByAttribute(line, "label", "value", column);
}

// The first later line of the same hour that holds a reading for the column.
DataNode* nextLineWithReading(const DataTree& tree, const DataNode* line, std::string_view column)
{
    for (DataNode* later = line->nextSibling(); later; later = later->nextSibling()) {
        const DataNode* cell = cellOf(tree, later, column);
        if (cell && !cell->text().empty())
            return later;
    }
    return nullptr;
}

} // namespace

void OnFillBlanks(CommandContext& context)
{
    DataTree& tree = context.tree();
    MessageLog& log = context.log();
    if (!tree.findNode(tree.root(), "data")) {
        log.append("ERROR: No data has been entered.");
        return;
    }
    log.append("Checking for missing data...");
    int count = 0;
    const DataNode* previous = nullptr;
    forEachDataline(tree, [&](DataNode* line) {
        for (DataNode* cell = firstCell(tree, line); cell; cell = cell->nextSibling()) {
            if (!cell->text().empty())
                continue;
            const DataAttribute* column = DataTree::findAttribute(cell, "value");
            if (!column)
                continue;
            if (!previous)
                previous = nextLineWithReading(tree, line, column->value());
            if (!previous)
                continue;
            // A source line without the column has nothing to give.
            const DataNode* source = cellOf(tree, previous, column->value());
            if (!source)
                continue;
            // Copy first: the text may live in the same node for duplicate labels.
            const std::string text(source->text());
            cell->setText(text);
            ++count;
        }
        previous = line;
        return true;
    });
    if (count > 0)
        context.dataChanges().markChanged();
    log.append("Updated " + std::to_string(count) + " items.");
    log.showLast();
}

} // namespace tsl
