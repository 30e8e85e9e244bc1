#pragma once

#include <QIcon>

namespace tsl {

// The program's icon: time-stamped traces woven onto one grid. Drawn at the
// usual sizes from the same SVG that the desktop's icon theme gets, built
// into the program so that no image file has to travel with it.
QIcon tessaloomIcon();

} // namespace tsl
