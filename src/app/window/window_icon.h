#pragma once

#include <QIcon>

namespace tsl {

// The program's icon: time-stamped traces woven onto one grid. Drawn at the
// usual sizes, so that no image file has to travel with the program.
QIcon tessaloomIcon();

} // namespace tsl
