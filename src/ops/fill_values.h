#pragma once

#include <string>
#include <vector>

namespace tsl {

class CommandContext;

// What the Fill Values dialog offers and reports, without its widgets.
struct FillValuesColumns {
    // The labels of the template used by the last data read, in its order.
    std::vector<std::string> labels;
    // The list shows these items: the labels, or "NO LABELS ENTERED" alone.
    std::vector<std::string> items() const;
    // The button and the value edit work only when there are labels.
    bool canFill() const { return !labels.empty(); }
};

FillValuesColumns fillValuesColumns(CommandContext& context);

// "Fill Values" pressed: writes value into every cell of the column labelled
// `label` (FillColumn) and returns the number of cells set.
int fillValues(CommandContext& context, const std::string& label, const std::string& value);

// The line the dialog adds to its result list after one fill.
std::string fillValuesResultLine(int count);

} // namespace tsl
