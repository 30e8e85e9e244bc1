#pragma once

#include <string_view>

namespace tsl {

// The release of the program, as the build was told it ("1.1").
std::string_view programVersion();

} // namespace tsl
