#include "app/version.h"

namespace tsl {

std::string_view programVersion()
{
    return TSL_VERSION;
}

} // namespace tsl
