#pragma once

namespace tsl {

class CommandContext;

// "Fill Database": runs the fixed query on the "Metadata" table of the
// building-performance database and steps through every row. It changes
// nothing and shows nothing when it works; any database error ends it with
// one "Database error: " message box.
void OnFillDatabase(CommandContext& context);

} // namespace tsl
