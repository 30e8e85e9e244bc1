#include "ops/data_columns.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

namespace tsl {

std::string_view labelOf(const DataNode* cell)
{
    const DataAttribute* label = DataTree::findAttribute(cell, "value");
    return label ? label->value() : std::string_view();
}

std::vector<std::string> dataColumnLabels(const DataTree& tree)
{
    std::vector<std::string> labels;
    std::unordered_set<std::string> seen;
    std::unordered_set<const void*> layoutsSeen;
    std::unordered_set<const DataAttribute*> attributesSeen;
    forEachDataline(tree, [&](const DataNode* line) {
        if (const void* layout = DataTree::packedLayout(line); layout && !layoutsSeen.insert(layout).second)
            return true;
        for (const DataNode* cell = firstCell(tree, line); cell; cell = cell->nextSibling()) {
            if (!attributesSeen.insert(cell->attributes()).second)
                continue;
            std::string label(labelOf(cell));
            if (!label.empty() && seen.insert(label).second)
                labels.push_back(std::move(label));
        }
        return true;
    });
    return labels;
}

std::optional<double> cellNumber(std::string_view text)
{
    auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

ColumnFinder::ColumnFinder(const DataTree& tree, const std::vector<std::string>& labels) : tree_(tree)
{
    for (std::size_t i = 0; i < labels.size(); ++i)
        columnOfLabel_.emplace(labels[i], static_cast<int>(i));
}

const ColumnFinder::Places& ColumnFinder::placesIn(const void* layout, const DataNode* line)
{
    auto [entry, added] = placesOfLayout_.try_emplace(layout);
    if (added) {
        taken_.assign(columnOfLabel_.size(), false);
        std::size_t place = 0;
        for (const DataNode* cell = firstCell(tree_, line); cell; cell = cell->nextSibling(), ++place) {
            const int column = columnOf(cell);
            if (column >= 0 && !taken_[column]) {
                taken_[column] = true;
                entry->second.emplace_back(place, column);
            }
        }
    }
    return entry->second;
}

int ColumnFinder::columnOf(const DataNode* cell)
{
    auto [entry, added] = columnOfAttributes_.try_emplace(cell->attributes(), -1);
    if (added) {
        auto label = columnOfLabel_.find(std::string(labelOf(cell)));
        if (label != columnOfLabel_.end())
            entry->second = label->second;
    }
    return entry->second;
}

} // namespace tsl
