#pragma once

namespace tsl {

class CommandContext;

// "Preview Data": logs the column labels and the cells of the first eleven
// data lines, each followed by three blanks. Changes nothing.
void OnPreviewData(CommandContext& context);

} // namespace tsl
