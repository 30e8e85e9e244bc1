#include "app/time_zone.h"

#include <cstdlib>
#include <ctime>

namespace tsl {

void pinLocalTimeZone()
{
    if (!std::getenv("TZ"))
        setenv("TZ", ":/etc/localtime", 0);
    tzset();
}

} // namespace tsl
