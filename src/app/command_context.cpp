#include "app/command_context.h"

namespace tsl {

void setReadingState(CommandContext& context, bool reading)
{
    for (ControlId id : {ControlId::ClearCsvData, ControlId::ConvertUnits, ControlId::FillBlanks,
                         ControlId::ReadLabelTemplate, ControlId::SaveToCsv, ControlId::SaveToExcel, ControlId::SaveToXml,
                         ControlId::SetOutputTemplate, ControlId::DateFormatList})
        context.enableControl(id, !reading);
    context.setControlText(ControlId::ReadCsvData, reading ? "Stop Reading" : "&Read CSV Data");
}

} // namespace tsl
