#pragma once

namespace tsl {

class CommandContext;

// "Fill Blanks": every blank cell takes the text its column holds in the data
// line before it, so readings are carried forward across hours, days, months
// and years. Blanks in the very first line take the first reading further
// down in the same hour.
void OnFillBlanks(CommandContext& context);

} // namespace tsl
