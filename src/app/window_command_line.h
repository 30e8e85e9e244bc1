#pragma once

#include <string>
#include <vector>

namespace tsl {

// The window's command line: --version, --help, and data files to read once
// the window is open, as if they had been dropped on it ("--" ends the
// options, so that a file may begin with a dash).
struct WindowCommandLine {
    bool version = false;
    bool help = false;
    std::vector<std::string> files;
    std::string error; // an unknown option
};

WindowCommandLine parseWindowCommandLine(const std::vector<std::string>& arguments);

// What `tessaloom --help` says, which its manual page is written from too.
struct WindowHelp {
    std::string synopsis;
    std::string summary;
    std::string description;
    std::vector<std::pair<std::string, std::string>> options; // option, what it does
};
const WindowHelp& windowHelp();
std::string windowHelpText();
// "tessaloom (Tessaloom) 1.1"
std::string windowVersionText();

} // namespace tsl
