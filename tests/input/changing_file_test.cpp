// A logger may still be writing the file being read, or the file may be cut
// short under the reader: the read ends with log lines and a result.
#include "input/reading_helpers.h"

#include <fstream>
#include <functional>
#include <unistd.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

std::string loggerLines(int first, int count)
{
    std::string text;
    for (int i = first; i < first + count; ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "03/02/2026,%02d:%02d:00,%d.5,%d.25\n", i / 60 % 24, i % 60, i % 40, i % 9);
        text += line;
    }
    return text;
}

} // namespace

TEST_F(ReadingTest, FileAppendedTruncatedOrOverwrittenWhileReadEndsWithAResult)
{
    const std::string path = dir.file("data.csv");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"appended", [&] { std::ofstream(path, std::ios::app) << loggerLines(2000, 500); }},
        {"truncated", [&] { ASSERT_EQ(::truncate(path.c_str(), 0), 0); }},
        {"cut mid-line", [&] { ASSERT_EQ(::truncate(path.c_str(), 5003), 0); }},
        {"overwritten with junk",
         [&] {
             std::string junk(70000, '\0');
             for (std::size_t i = 0; i < junk.size(); ++i)
                 junk[i] = static_cast<char>((i * 2654435761u) >> 13);
             writeFile(path, junk);
         }},
        {"removed", [&] { ::unlink(path.c_str()); }},
    };
    for (const auto& [what, change] : changes) {
        ScriptedContext context;
        context.setPumpHandler([&, pumps = 0]() mutable {
            if (++pumps == 100)
                change();
        });
        context.reading().readInProgress = 1;
        EXPECT_NE(read("Date,Time,A,B\n" + loggerLines(0, 1000), &context), ReadResult::Stopped) << what;
        bool summarised = false;
        for (const auto& line : context.newLines())
            summarised |= line.rfind("Done with file, read ", 0) == 0 || line.rfind("ERROR", 0) == 0;
        EXPECT_TRUE(summarised) << what;
    }
}
