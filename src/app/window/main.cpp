#include "app/time_zone.h"
#include "app/window/corvane_app.h"
#include "app/window/display_check.h"
#include "app/window_command_line.h"

#include <cstdio>

int main(int argc, char** argv)
{
    // --version and --help need no display; Qt's own options are known only
    // to the application object, so everything else is looked at after it.
    const tsl::WindowCommandLine early = tsl::parseWindowCommandLine({argv + 1, argv + argc});
    if (early.help || early.version) {
        std::fputs((early.help ? tsl::windowHelpText() : tsl::windowVersionText()).c_str(), stdout);
        return 0;
    }
    if (!tsl::displayAvailable()) {
        std::fputs(tsl::noDisplayMessage().c_str(), stderr);
        return 1;
    }
    tsl::pinLocalTimeZone();
    tsl::CCorvaneApp app(argc, argv);
    std::vector<std::string> arguments;
    for (const QString& argument : app.arguments().mid(1))
        arguments.push_back(argument.toStdString());
    const tsl::WindowCommandLine commandLine = tsl::parseWindowCommandLine(arguments);
    if (!commandLine.error.empty()) {
        std::fprintf(stderr, "tessaloom: %s\nTry 'tessaloom --help'.\n", commandLine.error.c_str());
        return 2;
    }
    app.InitInstance(commandLine.files);
    return 0;
}
