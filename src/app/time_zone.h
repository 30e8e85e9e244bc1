#pragma once

namespace tsl {

// Without TZ in the environment the C library checks /etc/localtime again on
// every local-time conversion, which costs more than reading a data line.
// Naming that file in TZ once at start-up keeps the same zone and rules but
// reads them once. A TZ the user set is left as it is.
void pinLocalTimeZone();

} // namespace tsl
