#include "input/text_line_reader.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tsl;
using namespace tsl::testing;

// Lines as a text-mode stream hands them to a buffer of `limit` characters.
TEST(TextLineReader, LineEndsPiecesAndNulBytes)
{
    using Lines = std::vector<std::string>;
    struct Case { std::string file; std::size_t limit; Lines lines; };
    const Case cases[] = {
        {"one\r\ntwo\nthree\r\r\nfour\rfive\r", 100, {"one\n", "two\n", "three\r\n", "four\rfive\r"}},
        {"abcdefgh\r\nxy\n", 5, {"abcde", "fgh\n", "xy\n"}},
        {"abcde\r\nz", 5, {"abcde", "\n", "z"}}, // a CR LF just past the limit is the next piece's "\n"
        {"abcd\r\n", 5, {"abcd\n"}},
        {std::string("ab\0cd\nef\n", 9), 100, {"ab", "ef\n"}}, // a NUL hides the rest of its line
        {"", 10, {}},
    };
    TempDir dir;
    for (const Case& k : cases) {
        writeFile(dir.file("a"), k.file);
        TextLineReader reader;
        ASSERT_TRUE(reader.open(dir.file("a")));
        for (int pass = 0; pass < 2; ++pass, reader.rewind()) {
            std::vector<char> buffer(k.limit + 1, 'x');
            Lines lines;
            std::size_t length = 0;
            while (reader.readLine(buffer.data(), k.limit, length) && lines.size() < 10) {
                EXPECT_EQ(buffer[length], '\0');
                lines.emplace_back(buffer.data(), length);
            }
            EXPECT_EQ(lines, k.lines) << k.file.substr(0, 40);
        }
    }
    TextLineReader reader;
    EXPECT_FALSE(reader.open(dir.file("missing")));
    EXPECT_FALSE(reader.open(dir.path())); // a folder
}
