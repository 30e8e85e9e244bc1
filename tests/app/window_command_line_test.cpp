#include "app/window_command_line.h"

#include <gtest/gtest.h>

using namespace tsl;

TEST(WindowCommandLine, FilesOptionsAndTheirEnd)
{
    struct Case {
        std::vector<std::string> arguments;
        bool version, help;
        std::vector<std::string> files;
        std::string error;
    };
    const Case cases[] = {
        {{}, false, false, {}, ""},
        {{"a.csv", "/data/b.csv"}, false, false, {"a.csv", "/data/b.csv"}, ""},
        {{"--version", "a.csv"}, true, false, {"a.csv"}, ""},
        {{"-h"}, false, true, {}, ""},
        {{"--", "--version", "-x.csv", ""}, false, false, {"--version", "-x.csv"}, ""},
        {{"-", "a.csv"}, false, false, {"-", "a.csv"}, ""}, // a lone dash is a name
        {{"--frobnicate", "-q", "a.csv"}, false, false, {"a.csv"}, "unknown option --frobnicate"},
    };
    for (const Case& k : cases) {
        const WindowCommandLine parsed = parseWindowCommandLine(k.arguments);
        const std::string what = k.arguments.empty() ? "(none)" : k.arguments.front();
        EXPECT_EQ(parsed.version, k.version) << what;
        EXPECT_EQ(parsed.help, k.help) << what;
        EXPECT_EQ(parsed.files, k.files) << what;
        EXPECT_EQ(parsed.error, k.error) << what;
    }
}
