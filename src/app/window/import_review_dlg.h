#pragma once

class QWidget;

namespace tsl {

struct ImportPlan;

// What an import found and will change, one row per item of each file, with
// OK to read the prepared copies and Cancel to leave everything as it is.
bool reviewImport(QWidget* parent, const ImportPlan& plan);

} // namespace tsl
