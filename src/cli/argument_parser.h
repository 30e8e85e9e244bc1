#pragma once

#include "cli/action.h"

#include <optional>
#include <string>
#include <vector>

namespace tsl::cli {

struct ParsedCommandLine {
    bool help = false;
    std::vector<ParsedAction> actions;
};

// Checks the whole command line before anything runs. On a malformed one,
// returns nothing and sets error to a message for standard error.
std::optional<ParsedCommandLine> parseCommandLine(const std::vector<std::string>& arguments,
                                                  std::string& error);

std::string helpText();

} // namespace tsl::cli
