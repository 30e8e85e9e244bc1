#include "input/text_line_reader.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tsl {
namespace {

using testing::TempDir;
using testing::writeFile;

std::vector<std::string> readAll(const std::string& path, std::size_t limit)
{
    TextLineReader reader;
    EXPECT_TRUE(reader.open(path));
    std::vector<char> buffer(limit + 1, 'x');
    std::vector<std::string> lines;
    std::size_t length = 0;
    while (reader.readLine(buffer.data(), limit, length)) {
        EXPECT_EQ(buffer[length], '\0');
        lines.emplace_back(buffer.data(), length);
        EXPECT_LT(lines.size(), 100000u);
    }
    return lines;
}

TEST(TextLineReader, LineEndsArriveAsOneNewline)
{
    TempDir dir;
    writeFile(dir.file("a"), "one\r\ntwo\nthree\r\r\nfour\rfive\r");
    EXPECT_EQ(readAll(dir.file("a"), 100),
              (std::vector<std::string>{"one\n", "two\n", "three\r\n", "four\rfive\r"}));
}

TEST(TextLineReader, LongLinesComeInPiecesOfTheLimit)
{
    TempDir dir;
    writeFile(dir.file("a"), "abcdefgh\r\nxy\n");
    EXPECT_EQ(readAll(dir.file("a"), 5), (std::vector<std::string>{"abcde", "fgh\n", "xy\n"}));
    // A CR LF just past the limit still becomes the next piece's "\n".
    writeFile(dir.file("b"), "abcde\r\nz");
    EXPECT_EQ(readAll(dir.file("b"), 5), (std::vector<std::string>{"abcde", "\n", "z"}));
    writeFile(dir.file("c"), "abcd\r\n");
    EXPECT_EQ(readAll(dir.file("c"), 5), (std::vector<std::string>{"abcd\n"}));
}

TEST(TextLineReader, VeryLongLinesAcrossTheBuffer)
{
    TempDir dir;
    std::string line(200000, 'q');
    writeFile(dir.file("a"), line + "\r\nend\n");
    std::vector<std::string> lines = readAll(dir.file("a"), 19989);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0].size(), 19989u);
    EXPECT_EQ(lines[10], std::string(200000 - 10 * 19989, 'q') + "\n");
    EXPECT_EQ(lines[11], "end\n");
}

TEST(TextLineReader, ANulByteHidesTheRestOfItsLine)
{
    TempDir dir;
    writeFile(dir.file("a"), std::string("ab\0cd\nef\n", 9));
    EXPECT_EQ(readAll(dir.file("a"), 100), (std::vector<std::string>{"ab", "ef\n"}));
}

TEST(TextLineReader, RewindAndFailures)
{
    TempDir dir;
    writeFile(dir.file("a"), "1\n2\n");
    TextLineReader reader;
    EXPECT_FALSE(reader.open(dir.file("missing")));
    EXPECT_FALSE(reader.open(dir.path())); // a folder
    ASSERT_TRUE(reader.open(dir.file("a")));
    char line[8];
    std::size_t length;
    ASSERT_TRUE(reader.readLine(line, 7, length));
    ASSERT_TRUE(reader.readLine(line, 7, length));
    EXPECT_STREQ(line, "2\n");
    EXPECT_FALSE(reader.readLine(line, 7, length));
    ASSERT_TRUE(reader.rewind());
    ASSERT_TRUE(reader.readLine(line, 7, length));
    EXPECT_STREQ(line, "1\n");
    writeFile(dir.file("empty"), "");
    EXPECT_TRUE(readAll(dir.file("empty"), 10).empty());
}

} // namespace
} // namespace tsl
