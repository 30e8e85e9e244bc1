#pragma once

#include <functional>
#include <string>

namespace tsl {

// Qt aborts the process when it finds no display to connect to. The program
// looks first and says what is missing instead.
using EnvironmentLookup = std::function<const char*(const char* name)>;

bool displayAvailable(const EnvironmentLookup& lookup);
bool displayAvailable();

// The explanation printed when there is no display.
std::string noDisplayMessage();

} // namespace tsl
