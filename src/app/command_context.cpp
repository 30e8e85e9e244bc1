#include "app/command_context.h"

namespace tsl {

void setReadingState(CommandContext& context, bool reading)
{
    for (ControlId id : readLockedControls)
        context.enableControl(id, !reading);
    context.setControlText(ControlId::ReadCsvData, reading ? "Stop Reading" : "&Read CSV Data");
}

} // namespace tsl
