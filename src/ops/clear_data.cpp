#include "ops/clear_data.h"

#include "app/command_context.h"
#include "tree/data_tree.h"

namespace tsl {

namespace {

void deleteAllNamed(DataTree& tree, std::string_view name)
{
    while (DataNode* node = tree.findNode(tree.root(), name)) {
        // The root keeps its place whatever it is called; deleting it would
        // only empty it.
        if (node == tree.root())
            return;
        tree.deleteNode(node);
    }
}

} // namespace

void OnClearCsvData(CommandContext& context)
{
    context.log().append("Deleting data from CSV file(s).");
    DataTree& tree = context.tree();
    deleteAllNamed(tree, "fileLabels");
    deleteAllNamed(tree, "data");
    context.dataChanges().markChanged();
    context.log().showLast();
}

} // namespace tsl
