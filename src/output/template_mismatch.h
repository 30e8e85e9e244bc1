#pragma once

#include <optional>
#include <string>

namespace tsl {

class DataTree;

// A save with an output template writes the template's labels as its header
// and the chosen cells in the data's own column order below. When the two
// differ (another order, or labels the data does not have), the header
// names the wrong columns: this is the WARNING line that says how. None when
// there is no output template, no data, or they agree.
std::optional<std::string> outputTemplateMismatch(const DataTree& tree);

} // namespace tsl
