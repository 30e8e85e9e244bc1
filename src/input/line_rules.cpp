#include "input/line_rules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tsl {

namespace {

bool contains(std::string_view text, char c)
{
    return text.find(c) != std::string_view::npos;
}

// Whether one of the words that mark a line to pass over starts at i.
bool skipWordAt(std::string_view line, std::size_t i)
{
    const std::string_view rest = line.substr(i);
    switch (line[i]) {
    case 'A':
        return rest.starts_with("AMP") || rest.starts_with("ACTIVE") || rest.starts_with("ARIA");
    case 'B':
        return rest.starts_with("BLD");
    case 'C':
        return rest.starts_with("CCT") || rest.starts_with("CYCLE");
    case 'D':
        return rest.starts_with("Date") || rest.starts_with("DISPLAY") || rest.starts_with("DIE");
    case 'L':
        return rest.starts_with("LABEL");
    case 'R':
        return rest.starts_with("RPT") || rest.starts_with("READY");
    case 'W':
        return rest.starts_with("Wrapper");
    case 'd':
        return rest.starts_with("data");
    default:
        return false;
    }
}

} // namespace

// The words are AMP, CCT, CYCLE, RPT, ACTIVE, READY, Wrapper, Date, BLD,
// data, DISPLAY, DIE, ARIA and LABEL. Each starts with a letter, and a line of
// readings mostly holds none: eight bytes at a time are passed over while
// none of them is 'A' or above.
bool isPassedOverLine(std::string_view line)
{
    if (line.size() < 15)
        return true;
    std::size_t i = 0;
    while (i < line.size()) {
        if (line.size() - i >= 8) {
            std::uint64_t word;
            std::memcpy(&word, line.data() + i, 8);
            // The high bit of a byte that is 'A' (0x41) or above, or of one
            // after such a byte.
            if ((((word + 0x3F3F3F3F3F3F3F3Fu) | word) & 0x8080808080808080u) == 0) {
                i += 8;
                continue;
            }
        }
        for (const std::size_t end = std::min(i + 8, line.size()); i < end; ++i)
            if (skipWordAt(line, i))
                return true;
    }
    return false;
}

LineDelimiter delimiterOfLine(char current, std::string_view line)
{
    if (contains(line, current))
        return {current, false};
    if (contains(line, ';'))
        return {';', false};
    return {',', !contains(line, ',')};
}

} // namespace tsl
