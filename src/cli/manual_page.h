#pragma once

#include <string>

namespace tsl::cli {

// The manual pages (roff, section 1) of tsl and of the window, written from
// the text of their help.
std::string tslManualPage();
std::string windowManualPage();

} // namespace tsl::cli
