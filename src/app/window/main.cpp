#include "app/time_zone.h"
#include "app/window/corvane_app.h"
#include "app/window/display_check.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (!tsl::displayAvailable()) {
        std::fputs(tsl::noDisplayMessage().c_str(), stderr);
        return 1;
    }
    tsl::pinLocalTimeZone();
    tsl::CCorvaneApp app(argc, argv);
    app.InitInstance();
    return 0;
}
