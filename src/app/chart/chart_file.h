#pragma once

// Saving charts of the stored data as image files, from the chart window
// and from the batch front end.

#include "app/save_outcome.h"

#include <QSize>

#include <string>
#include <vector>

namespace tsl {

class CommandContext;
class CChartPanel;

// Writes the chart as the panel shows it to path (PNG, SVG or another image
// format by the suffix) and logs how that went.
SaveOutcome saveChartImage(CommandContext& context, CChartPanel& panel, const std::string& path);

// Draws a chart of the requested columns (the first few that hold readings
// when none are requested) over their whole time range, without showing a
// window, and saves it to path. Makes the toolkit's application object,
// drawing off screen, when the program has none.
SaveOutcome OnPlotToFile(CommandContext& context, const std::string& path,
                         const std::vector<std::string>& requestedColumns, QSize size = QSize(1280, 720));

} // namespace tsl
