// A logger may still be writing the file being read, or the file may be cut
// short under the reader: the read ends with log lines and a result.
#include "input/csv_reader.h"
#include "support/scripted_context.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

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

struct Change {
    const char* what;
    std::function<void(const std::string& path)> apply;
};

} // namespace

TEST(ChangingFile, AppendedTruncatedOrOverwrittenWhileReadEndsWithAResult)
{
    const char* oldZone = std::getenv("TZ");
    std::string savedZone = oldZone ? oldZone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    const std::vector<Change> changes = {
        {"appended", [](const std::string& path) { std::ofstream(path, std::ios::app) << loggerLines(2000, 500); }},
        {"truncated", [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 0), 0); }},
        {"cut mid-line", [](const std::string& path) { ASSERT_EQ(::truncate(path.c_str(), 5003), 0); }},
        {"overwritten with junk",
         [](const std::string& path) {
             std::string junk(70000, '\0');
             for (std::size_t i = 0; i < junk.size(); ++i)
                 junk[i] = static_cast<char>((i * 2654435761u) >> 13);
             writeFile(path, junk);
         }},
        {"removed", [](const std::string& path) { ::unlink(path.c_str()); }},
    };
    for (const auto& change : changes) {
        TempDir dir;
        std::string path = dir.file("logger.csv");
        writeFile(path, "Date,Time,A,B\n" + loggerLines(0, 1000));
        ScriptedContext context;
        int pumps = 0;
        context.setPumpHandler([&] {
            if (++pumps == 100)
                change.apply(path);
        });
        context.reading().readInProgress = 1;
        tsl::ReadResult result = tsl::readDataFile(context, path);
        EXPECT_NE(result, tsl::ReadResult::Stopped) << change.what;
        const auto lines = context.newLines();
        ASSERT_FALSE(lines.empty()) << change.what;
        bool summarised = false;
        for (const auto& line : lines)
            summarised |= line.rfind("Done with file, read ", 0) == 0 || line.rfind("ERROR", 0) == 0;
        EXPECT_TRUE(summarised) << change.what;
    }
    if (oldZone)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}
