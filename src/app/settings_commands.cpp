#include "app/settings_commands.h"

#include <string>

namespace tsl {

namespace {

const char* const noteLine = "    -NOTE: this will not affect data already entered.";

} // namespace

void initialiseSettings(CommandContext& context)
{
    context.enableControl(ControlId::BracketStart, false);
    context.enableControl(ControlId::BracketEnd, false);
    context.enableControl(ControlId::WriteStartDate, false);
    context.setWriteStartDate(std::time(nullptr));
}

void appendWelcomeBlock(MessageLog& log)
{
    for (const char* line : {
             "Welcome to the Zorbelin Tessaloom (TSL) v1.1.",
             "Enter a headings file or a data file to begin.",
             "Data files may be dropped onto TSL after parameters have been reviewed.",
             "NOTE CURRENT SETTINGS:",
             "- Data is being reduced by AVERAGING",
             "- Time bracketing is DISABLED",
             "- Data interval is set to 1 MINUTE",
             "- CSV delimiter for output is -> ,",
             "- CSV Input/Output Date Format is MM/DD/YYYY",
             "- Output Datafiles are not being split by day.",
             "TSL is ready to read template file or data.",
         })
        log.append(line);
}

void OnIntervalChanged(CommandContext& context)
{
    static const char* const names[] = {"NONE",      "10 SECONDS", "1 MINUTE",  "2 MINUTES",
                                        "5 MINUTES", "10 MINUTES", "15 MINUTES"};
    int index = static_cast<int>(context.settings().interval);
    if (index >= 0 && index < 7)
        context.log().append(std::string("SETTINGS CHANGE: Data interval set to ") + names[index] + ".");
    context.log().append(noteLine);
}

void OnReductionChanged(CommandContext& context)
{
    bool sampling = context.settings().reduction == ReductionMode::Sampling;
    context.log().append(sampling ? "SETTINGS CHANGE: Reduce Data by SAMPLING."
                                  : "SETTINGS CHANGE: Reduce Data by AVERAGING.");
    context.log().append(noteLine);
}

void OnBracketToggled(CommandContext& context)
{
    bool enabled = context.settings().bracketEnabled;
    context.enableControl(ControlId::BracketStart, enabled);
    context.enableControl(ControlId::BracketEnd, enabled);
    context.log().append(enabled ? "SETTINGS CHANGE: Time bracketing is ENABLED"
                                 : "SETTINGS CHANGE: Time bracketing is DISABLED");
    context.log().append(noteLine);
    context.log().showLast();
}

void OnDateFormatChanged(CommandContext& context)
{
    DateFormatId format = context.settings().dateFormat;
    if (format < 0 || format >= static_cast<int>(dateFormatItems.size()))
        return;
    bool iso = format == isoDateFormat;
    context.setTimeDelimiter(!iso);
    context.log().append("SETTINGS CHANGE: CSV Output Date/Time format changed to -> " +
                         std::string(dateFormatItems[static_cast<std::size_t>(format)]) + ".");
    if (iso)
        context.log().append("SETTINGS CHANGE: CSV Output does not use delimiter between date and time.");
}

void OnTimeDelimiterToggled(CommandContext& context)
{
    context.log().append(context.settings().timeDelimiter
                             ? "SETTINGS CHANGE: CSV Output uses delimiter between date and time."
                             : "SETTINGS CHANGE: CSV Output does not use delimiter between date and time.");
}

void OnDelimiterEdited(CommandContext& context)
{
    std::string text = context.settings().delimiter;
    std::string first;
    if (!text.empty()) {
        // the first character, whole even when it takes several bytes
        std::size_t length = 1;
        while (length < text.size() && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
            ++length;
        first = text.substr(0, length);
    }
    context.log().append("SETTINGS CHANGE: Delimiter changed to -> " + first);
}

void OnSplitChanged(CommandContext& context)
{
    int days = context.settings().splitDays;
    if (days == 0)
        context.log().append("SETTINGS CHANGE: CSV Output files are now not split by day");
    else if (days == 1)
        context.log().append("SETTINGS CHANGE: CSV Output files are now split every 1 day.");
    else
        context.log().append("SETTINGS CHANGE: CSV Output files are now split every " + std::to_string(days) +
                             " days.");
}

void OnLineLabelToggled(CommandContext& context)
{
    context.log().append(context.settings().lineLabelled
                             ? "SETTINGS CHANGE: Use line labelled data.  Each line begins with one label, "
                               "and no header line."
                             : "SETTINGS CHANGE: Not using line labelled data.");
}

void OnWriteDateToggled(CommandContext& context)
{
    context.enableControl(ControlId::WriteStartDate, context.settings().writeDateFrom);
}

void OnDecimalsChanged(CommandContext& context)
{
    context.log().append("SETTINGS CHANGE: Readings are stored with " + std::to_string(context.settings().decimals) +
                         " decimals.");
    context.log().append(noteLine);
}

void OnSortRowsToggled(CommandContext& context)
{
    context.log().append(context.settings().sortRows ? "SETTINGS CHANGE: Rows are sorted by time."
                                                     : "SETTINGS CHANGE: Rows are kept in the order they were read.");
    context.log().append(noteLine);
}

} // namespace tsl
