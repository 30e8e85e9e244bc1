#pragma once

#include "app/save_outcome.h"

namespace tsl {

class CommandContext;

// "&Save to CSV": asks for a file name (or, when output is split by day, a
// mask for a series of dated files) and writes the stored data as delimited
// text, one header line and one line per data line, in the date layout, with
// the delimiter and the split the settings show now. Lines end in CR LF.
// No file the user did not name is replaced, and an existing file is never
// left half-written.
SaveOutcome OnSaveToCsv(CommandContext& context);

} // namespace tsl
