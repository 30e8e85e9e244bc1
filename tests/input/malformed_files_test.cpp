#include "input/csv_reader.h"
#include "input/label_templates.h"

#include "input/reading_helpers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#ifndef TSL_SHARED_DATA_DIR
#define TSL_SHARED_DATA_DIR ""
#endif

namespace tsl {
namespace {

using namespace tsl::testing;

// Files no logger should write: each gives log lines and a result, and stays
// inside its buffers (the sanitizer build checks that part).
class Malformed : public ::testing::Test {
protected:
    ReadResult read(const std::string& content)
    {
        writeFile(dir.file("bad.csv"), content);
        ReadResult result = readDataFile(c, dir.file("bad.csv"));
        EXPECT_FALSE(c.newLines().empty());
        return result;
    }
    ZoneScope zone{"UTC"};
    TempDir dir;
    ScriptedContext c;
};

TEST_F(Malformed, BinaryBytes)
{
    std::mt19937 random(3);
    for (int round = 0; round < 20; ++round) {
        std::string bytes(5000, '\0');
        for (char& b : bytes)
            b = static_cast<char>(random());
        // Some rounds look like a file at first sight.
        if (round % 2)
            bytes = "Date,Time,T1,T2\n01/02/2015,10:00:00," + bytes;
        read(bytes);
        c.editSettings().dateFormat = static_cast<int>(random() % 13);
    }
}

TEST_F(Malformed, VeryLongLinesAreReadInPieces)
{
    // The first piece holds a number too big for a float; the last piece
    // ("777...,1") has no date that any layout can read, which ends the read.
    std::string longField(100000, '7');
    EXPECT_EQ(read("Date,Time,T1,T2\n01/02/2015,10:00:00," + longField + ",1\n01/02/2015,10:01:00,2,3\n"),
              ReadResult::Failed);
    EXPECT_EQ(cells(dataline(c.tree(), "2015", "01", "02", "10", "00:00")),
              (std::vector<std::string>{"T1=  inf", "T2="}));
    EXPECT_EQ(c.newLines().back(), "ERROR- could not read date from file.  Check correct format is selected.");
    // Pieces without a delimiter are passed over.
    std::string text(100000, 'x');
    EXPECT_EQ(read("Date,Time,T1\n" + text + "\n01/02/2015,10:01:00,2\n"), ReadResult::Finished);
    std::string longHeader = "Date,Time," + std::string(100000, 'H') + "\n";
    read(longHeader + "01/02/2015,10:00:00,1\n");
}

TEST_F(Malformed, DatesOutOfRangeEverywhere)
{
    c.reading().readInProgress = 1;
    EXPECT_EQ(read("Date,Time,T1\n99/99/9999,99:99:99,1\n"), ReadResult::Failed);
    ScriptedContext fresh;
    writeFile(dir.file("b.csv"), "Date,Time,T1\n01/02/2015,-5:-70:-10,1\n01/02/2015,2147483647:5:5,1\n");
    EXPECT_NE(readDataFile(fresh, dir.file("b.csv")), ReadResult::Stopped);
}

TEST_F(Malformed, HeaderOnlyAndEmptyAndBlankLines)
{
    EXPECT_EQ(read("Date,Time,T1\n"), ReadResult::Finished);
    EXPECT_EQ(read(""), ReadResult::Failed);
    EXPECT_EQ(read("\n\n\n"), ReadResult::Failed);
    EXPECT_EQ(read(",\n,,,,,,,,,,,,,,,,,,,,,,,,,\n"), ReadResult::Failed);
}

TEST_F(Malformed, TemplatesFromStrangeFiles)
{
    for (const std::string& content : {std::string(), std::string(50000, ','), std::string("\0\0,\0", 4),
                                       std::string("x,") + std::string(20000, 'y')}) {
        writeFile(dir.file("t.csv"), content);
        c.chooseFiles({dir.file("t.csv")});
        OnReadLabelTemplate(c);
        c.chooseFiles({dir.file("t.csv")});
        OnSetOutputTemplate(c);
    }
    EXPECT_FALSE(c.newLines().empty());
}

// Real exports from building systems: whatever the reader makes of them, it
// says so and finishes.
TEST(RealExports, EveryFileGivesLogLinesAndAResult)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::path(TSL_SHARED_DATA_DIR) / "real";
    if (!fs::is_directory(root))
        GTEST_SKIP() << "no real exports at " << root;
    ZoneScope zone("America/Chicago");
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".csv")
            continue;
        ++files;
        for (int format : {1, 4, 10}) {
            ScriptedContext c;
            c.editSettings().dateFormat = format;
            c.reading().readInProgress = 1;
            ReadResult result = readDataFile(c, entry.path().string());
            EXPECT_FALSE(c.newLines().empty()) << entry.path();
            EXPECT_NE(result, ReadResult::Stopped) << entry.path();
        }
    }
    EXPECT_GT(files, 0);
}

} // namespace
} // namespace tsl
