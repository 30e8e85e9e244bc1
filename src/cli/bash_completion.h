#pragma once

#include <string>

namespace tsl::cli {

// A bash completion script for tsl, written from its table of actions: action
// names, then what each action takes (file names, the values of a list, on
// or off).
std::string bashCompletion();

} // namespace tsl::cli
