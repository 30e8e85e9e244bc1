// Real exports: each file is examined, rewritten as a prepared copy and read,
// as "Import Exports..." does in the window.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "input/import_command.h"

namespace tsl::cli {

namespace {

void importFiles(CliSession& session, const std::vector<std::string>& files)
{
    if (files.empty())
        return;
    session.setBatch(files);
    const ImportResult result = importExports(session.context(), files, session.importFolder());
    session.setBatch({});
    session.noteReadFailures(result.failed + result.refused + result.writeFailed);
    session.noteStoppedReads(result.stopped);
}

} // namespace

void addImportActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--import-folder", ArgumentKind::Text, 0, "DIR",
                       "write the prepared copies of later imports into DIR (empty: beside the originals)",
                       [](CliSession& s, const ParsedAction& a) {
                           s.setImportFolder(a.values.empty() ? std::string() : a.values.front());
                       }});
    actions.push_back({"--import", ArgumentKind::Files, 0, "FILE...",
                       "import exports of loggers and building systems: find each file's shape, write a prepared "
                       "copy (NAME.import.csv) and read it",
                       [](CliSession& s, const ParsedAction& a) { importFiles(s, a.values); }});
}

} // namespace tsl::cli
