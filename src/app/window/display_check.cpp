#include "app/window/display_check.h"

#include <cstdlib>

namespace tsl {

bool displayAvailable(const EnvironmentLookup& lookup)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = lookup(name);
        if (value && *value)
            return true;
    }
    return false;
}

bool displayAvailable()
{
    return displayAvailable([](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

std::string noDisplayMessage()
{
    return "tessaloom: no display to open the window on (neither DISPLAY, WAYLAND_DISPLAY nor "
           "QT_QPA_PLATFORM is set).\n"
           "Start it from a desktop session, or run it under Xvfb (xvfb-run -a tessaloom); "
           "for batch work use the tsl program.\n";
}

} // namespace tsl
