#pragma once

#include "app/save_outcome.h"

namespace tsl {

class CommandContext;

// The most rows an Excel worksheet holds, its header row included.
inline constexpr int excelRowsPerSheet = 1048576;

// "Save to Excel": writes the stored data as an Excel workbook, with the rows,
// columns, output template, bracket and split that a CSV save would write.
// The first column holds date-times shown in the selected date layout, then
// one column per label, headed by it; readings are numbers, other cell texts
// stay text and blank cells stay empty. The header row is frozen and carries
// an autofilter, and the columns are as wide as their contents. Data lines
// beyond a sheet's rows go on on further sheets, each with the header.
// As for a CSV save, no file the user did not name is replaced and an
// earlier file stays as it was when the save fails.
SaveOutcome OnSaveToExcel(CommandContext& context, int rowsPerSheet = excelRowsPerSheet);

} // namespace tsl
