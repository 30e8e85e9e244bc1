#include "app/safe_file.h"
#include "output/sample_data.h"

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tsl;
using namespace tsl::testing;

namespace {

using Temporary = SafeFileWriter::Temporary;

bool write(const std::string& path, const std::string& text, Temporary kind, bool asNew = false)
{
    SafeFileWriter writer(path);
    if (!writer.open(kind))
        return false;
    std::fputs(text.c_str(), writer.file());
    return asNew ? writer.commitAsNew(path) : writer.commit();
}

} // namespace

// Whether its temporary file has a name or not: names of up to 255 bytes
// save, and a file that must be new never replaces one.
TEST(SafeFile, LongNamesSaveAndNewFilesReplaceNothing)
{
    for (Temporary kind : {Temporary::Unnamed, Temporary::Named}) {
        TempDir dir;
        for (std::size_t length : {246u, 255u}) {
            const std::string path = dir.file(std::string(length - 4, 'n') + ".csv");
            ASSERT_TRUE(write(path, "first", kind) && write(path, "second", kind)) << length;
            EXPECT_EQ(readFile(path), "second");
            EXPECT_FALSE(write(path, "third", kind, true));
            EXPECT_EQ(readFile(path), "second");
        }
        EXPECT_TRUE(write(dir.file("new.csv"), "new", kind, true));
        EXPECT_FALSE(write(dir.file(std::string(256, 'n')), "x", kind));
        EXPECT_EQ(filesIn(dir.path()).size(), 3u); // no temporary file left
    }
}

// A killed save leaves no file at all when the temporary file has no name; a
// named one is removed by a later save in that folder once it is old and no
// running save holds it.
TEST(SafeFile, KilledSavesLeaveNothingForLong)
{
    TempDir dir;
    auto killedSave = [&](Temporary kind) {
        if (::fork() == 0) {
            SafeFileWriter writer(dir.file("out.csv"));
            writer.open(kind);
            ::_exit(0); // no destructor runs: as when killed
        }
        ::wait(nullptr);
    };
    killedSave(Temporary::Unnamed);
    EXPECT_TRUE(filesIn(dir.path()).empty());
    killedSave(Temporary::Named);
    const Lines left = filesIn(dir.path());
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].substr(0, 16), ".tessaloom-save-");

    SafeFileWriter running(dir.file("other.csv"));
    ASSERT_TRUE(running.open(Temporary::Named));
    for (const std::string& name : filesIn(dir.path())) {
        const timeval hourAgo[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
        ::utimes(dir.file(name).c_str(), hourAgo);
    }
    ASSERT_TRUE(write(dir.file("out.csv"), "new", Temporary::Named));
    EXPECT_EQ(filesIn(dir.path()).size(), 2u); // the running save's temporary file and out.csv
    EXPECT_TRUE(running.commit());
    EXPECT_EQ(filesIn(dir.path()), (Lines{"other.csv", "out.csv"}));
}
