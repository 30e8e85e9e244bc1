#pragma once

#include "app/tool_settings.h"

#include <string>
#include <string_view>

namespace tsl {

// A day as its nodes name it: the key texts of its year, month and day nodes.
struct NodeDate {
    std::string_view year;
    std::string_view month;
    std::string_view day;
};

// A day as a calendar date, for output dated from a chosen start date.
struct CalendarDate {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;
};

// What goes before the minute of an output line: date, separator and hour in
// one of the thirteen layouts. Node texts shorter than their field are padded
// with blanks on the left, numbers with zeros. An unknown layout is written
// as the first one.
std::string prefixFromNodes(DateFormatId format, const NodeDate& date, std::string_view hour,
                            std::string_view separator);
std::string prefixFromDate(DateFormatId format, const CalendarDate& date, std::string_view hour,
                           std::string_view separator);

// The date in the name of a split file: "%02s%02s%02s" of the node texts
// (a four-digit year), or "%02d%02d%02d" of year - 2000, month and day.
std::string fileDateText(const NodeDate& date);
std::string fileDateText(const CalendarDate& date);

// ":" for layouts whose time reads hh:mm:ss, "" for those that run it together.
std::string_view timeSeparatorFor(DateFormatId format);

} // namespace tsl
