// How the reader stores readings: their decimals and the order of the rows.
#include "app/settings_commands.h"
#include "cli/action.h"
#include "cli/cli_session.h"

namespace tsl::cli {

void addStorageActions(std::vector<ActionDefinition>& actions)
{
    actions.push_back({"--decimals", ArgumentKind::Index, maxDecimals, "N",
                       "decimals 0..6 of the readings that later reads store (default 2)",
                       [](CliSession& s, const ParsedAction& a) {
                           s.context().editSettings().decimals = a.number;
                           OnDecimalsChanged(s.context());
                       }});
    actions.push_back({"--sort-rows", ArgumentKind::OnOff, 0, "on|off",
                       "place the rows of later reads in time order (default off: in the order read)",
                       [](CliSession& s, const ParsedAction& a) {
                           // a check box: its command runs only when the state changes
                           bool& sortRows = s.context().editSettings().sortRows;
                           if (sortRows == (a.number != 0))
                               return;
                           sortRows = a.number != 0;
                           OnSortRowsToggled(s.context());
                       }});
}

} // namespace tsl::cli
