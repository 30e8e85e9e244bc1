#pragma once

#include "app/save_outcome.h"

namespace tsl {

class CommandContext;

// "Save to XML": the whole tree to a file the user chooses.
SaveOutcome OnSaveToXml(CommandContext& context);

} // namespace tsl
