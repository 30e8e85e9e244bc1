#include "output/template_mismatch.h"

#include "app/message_log.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tsl {

namespace {

// The "value" of each "label" child, in order; labels without one are
// written nowhere and left out.
std::vector<std::string_view> labelValues(const DataTree& tree, const DataNode* parent)
{
    std::vector<std::string_view> values;
    for (const DataNode* label = tree.findNode(parent, "label"); label; label = label->nextSibling())
        if (const DataAttribute* value = DataTree::findAttribute(label, "value"))
            values.push_back(value->value());
    return values;
}

// Every "label" value anywhere below the template, as the writer's column
// choice finds them.
void collectChosen(const DataNode* node, std::unordered_set<std::string_view>& chosen)
{
    for (const DataNode* child = node->firstChild(); child; child = child->nextSibling()) {
        if (child->name() == "label")
            if (const DataAttribute* value = DataTree::findAttribute(child, "value"))
                chosen.insert(value->value());
        collectChosen(child, chosen);
    }
}

std::string joined(const std::vector<std::string_view>& labels, const char* separator)
{
    std::string text;
    for (std::string_view label : labels) {
        if (!text.empty())
            text += separator;
        text += label;
    }
    return text;
}

} // namespace

std::optional<std::string> outputTemplateMismatch(const DataTree& tree)
{
    const DataNode* outputTemplate = tree.findNode(tree.root(), "outputTemplate");
    const DataNode* firstLine = tree.findNode(tree.root(), "dataline");
    if (!outputTemplate || !firstLine)
        return std::nullopt;

    const std::vector<std::string_view> header = labelValues(tree, outputTemplate);
    const std::vector<std::string_view> stored = labelValues(tree, firstLine);
    std::unordered_set<std::string_view> chosen;
    collectChosen(outputTemplate, chosen);
    std::vector<std::string_view> written;
    for (std::string_view label : stored)
        if (chosen.count(label))
            written.push_back(label);
    if (header == written)
        return std::nullopt;

    std::vector<std::string_view> missing;
    for (std::string_view label : header)
        if (std::find(stored.begin(), stored.end(), label) == stored.end() &&
            std::find(missing.begin(), missing.end(), label) == missing.end())
            missing.push_back(label);
    std::string what;
    if (!missing.empty())
        what = "names labels the data does not have (" + joined(missing, ", ") + ")";
    std::vector<std::string_view> known;
    for (std::string_view label : header)
        if (std::find(missing.begin(), missing.end(), label) == missing.end())
            known.push_back(label);
    if (known != written)
        what += std::string(what.empty() ? "" : " and ") + "lists its labels in another order than the stored columns";
    const std::string columns = written.empty() ? "no column" : "the columns " + joined(written, ",");
    return logText("WARNING- the output template " + what + ": the header names " + joined(header, ",") + " over " +
                   columns + ".");
}

} // namespace tsl
