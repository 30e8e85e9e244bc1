#pragma once

namespace tsl {

class CommandContext;

enum class SaveOutcome { Saved, Cancelled, OpenFailed, WriteFailed };

// "Save to XML": the whole tree to a file the user chooses.
SaveOutcome OnSaveToXml(CommandContext& context);

} // namespace tsl
