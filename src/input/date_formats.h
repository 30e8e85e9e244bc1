#pragma once

#include "app/tool_settings.h"
#include "input/local_time.h"

#include <array>
#include <ctime>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tsl {

class CommandContext;

// Slash layouts carry the date as numbers between '/' and the time in a
// field of its own or after a blank; fixed layouts put every field at a fixed
// character position.
enum class DateFamily { Slash, Fixed };

struct DateLayout {
    std::string_view label;
    DateFamily family;
    // Fields the date and time take at the start of a line (and of the header).
    int leadingColumns;
    // Width of the year in the fixed layouts; 0 for the slash layouts, which
    // read whatever digits are there.
    int yearDigits;
};

// The thirteen layouts, indexed by DateFormatId, for reading and writing.
inline constexpr std::array<DateLayout, 13> dateLayouts{{
    {"DD/MM/YYYY", DateFamily::Slash, 2, 0},
    {"MM/DD/YYYY", DateFamily::Slash, 2, 0},
    {"DD/MM/YY", DateFamily::Slash, 2, 0},
    {"MM/DD/YY", DateFamily::Slash, 2, 0},
    {"YYYY/MM/DD", DateFamily::Slash, 2, 0},
    {"YYMMDD-hh:mm:ss", DateFamily::Fixed, 1, 2},
    {"YYYYMMDD-hh:mm:ss", DateFamily::Fixed, 1, 4},
    {"YYYYMMDD-hhmmss", DateFamily::Fixed, 1, 4},
    {"YYYYMMDD-hhmmss(x2-1)", DateFamily::Fixed, 2, 4},
    {"YYYYMMDD-hhmmss(x2-2)", DateFamily::Fixed, 2, 4},
    {"YYYY-MM-DDThh:mm:ssZ", DateFamily::Fixed, 1, 4},
    {"YYYYMMDDThhmmssZ", DateFamily::Fixed, 1, 4},
    {"YYMMDD, HHMMSS", DateFamily::Fixed, 2, 2},
}};

// Leading fields of a layout; an index outside the table counts as two.
int leadingColumns(DateFormatId format);

// Date and time as read from one line. The last field is always 0.
struct DateTimeFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int reserved = 0;
};

// Reads the date and time at the start of a NUL-terminated line in the layout
// the date format list shows now. Returns where the first reading starts, or
// nullptr after logging why the line does not fit. May trim the input
// template once (lines with a 21-character lead field) and may throw
// LocalTimeError while applying a UTC offset. In the fixed layouts an empty
// first reading field is passed over, so that the line's readings move one
// column to the left; emptyFirstField, when given, tells whether that happened.
const char* parseDateTime(CommandContext& context, const char* line, DateTimeFields& fields,
                          bool* emptyFirstField = nullptr);
// The same for a line whose length is known: line.data() is NUL-terminated
// and line holds the characters before that NUL.
const char* parseDateTime(CommandContext& context, std::string_view line, DateTimeFields& fields,
                          bool* emptyFirstField = nullptr);

// "Thursday, January 01, 2015": the local date of a time with English names
// whatever the locale. Throws LocalTimeError when the time cannot be converted.
std::string formatDay(std::time_t time);

} // namespace tsl
