// The entry point tsl finds in the chart module when it draws a chart.
#include "app/chart/chart_file.h"

extern "C" __attribute__((visibility("default"))) int tslPlotToFile(tsl::CommandContext& context,
                                                                   const std::string& path,
                                                                   const std::vector<std::string>& columns)
{
    return static_cast<int>(tsl::OnPlotToFile(context, path, columns));
}
