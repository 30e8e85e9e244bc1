#include "app/command_guard.h"
#include "support/scripted_context.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tsl;
using namespace tsl::testing;

// No exception leaves a command: it is logged as the command's failure. A
// read the command had started ends, the window idle again; a read that the
// failed command ran inside is left to its own command.
TEST(CommandGuard, AnExceptionEndsOnlyTheCommandItLeft)
{
    struct Case { bool standard; bool insideRead; std::string reason; };
    const Case cases[] = {{true, false, "no room"}, {false, false, "an exception of an unknown kind"},
                          {true, true, "no room"}};
    for (const Case& k : cases) {
        ScriptedContext c;
        if (k.insideRead) {
            c.reading().readInProgress = 1;
            setReadingState(c, true);
        }
        const bool done = runGuarded(c, "Read CSV Data", [&] {
            c.reading().readInProgress = 1;
            c.reading().stopRequested = 1;
            setReadingState(c, true);
            if (k.standard)
                throw std::runtime_error("no room");
            throw 7;
        });
        EXPECT_FALSE(done);
        EXPECT_EQ(c.newLines(), std::vector<std::string>{"ERROR- Read CSV Data failed on an unexpected error (" +
                                                         k.reason + ") and was ended there; what it had done stays "
                                                                    "as it is."});
        EXPECT_EQ(*c.log().selected(), c.log().size() - 1);
        EXPECT_EQ(c.reading().readInProgress, k.insideRead ? 1 : 0);
        EXPECT_EQ(c.reading().stopRequested, k.insideRead ? 1 : 0);
        EXPECT_EQ(c.controlText(ControlId::ReadCsvData), k.insideRead ? "Stop Reading" : "&Read CSV Data");
        EXPECT_EQ(c.isEnabled(ControlId::SaveToCsv), !k.insideRead);
    }
    ScriptedContext quiet;
    EXPECT_TRUE(runGuarded(quiet, "Preview Data", [] {}));
    EXPECT_TRUE(quiet.newLines().empty());
}
