#include "input/export_text.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace tsl {
namespace {

using namespace tsl::testing;

std::string utf16(const std::string& ascii, bool bigEndian)
{
    std::string out;
    for (char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

std::vector<std::string> linesOf(const std::string& path, ExportEncoding* encoding = nullptr)
{
    ExportLines lines;
    std::string refusal;
    EXPECT_TRUE(lines.open(path, refusal)) << refusal;
    std::vector<std::string> out;
    std::string line;
    while (lines.next(line))
        out.push_back(line);
    if (encoding)
        *encoding = lines.encoding();
    return out;
}

// The lines read from the last up, each checked against its number.
std::vector<std::string> linesBackwardsOf(const std::string& path, std::size_t count)
{
    ExportLines lines;
    std::string refusal;
    EXPECT_TRUE(lines.openBackwards(path, count, refusal)) << refusal;
    std::vector<std::string> out;
    std::string line;
    while (lines.next(line)) {
        EXPECT_EQ(lines.lineNumber(), count - out.size());
        out.insert(out.begin(), line);
    }
    return out;
}

// Every encoding and line end an export arrives in comes out as the same
// UTF-8 lines.
TEST(ImportText, EncodingsAndLineEndsBecomeTheSameLines)
{
    const std::string text = "t,v\r1,2\r\n3,4\n";
    struct Case { std::string bytes; const char* described; };
    const Case cases[] = {
        {"t,v\r\n1,2\r\n3,4\r\n", "ASCII"},
        {"t,v\r1,2\r3,4\r", "ASCII, lines end with CR"},
        {"t,v\n1,2\n3,4", "ASCII"},
        {"\xEF\xBB\xBFt,v\n1,2\n3,4\n", "UTF-8 with byte order mark"},
        {"\xFF\xFE" + utf16("t,v\r\n1,2\r\n3,4\r\n", false), "UTF-16LE with byte order mark"},
        {"\xFE\xFF" + utf16("t,v\r1,2\r3,4\r", true), "UTF-16BE with byte order mark, lines end with CR"},
        {utf16("t,v\n1,2\n3,4\n", false), "UTF-16LE (no byte order mark)"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.described);
        writeFile(dir.file("e.csv"), c.bytes);
        ExportEncoding encoding;
        EXPECT_EQ(linesOf(dir.file("e.csv"), &encoding), (std::vector<std::string>{"t,v", "1,2", "3,4"}));
        EXPECT_EQ(encoding.describe(), c.described);
        EXPECT_EQ(linesBackwardsOf(dir.file("e.csv"), 3), (std::vector<std::string>{"t,v", "1,2", "3,4"}));
    }
    // Empty lines and line ends of every kind, read backwards, are the lines read forwards.
    for (const std::string bytes : {"\n", "a\r\r\nb", "\r\n\nx\r", "a\n\n\n"}) {
        writeFile(dir.file("e.csv"), bytes);
        const std::vector<std::string> forwards = linesOf(dir.file("e.csv"));
        EXPECT_EQ(linesBackwardsOf(dir.file("e.csv"), forwards.size()), forwards) << bytes;
    }
    // Degrees in UTF-8, in Latin-1, and a UTF-16 surrogate pair.
    writeFile(dir.file("e.csv"), "T \xC2\xB0""F\nT \xB0""F\n");
    ExportEncoding encoding;
    EXPECT_EQ(linesOf(dir.file("e.csv"), &encoding), (std::vector<std::string>{"T \xC2\xB0""F", "T \xC2\xB0""F"}));
    EXPECT_EQ(encoding.describe(), "UTF-8 with 1 Latin-1 line");
    writeFile(dir.file("e.csv"), std::string("\xFF\xFE\x3D\xD8\x00\xDE\n\0", 8));
    EXPECT_EQ(linesOf(dir.file("e.csv")), std::vector<std::string>{"\xF0\x9F\x98\x80"});
}

TEST(ImportText, LongLinesAreCutAndTheirRestPassedOver)
{
    TempDir dir;
    writeFile(dir.file("long.csv"), "a,b\n" + std::string(50000, 'x') + "\nc,d\n");
    ExportLines lines;
    std::string refusal, line;
    ASSERT_TRUE(lines.open(dir.file("long.csv"), refusal));
    ASSERT_TRUE(lines.next(line));
    EXPECT_FALSE(lines.lineCut());
    ASSERT_TRUE(lines.next(line));
    EXPECT_TRUE(lines.lineCut());
    EXPECT_EQ(line.size(), exportLineLimit);
    ASSERT_TRUE(lines.next(line));
    EXPECT_EQ(line, "c,d");
    EXPECT_EQ(lines.lineNumber(), 3u);

    ExportLines backwards;
    ASSERT_TRUE(backwards.openBackwards(dir.file("long.csv"), 3, refusal));
    for (const std::string expected : {"c,d", "", "a,b"}) {
        ASSERT_TRUE(backwards.next(line));
        EXPECT_EQ(backwards.lineCut(), expected.empty());
        if (!expected.empty()) {
            EXPECT_EQ(line, expected);
        }
    }
    EXPECT_FALSE(backwards.next(line));
}

// What the reader refuses at once, the import refuses at once: endless
// or sparse NUL bytes, and whatever is not a regular file.
TEST(ImportText, FilesThatAreNotTextAreRefusedAtOnce)
{
    TempDir dir;
    const std::string sparse = dir.file("sparse.csv");
    const int fd = ::open(sparse.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 5LL << 30), 0); // 5 GB of holes
    ::close(fd);
    writeFile(dir.file("empty.csv"), "");
    writeFile(dir.file("binary.csv"), std::string("t,v\n1,\0\0\0\x01\n", 12));
    struct Case { std::string path; const char* reason; };
    const Case cases[] = {
        {sparse, "only NUL bytes"},
        {"/dev/zero", "not a regular file"},
        {dir.path(), "folder"},
        {dir.file("empty.csv"), "empty"},
        {dir.file("binary.csv"), "NUL bytes"},
        {dir.file("missing.csv"), "cannot be opened"},
    };
    for (const Case& c : cases) {
        ExportLines lines;
        std::string refusal;
        EXPECT_FALSE(lines.open(c.path, refusal)) << c.path;
        EXPECT_NE(refusal.find(c.reason), std::string::npos) << c.path << ": " << refusal;
    }
}

} // namespace
} // namespace tsl
