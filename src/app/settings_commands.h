#pragma once

#include "app/command_context.h"

namespace tsl {

// Start-up of the settings controls (defaults, enabled states) and the
// welcome block that describes them.
void initialiseSettings(CommandContext& context);
void appendWelcomeBlock(MessageLog& log);

// The commands of the settings controls. Each runs after its control has
// changed, reads the new value from the context and reports it in the log.
void OnIntervalChanged(CommandContext& context);
void OnReductionChanged(CommandContext& context);
void OnBracketToggled(CommandContext& context);
void OnDateFormatChanged(CommandContext& context);
void OnTimeDelimiterToggled(CommandContext& context);
void OnDelimiterEdited(CommandContext& context);
void OnSplitChanged(CommandContext& context);
void OnLineLabelToggled(CommandContext& context);
void OnWriteDateToggled(CommandContext& context);
void OnDecimalsChanged(CommandContext& context);
void OnSortRowsToggled(CommandContext& context);

} // namespace tsl
