#include "cli/action.h"

namespace tsl::cli {

void addStorageActions(std::vector<ActionDefinition>& actions);
void addImportActions(std::vector<ActionDefinition>& actions);
void addPlotActions(std::vector<ActionDefinition>& actions);

const std::vector<ActionDefinition>& allActions()
{
    static const std::vector<ActionDefinition> actions = [] {
        std::vector<ActionDefinition> list;
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
