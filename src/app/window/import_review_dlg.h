#pragma once

#include <string>

class QWidget;

namespace tsl {

struct ImportPlan;

// What an import found and will change, one row per item of each file
// (WARNING rows stand out), with OK to read the prepared copies and Cancel to
// leave everything as it is. A file whose dates read more than one way
// offers the readings in a list; the one chosen goes into the plan. folder:
// where the prepared copies go (empty: beside the originals), as the user
// leaves the choice below the table.
bool reviewImport(QWidget* parent, ImportPlan& plan, std::string& folder);

} // namespace tsl
