#pragma once

namespace tsl {

class CommandContext;

// "Clear CSV Data": removes the labels of every data file read and all data;
// templates, settings and the log stay.
void OnClearCsvData(CommandContext& context);

} // namespace tsl
