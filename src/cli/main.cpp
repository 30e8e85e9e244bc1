// tsl: the batch front end. Every argument is one user action of the window,
// carried out on the same core commands, with the log on standard output.
#include "cli/argument_parser.h"
#include "app/time_zone.h"
#include "cli/cli_session.h"

#include "tree/address_sanitizer.h"

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    auto commandLine = tsl::cli::parseCommandLine(arguments, error);
    if (!commandLine) {
        std::fprintf(stderr, "tsl: %s\nTry 'tsl --help'.\n", error.c_str());
        return 2;
    }
    if (commandLine->help) {
        std::fputs(tsl::cli::helpText().c_str(), stdout);
        return 0;
    }
    if (commandLine->version) {
        std::fputs(tsl::cli::versionText().c_str(), stdout);
        return 0;
    }
    tsl::pinLocalTimeZone();
    tsl::cli::installInterruptHandler();
    auto session = std::make_unique<tsl::cli::CliSession>(stdout, stderr);
    for (const auto& action : commandLine->actions)
        session->run(action);
    const int status = session->finish();
    if constexpr (!tsl::addressSanitizerBuild) {
        // Freeing a large tree node by node takes longer than anything else
        // the end of the process does, and its memory goes back with the
        // process anyway. Sanitizer builds free it, so that their leak check
        // ends clean.
        (void)session.release();
    }
    return status;
}
