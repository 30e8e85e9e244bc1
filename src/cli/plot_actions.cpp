// Charts of the merged data saved as images, for reports made by scripts.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "ops/plot_command.h"
#include "app/save_outcome.h"

#include <filesystem>
#ifdef TSL_HAVE_CHART
#include <dlfcn.h>
#endif

namespace tsl::cli {

namespace {

#ifdef TSL_HAVE_CHART
using PlotToFile = int (*)(CommandContext&, const std::string&, const std::vector<std::string>&);

// The chart module is loaded once, on the first chart: drawing needs Qt,
// which tsl's other runs need not load. It stays loaded, and a loaded library
// belongs to the process, not to one session: its entry point (or why it
// could not be loaded) is kept with the process too. It lies beside the tsl
// program in a build tree, and in its own folder of the libraries once
// installed; both are found from where this tsl is.
PlotToFile chartModule(std::string& error)
{
    static std::string loadError;
    static const PlotToFile plotToFile = []() -> PlotToFile {
        std::error_code ignored;
        const std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", ignored).parent_path();
        for (const std::filesystem::path& place : {folder, folder / TSL_MODULE_FROM_TSL}) {
            const std::string module = (place / "tsl_plot.so").lexically_normal().string();
            if (!std::filesystem::exists(module, ignored))
                continue;
            void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                loadError = dlerror();
                return nullptr;
            }
            auto entry = reinterpret_cast<PlotToFile>(dlsym(handle, "tslPlotToFile"));
            if (!entry)
                loadError = "the chart module " + module + " has no entry point";
            return entry;
        }
        loadError = "the chart module tsl_plot.so is neither in " + folder.string() + " nor in " +
                    (folder / TSL_MODULE_FROM_TSL).lexically_normal().string();
        return nullptr;
    }();
    error = loadError;
    return plotToFile;
}
#endif

void plot(CliSession& session, const ParsedAction& action)
{
    const std::string& file = action.values.front();
    if (file.empty()) {
        session.context().log().append("ERROR: chart file name not entered.  No chart was saved.");
        return;
    }
#ifdef TSL_HAVE_CHART
    std::string error;
    PlotToFile plotToFile = chartModule(error);
    if (!plotToFile) {
        logChartNotSaved(session.context().log(), file, "charts could not be loaded: " + error);
        session.noteSaveFailed();
        return;
    }
    const auto outcome = static_cast<SaveOutcome>(plotToFile(session.context(), file, session.chartColumns()));
    if (saveFailed(outcome))
        session.noteSaveFailed();
#else
    logChartNotSaved(session.context().log(), file, "this tsl was built without charts");
    session.noteSaveFailed();
#endif
}

} // namespace

void addPlotActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--plot-columns", ArgumentKind::Text, 0, "A,B,...",
                       "the columns of later charts, by label (empty: the first " +
                           std::to_string(defaultChartColumns) + " columns that hold readings)",
                       [](CliSession& s, const ParsedAction& a) {
                           s.setChartColumns(splitColumnList(a.values.front()));
                       }});
    actions.push_back({"--plot", ArgumentKind::File, 0, "FILE",
                       "save a chart of the data as it stands (PNG, or SVG for FILE.svg), drawn without a display",
                       plot});
}

} // namespace tsl::cli
