// Templates and data files: each action answers the file dialog of its
// command with the files given on the command line.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "input/label_templates.h"
#include "input/read_commands.h"

namespace tsl::cli {

namespace {

std::vector<std::string> chosen(const ParsedAction& action)
{
    if (action.values.empty() || action.values.front().empty())
        return {};
    return action.values;
}

void setOutputTemplate(CliSession& session, const ParsedAction& action, MessageAnswer replaceExisting)
{
    session.setDialogFiles(chosen(action));
    session.setOkCancelAnswer(replaceExisting);
    OnSetOutputTemplate(session.context());
}

void readBatch(CliSession& session, const std::vector<std::string>& files, bool dropped)
{
    session.setBatch(files);
    ReadBatchResult result;
    if (dropped) {
        result = OnDropFiles(session.context(), files);
    } else {
        session.setDialogFiles(files);
        result = OnReadCsvData(session.context());
    }
    session.setBatch({});
    session.noteReadFailures(result.failed + result.xmlFailed);
    session.noteStoppedReads(result.stopped);
}

} // namespace

void addReadActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--read-template", ArgumentKind::File, 0, "FILE", "read a label template (\"Read Label Template\")",
                       [](CliSession& s, const ParsedAction& a) {
                           s.setDialogFiles(chosen(a));
                           OnReadLabelTemplate(s.context());
                       }});
    actions.push_back({"--output-template", ArgumentKind::File, 0, "FILE",
                       "set the output template, replacing an existing one",
                       [](CliSession& s, const ParsedAction& a) { setOutputTemplate(s, a, MessageAnswer::Ok); }});
    actions.push_back({"--add-output-template", ArgumentKind::File, 0, "FILE",
                       "add labels after those of the existing output template",
                       [](CliSession& s, const ParsedAction& a) { setOutputTemplate(s, a, MessageAnswer::Cancel); }});
    actions.push_back({"--read", ArgumentKind::Files, 0, "FILE...",
                       "read data files as one batch (\"Read CSV Data\"); .xml paths are XML files",
                       [](CliSession& s, const ParsedAction& a) { readBatch(s, chosen(a), false); }});
    actions.push_back({"--drop", ArgumentKind::Files, 0, "FILE...", "drop data files onto the window",
                       [](CliSession& s, const ParsedAction& a) {
                           if (!a.values.empty())
                               readBatch(s, a.values, true);
                       }});
}

} // namespace tsl::cli
