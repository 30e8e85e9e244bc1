#include "app/command_guard.h"

#include "app/command_context.h"

#include <exception>
#include <string>

namespace tsl {

namespace {

void endFailedCommand(CommandContext& context, std::string_view command, const char* reason, bool wasReading)
{
    // A command that runs inside a read leaves the read to its own command.
    if (!wasReading) {
        ReadingState& reading = context.reading();
        reading.readInProgress = 0;
        reading.stopRequested = 0;
        setReadingState(context, false);
    }
    MessageLog& log = context.log();
    log.append("ERROR- " + std::string(command) + " failed on an unexpected error (" + reason +
               ") and was ended there; what it had done stays as it is.");
    log.showLast();
}

} // namespace

bool runGuarded(CommandContext& context, std::string_view command, const std::function<void()>& body)
{
    const bool wasReading = context.reading().busy();
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        try {
            endFailedCommand(context, command, error.what(), wasReading);
        } catch (...) {
        }
    } catch (...) {
        try {
            endFailedCommand(context, command, "an exception of an unknown kind", wasReading);
        } catch (...) {
        }
    }
    return false;
}

} // namespace tsl
