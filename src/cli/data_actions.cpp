// Commands that work on the data in place, and the database query.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "ops/clear_data.h"
#include "ops/fill_blanks.h"
#include "ops/fill_values.h"
#include "ops/preview.h"
#include "ops/unit_conversion.h"
#ifdef TSL_HAVE_DATABASE
#include "db/fill_database.h"
#endif

#include <algorithm>

namespace tsl::cli {

namespace {

// "Fill Value": the dialog opens, LABEL is chosen from its column list, VALUE
// typed and "Fill Values" pressed once. Its result line goes to standard error.
void fillValue(CliSession& session, const ParsedAction& action)
{
    const std::string& assignment = action.values.front();
    std::size_t equals = assignment.find('=');
    std::string label = assignment.substr(0, equals);
    std::string value = assignment.substr(equals + 1);

    FillValuesColumns columns = fillValuesColumns(session.context());
    if (!columns.canFill()) {
        std::fprintf(session.err(), "Fill Value: NO LABELS ENTERED\n");
        return;
    }
    if (std::find(columns.labels.begin(), columns.labels.end(), label) == columns.labels.end()) {
        std::fprintf(session.err(), "Fill Value: no column '%s' in the list\n", label.c_str());
        return;
    }
    int count = fillValues(session.context(), label, value);
    std::fprintf(session.err(), "%s\n", fillValuesResultLine(count).c_str());
}

} // namespace

void addDataActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--clear", ArgumentKind::None, 0, "", "delete the data read, keep the templates",
                       [](CliSession& s, const ParsedAction&) { OnClearCsvData(s.context()); }});
    actions.push_back({"--convert", ArgumentKind::None, 0, "", "convert the units of the chosen columns",
                       [](CliSession& s, const ParsedAction&) { OnConvertUnits(s.context()); }});
    actions.push_back({"--fill-blanks", ArgumentKind::None, 0, "", "fill blank cells from the reading before",
                       [](CliSession& s, const ParsedAction&) { OnFillBlanks(s.context()); }});
    actions.push_back({"--fill-value", ArgumentKind::Assignment, 0, "LABEL=VALUE",
                       "write VALUE into every cell of column LABEL", fillValue});
    actions.push_back({"--preview", ArgumentKind::None, 0, "", "log the header and the first data lines",
                       [](CliSession& s, const ParsedAction&) { OnPreviewData(s.context()); }});
    actions.push_back({"--query-database", ArgumentKind::None, 0, "",
                       "query the metadata table of the building database",
                       [](CliSession& s, const ParsedAction&) {
#ifdef TSL_HAVE_DATABASE
                           OnFillDatabase(s.context());
#else
                           std::fprintf(s.err(), "Database error: this tsl was built without database support\n");
#endif
                       }});
}

} // namespace tsl::cli
