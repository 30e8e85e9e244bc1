#pragma once

#include <string_view>

namespace tsl {

// Lines of status reports and repeated headers that loggers mix into their
// data, recognised by their words, and lines too short to hold a reading:
// the reader passes them over without counting them.
bool isPassedOverLine(std::string_view line);

// The delimiter a data line is read with. A line without the current one
// switches the file to ';' when it holds one, else to ','; a line with
// neither is passed over (and the file goes on with ',').
struct LineDelimiter {
    char delimiter;
    bool passOver;
};
LineDelimiter delimiterOfLine(char current, std::string_view line);

} // namespace tsl
