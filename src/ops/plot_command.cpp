#include "ops/plot_command.h"

#include "app/command_context.h"
#include "ops/chart_series.h"

#include <algorithm>

namespace tsl {

std::vector<std::string> chooseChartColumns(CommandContext& context, const std::vector<std::string>& requested)
{
    if (requested.empty())
        return firstColumnsWithReadings(context.tree(), defaultChartColumns);
    const std::vector<std::string> labels = chartColumnLabels(context.tree());
    std::vector<std::string> chosen;
    for (const std::string& label : requested) {
        if (std::find(labels.begin(), labels.end(), label) == labels.end())
            context.log().append("ERROR: no column labelled '" + logText(label) + "' in the data - not plotted");
        else if (std::find(chosen.begin(), chosen.end(), label) == chosen.end())
            chosen.push_back(label);
    }
    return chosen;
}

std::vector<std::string> splitColumnList(const std::string& list)
{
    std::vector<std::string> labels;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = std::min(list.find(',', start), list.size());
        if (comma > start)
            labels.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return labels;
}

void logChartSaved(MessageLog& log, const std::string& path, std::size_t columns, std::size_t lines)
{
    log.append("Chart of " + std::to_string(columns) + (columns == 1 ? " column" : " columns") + " over " +
               std::to_string(lines) + (lines == 1 ? " data line" : " data lines") + " saved to file '" +
               logText(path) + "'");
    log.showLast();
}

void logChartNotSaved(MessageLog& log, const std::string& path, const std::string& reason)
{
    log.append("ERROR: chart could not be written to file '" + logText(path) + "': " + reason +
               ". Any earlier file of that name is unchanged.");
    log.showLast();
}

} // namespace tsl
