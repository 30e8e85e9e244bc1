#include "ops/fill_values.h"

#include "app/command_context.h"
#include "ops/fill_column.h"
#include "tree/data_tree.h"

namespace tsl {

std::vector<std::string> FillValuesColumns::items() const
{
    if (labels.empty())
        return {"NO LABELS ENTERED"};
    return labels;
}

FillValuesColumns fillValuesColumns(CommandContext& context)
{
    FillValuesColumns columns;
    const DataNode* templ = context.reading().templateNode;
    if (!templ)
        return columns;
    const DataTree& tree = context.tree();
    for (const DataNode* label = tree.findNode(templ, "label"); label; label = label->nextSibling()) {
        if (label->name() != "label")
            continue;
        if (const DataAttribute* value = DataTree::findAttribute(label, "value"))
            columns.labels.emplace_back(value->value());
    }
    return columns;
}

int fillValues(CommandContext& context, const std::string& label, const std::string& value)
{
    const int count = FillColumn(context.tree(), label, value);
    if (count > 0)
        context.dataChanges().markChanged();
    return count;
}

std::string fillValuesResultLine(int count)
{
    if (count > 0)
        return "Changed " + std::to_string(count) + " values.";
    return "Found NO values matching label. No values changed.";
}

} // namespace tsl
