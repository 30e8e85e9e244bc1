// An action that fails on an exception, in a tsl session of this process.
#include "cli/action.h"
#include "cli/cli_session.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tsl::cli;

TEST(CliSession, AnActionThatThrowsIsLoggedTheNextOneRunsAndTheStatusIs1)
{
    const ActionSpec failing{"--fail", ArgumentKind::None, 0, "", "", [](CliSession& s, const ParsedAction&) {
                                 s.setBatch({"a.csv"});
                                 throw std::runtime_error("disk on fire");
                             }};
    const ActionSpec next{"--next", ArgumentKind::None, 0, "", "",
                          [](CliSession& s, const ParsedAction&) { s.context().log().append("next action"); }};
    std::FILE* out = std::tmpfile();
    {
        CliSession session(out, stderr);
        for (const ActionSpec* spec : {&failing, &next}) {
            ParsedAction action;
            action.definition = spec;
            session.run(action);
        }
        EXPECT_EQ(session.finish(), 1);
        const auto& lines = session.context().log().lines();
        EXPECT_EQ(lines[lines.size() - 2], "ERROR- --fail failed on an unexpected error (disk on fire) and was ended "
                                           "there; what it had done stays as it is.");
        EXPECT_EQ(lines.back(), "next action");
    }
    std::fclose(out);
}
