#pragma once

#include <string>
#include <string_view>

namespace tsl {

class CommandContext;

// "Convert Units": rewrites every non-blank cell of the columns whose label
// contains the conversion column text with the chosen conversion.
void OnConvertUnits(CommandContext& context);
// A new conversion was chosen: proposes the column text that goes with it.
void OnConversionChanged(CommandContext& context);

// One cell converted: its leading number read as the C library reads it,
// taken in single precision, converted, rounded to single precision again and
// written "%7.4f".
std::string convertCellText(int conversion, std::string_view cell);

} // namespace tsl
