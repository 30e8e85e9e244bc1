#include "ops/preview.h"

#include "app/command_context.h"
#include "ops/data_walk.h"

#include <string>

namespace tsl {

namespace {

constexpr std::string_view separator = "   ";
// Lines shown: the walk stops once more than this many have been.
constexpr int shownLimit = 10;

} // namespace

void OnPreviewData(CommandContext& context)
{
    const DataTree& tree = context.tree();
    MessageLog& log = context.log();
    int shown = 0;
    forEachDataline(tree, [&](const DataNode* line) {
        const bool first = shown == 0;
        std::string header;
        std::string cells;
        for (const DataNode* cell = firstCell(tree, line); cell; cell = cell->nextSibling()) {
            cells += cell->text();
            cells += separator;
            if (first) {
                if (const DataAttribute* column = DataTree::findAttribute(cell, "value"))
                    header += column->value();
                header += separator;
            }
        }
        if (first)
            log.append(logText(header));
        log.append(logText(cells));
        ++shown;
        return shown <= shownLimit;
    });
}

} // namespace tsl
