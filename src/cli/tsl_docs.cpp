// Writes the manual pages of tsl and the window, or tsl's bash completion,
// from the same help texts and table of actions that the programs use, so
// that they cannot drift.
//   tsl_docs tsl.1|tessaloom.1|completion
#include "cli/bash_completion.h"
#include "cli/manual_page.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const std::string what = argc == 2 ? argv[1] : "";
    std::string text;
    if (what == "tsl.1")
        text = tsl::cli::tslManualPage();
    else if (what == "tessaloom.1")
        text = tsl::cli::windowManualPage();
    else if (what == "completion")
        text = tsl::cli::bashCompletion();
    else {
        std::fputs("usage: tsl_docs tsl.1|tessaloom.1|completion\n", stderr);
        return 2;
    }
    std::fputs(text.c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
