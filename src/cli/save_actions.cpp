// Saving the merged data as CSV or an Excel workbook, or the whole tree as XML.
#include "app/save_outcome.h"
#include "cli/action.h"
#include "cli/cli_session.h"
#include "output/csv_writer.h"
#include "output/xlsx_writer.h"
#include "output/xml_save.h"

namespace tsl::cli {

namespace {

void save(CliSession& session, const ParsedAction& action, SaveOutcome (*command)(CommandContext&))
{
    const std::string& file = action.values.front();
    session.setDialogFiles(file.empty() ? std::vector<std::string>{} : std::vector<std::string>{file});
    SaveOutcome outcome = command(session.context());
    if (saveFailed(outcome))
        session.noteSaveFailed();
}

} // namespace

void addSaveActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--save-csv", ArgumentKind::File, 0, "FILE",
                       "save the merged data as CSV (in split mode FILE is the name mask)",
                       [](CliSession& s, const ParsedAction& a) { save(s, a, OnSaveToCsv); }});
    actions.push_back({"--save-xlsx", ArgumentKind::File, 0, "FILE",
                       "save the merged data as an Excel workbook (in split mode FILE is the name mask)",
                       [](CliSession& s, const ParsedAction& a) {
                           save(s, a, [](CommandContext& context) { return OnSaveToExcel(context); });
                       }});
    actions.push_back({"--save-xml", ArgumentKind::File, 0, "FILE", "save templates and data as XML",
                       [](CliSession& s, const ParsedAction& a) { save(s, a, OnSaveToXml); }});
}

} // namespace tsl::cli
