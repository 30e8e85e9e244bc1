// An action that fails on an exception, in a tsl session of this process.
#include "cli/action.h"
#include "cli/cli_session.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace tsl::cli;
using tsl::testing::TempDir;

namespace {

// The action of that name with its values, as the parser makes it.
ParsedAction parsed(const std::string& name, std::vector<std::string> values)
{
    ParsedAction action;
    for (const ActionDefinition& definition : allActions())
        if (definition.name == name)
            action.definition = &definition;
    EXPECT_NE(action.definition, nullptr) << name;
    action.values = std::move(values);
    return action;
}

} // namespace

TEST(CliSession, AnActionThatThrowsIsLoggedTheNextOneRunsAndTheStatusIs1)
{
    const ActionDefinition failing{"--fail", ArgumentKind::None, 0, "", "", [](CliSession& s, const ParsedAction&) {
                                       s.setBatch({"a.csv"});
                                       throw std::runtime_error("disk on fire");
                                   }};
    const ActionDefinition next{"--next", ArgumentKind::None, 0, "", "",
                                [](CliSession& s, const ParsedAction&) { s.context().log().append("next action"); }};
    std::FILE* out = std::tmpfile();
    {
        CliSession session(out, stderr);
        for (const ActionDefinition* definition : {&failing, &next}) {
            ParsedAction action;
            action.definition = definition;
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

// The folder for prepared copies holds for every later import of its run, and
// a new run starts with none: the copies go beside their originals again.
TEST(CliSession, TheImportFolderHoldsForTheRestOfItsRunOnly)
{
    TempDir dir;
    for (const char* name : {"a.csv", "b.csv", "c.csv"})
        tsl::testing::writeFile(dir.file(name), "Time,Flow\n2022-03-01 10:00:00,4\n");
    std::FILE* out = std::tmpfile();
    {
        CliSession session(out, stderr);
        session.run(parsed("--import-folder", {dir.file("copies")}));
        session.run(parsed("--import", {dir.file("a.csv")}));
        session.run(parsed("--clear", {}));
        session.run(parsed("--import", {dir.file("b.csv")}));
        EXPECT_EQ(session.finish(), 0);
    }
    {
        CliSession session(out, stderr);
        session.run(parsed("--import", {dir.file("c.csv")}));
        EXPECT_EQ(session.finish(), 0);
    }
    std::fclose(out);
    for (const char* copy : {"copies/a.import.csv", "copies/b.import.csv", "c.import.csv"})
        EXPECT_TRUE(tsl::testing::fileExists(dir.file(copy))) << copy;
}
