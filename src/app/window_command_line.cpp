#include "app/window_command_line.h"

#include "app/version.h"

namespace tsl {

WindowCommandLine parseWindowCommandLine(const std::vector<std::string>& arguments)
{
    WindowCommandLine parsed;
    bool options = true;
    for (const std::string& argument : arguments) {
        if (options && argument == "--") {
            options = false;
        } else if (options && argument == "--version") {
            parsed.version = true;
        } else if (options && (argument == "--help" || argument == "-h")) {
            parsed.help = true;
        } else if (options && argument.size() > 1 && argument[0] == '-') {
            if (parsed.error.empty())
                parsed.error = "unknown option " + argument;
        } else if (!argument.empty()) {
            parsed.files.push_back(argument);
        }
    }
    return parsed;
}

const WindowHelp& windowHelp()
{
    static const WindowHelp help{
        "tessaloom [OPTION ...] [FILE ...]",
        "Merges building trend logs onto one time grid, in a window.",
        "Tessaloom reads the delimited text files of data loggers and building controllers, puts every reading "
        "on one time grid, and writes one merged CSV file or Excel workbook. Each FILE named is read once the "
        "window is open, as if it had been dropped on the window; the batch front end tsl runs the same "
        "commands from a script.",
        {{"--version", "print the version and end"},
         {"--help", "print this text and end"},
         {"--", "take every argument after it as a file name"}}};
    return help;
}

std::string windowHelpText()
{
    const WindowHelp& help = windowHelp();
    std::string text = "Usage: " + help.synopsis + "\n" + help.summary + "\n\n";
    for (const auto& [option, what] : help.options)
        text += "  " + option + std::string(option.size() < 12 ? 12 - option.size() : 1, ' ') + what + "\n";
    return text;
}

std::string windowVersionText()
{
    return "tessaloom (Tessaloom) " + std::string(programVersion()) + "\n";
}

} // namespace tsl
