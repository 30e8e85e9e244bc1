#pragma once

#include <string>

namespace tsl {

class DataTree;

// Writes value into the cell of the column labelled `label` in every data
// line (the first cell of that label in each line), blank or not; an empty
// value blanks the column. Both texts are as the tree holds them (the bytes
// of the file's header for the label). Returns the number of cells set.
int FillColumn(DataTree& tree, const std::string& label, const std::string& value);

} // namespace tsl
