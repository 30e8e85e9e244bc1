#pragma once

#include "cli/action.h"

#include <optional>
#include <string>
#include <vector>

namespace tsl::cli {

struct ParsedCommandLine {
    bool help = false;
    bool version = false;
    std::vector<ParsedAction> actions;
};

// Checks the whole command line before anything runs. On a malformed one,
// returns nothing and sets error to a message for standard error.
std::optional<ParsedCommandLine> parseCommandLine(const std::vector<std::string>& arguments,
                                                  std::string& error);

// What tsl's help says, which its manual page is written from too: the
// command's synopsis, a one-line summary, a paragraph on how it works, the
// table of actions (allActions) and closing notes, a paragraph each.
struct HelpParts {
    std::string synopsis;
    std::string summary;
    std::string description;
    std::vector<std::string> notes;
};
const HelpParts& helpParts();

std::string helpText();
// "tsl (Tessaloom) 1.1"
std::string versionText();

} // namespace tsl::cli
