// The settings controls as actions: each changes its control as the user
// would, then runs the control's command, which logs the change.
#include "app/settings_commands.h"
#include "cli/action.h"
#include "cli/cli_session.h"
#include "ops/unit_conversion.h"

#include <ctime>

namespace tsl::cli {

namespace {

// A check box set to a state: its command runs only when the state changes,
// as a click would have changed it.
template <typename Field>
void setCheck(CliSession& session, const ParsedAction& action, Field field, void (*command)(CommandContext&))
{
    ToolSettings& settings = session.context().editSettings();
    bool wanted = action.number != 0;
    if (settings.*field == wanted)
        return;
    settings.*field = wanted;
    command(session.context());
}

TimeOfDay timeOf(const ParsedAction& action) { return {action.hour, action.minute, action.second}; }

} // namespace

void addSettingsActions(std::vector<ActionDefinition>& actions)
{
    auto edit = [](CliSession& session) -> ToolSettings& { return session.context().editSettings(); };
    actions.push_back({"--interval", ArgumentKind::Index, 6, "N",
                       "data interval: 0 none, 1 10 s, 2 1 min, 3 2 min, 4 5 min, 5 10 min, 6 15 min",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).interval = static_cast<DataInterval>(a.number);
                           OnIntervalChanged(s.context());
                       }});
    actions.push_back({"--reduction", ArgumentKind::Index, 1, "N", "0 average, 1 sample the readings of a step",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).reduction = static_cast<ReductionMode>(a.number);
                           OnReductionChanged(s.context());
                       }});
    actions.push_back({"--date-format", ArgumentKind::Index, 12, "N",
                       "date and time layout 0..12 for reading and writing (1 MM/DD/YYYY)",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).dateFormat = a.number;
                           OnDateFormatChanged(s.context());
                       }});
    actions.push_back({"--time-delimiter", ArgumentKind::OnOff, 0, "on|off",
                       "separate date and time in the output by the delimiter",
                       [](CliSession& s, const ParsedAction& a) {
                           setCheck(s, a, &ToolSettings::timeDelimiter, OnTimeDelimiterToggled);
                       }});
    actions.push_back({"--delimiter", ArgumentKind::Text, 0, "TEXT", "output delimiter (its first character)",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).delimiter = a.values.front();
                           OnDelimiterEdited(s.context());
                       }});
    actions.push_back({"--split", ArgumentKind::Index, 7, "N", "0 one output file, 1..7 split every N days",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).splitDays = a.number;
                           OnSplitChanged(s.context());
                       }});
    actions.push_back({"--bracket", ArgumentKind::OnOff, 0, "on|off", "keep only rows inside the daily bracket",
                       [](CliSession& s, const ParsedAction& a) {
                           setCheck(s, a, &ToolSettings::bracketEnabled, OnBracketToggled);
                       }});
    actions.push_back({"--bracket-start", ArgumentKind::Time, 0, "HH:MM:SS", "start of the daily bracket",
                       [edit](CliSession& s, const ParsedAction& a) { edit(s).bracketStart = timeOf(a); }});
    actions.push_back({"--bracket-end", ArgumentKind::Time, 0, "HH:MM:SS", "end of the daily bracket",
                       [edit](CliSession& s, const ParsedAction& a) { edit(s).bracketEnd = timeOf(a); }});
    actions.push_back({"--write-date-from", ArgumentKind::OnOff, 0, "on|off",
                       "write consecutive dates from the start date",
                       [](CliSession& s, const ParsedAction& a) {
                           setCheck(s, a, &ToolSettings::writeDateFrom, OnWriteDateToggled);
                       }});
    actions.push_back({"--start-date", ArgumentKind::Date, 0, "YYYY-MM-DD", "first output date",
                       [edit](CliSession& s, const ParsedAction& a) {
                           std::tm local{};
                           local.tm_year = a.year - 1900;
                           local.tm_mon = a.month - 1;
                           local.tm_mday = a.day;
                           local.tm_isdst = -1;
                           edit(s).writeStartDate = std::mktime(&local);
                       }});
    actions.push_back({"--line-labelled", ArgumentKind::OnOff, 0, "on|off",
                       "input lines begin with one label and have no header",
                       [](CliSession& s, const ParsedAction& a) {
                           setCheck(s, a, &ToolSettings::lineLabelled, OnLineLabelToggled);
                       }});
    actions.push_back({"--conversion", ArgumentKind::Index, 6, "N",
                       "unit conversion 0..6 (0 F->K ... 6 Percent->Fraction); sets the column",
                       [edit](CliSession& s, const ParsedAction& a) {
                           edit(s).conversion = a.number;
                           OnConversionChanged(s.context());
                       }});
    actions.push_back({"--conversion-column", ArgumentKind::Text, 0, "TEXT",
                       "convert the columns whose label contains TEXT",
                       [edit](CliSession& s, const ParsedAction& a) { edit(s).conversionColumn = a.values.front(); }});
}

} // namespace tsl::cli
