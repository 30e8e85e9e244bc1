#include "cli/action.h"

namespace tsl::cli {

void addStorageActions(std::vector<ActionSpec>& actions);
void addImportActions(std::vector<ActionSpec>& actions);
void addPlotActions(std::vector<ActionSpec>& actions);

const std::vector<ActionSpec>& allActions()
{
    static const std::vector<ActionSpec> actions = [] {
        std::vector<ActionSpec> list;
        addSettingsActions(list);
        addStorageActions(list);
        addReadActions(list);
        addDataActions(list);
        addSaveActions(list);
        addPlotActions(list);
        addImportActions(list);
        return list;
    }();
    return actions;
}

} // namespace tsl::cli
