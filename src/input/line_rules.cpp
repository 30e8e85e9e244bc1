#include "input/line_rules.h"

namespace tsl {

namespace {

constexpr std::string_view skipWords[] = {"AMP",  "CCT", "CYCLE",   "RPT", "ACTIVE", "READY", "Wrapper",
                                          "Date", "BLD", "data",    "DISPLAY", "DIE", "ARIA"};

bool contains(std::string_view text, std::string_view word)
{
    return text.find(word) != std::string_view::npos;
}

bool contains(std::string_view text, char c)
{
    return text.find(c) != std::string_view::npos;
}

} // namespace

bool isPassedOverLine(std::string_view line)
{
    for (std::string_view word : skipWords)
        if (contains(line, word))
            return true;
    return line.size() < 15 || contains(line, "LABEL");
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
