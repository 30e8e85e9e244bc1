// Charts of the merged data saved as images, for reports made by scripts.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "ops/plot_command.h"
#ifdef TSL_HAVE_CHART
#include "app/chart/chart_file.h"
#endif

namespace tsl::cli {

namespace {

// The columns of later charts; empty: the first few of the data. One tsl
// run is one session, so the choice lives as long as the process.
std::vector<std::string>& plotColumns()
{
    static std::vector<std::string> columns;
    return columns;
}

void plot(CliSession& session, const ParsedAction& action)
{
    const std::string& file = action.values.front();
    if (file.empty()) {
        session.context().log().append("ERROR: chart file name not entered.  No chart was saved.");
        return;
    }
#ifdef TSL_HAVE_CHART
    const SaveOutcome outcome = OnPlotToFile(session.context(), file, plotColumns());
    if (outcome == SaveOutcome::OpenFailed || outcome == SaveOutcome::WriteFailed)
        session.noteSaveFailed();
#else
    logChartNotSaved(session.context().log(), file, "this tsl was built without charts");
    session.noteSaveFailed();
#endif
}

} // namespace

void addPlotActions(std::vector<ActionSpec>& actions)
{
    actions.push_back({"--plot-columns", ArgumentKind::Text, 0, "A,B,...",
                       "the columns of later charts, by label (empty: the first " +
                           std::to_string(defaultChartColumns) + " columns)",
                       [](CliSession&, const ParsedAction& a) { plotColumns() = splitColumnList(a.values.front()); }});
    actions.push_back({"--plot", ArgumentKind::File, 0, "FILE",
                       "save a chart of the data as it stands (PNG, or SVG for FILE.svg), drawn without a display",
                       plot});
}

} // namespace tsl::cli
