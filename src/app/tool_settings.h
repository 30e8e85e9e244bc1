#pragma once

#include <array>
#include <ctime>
#include <string>
#include <string_view>

namespace tsl {

// Grid step of the merged data (index into the interval list).
enum class DataInterval : int { None = 0, Sec10, Min1, Min2, Min5, Min10, Min15 };
// How the readings of one grid step become one value.
enum class ReductionMode : int { Averaging = 0, Sampling = 1 };
// Index 0..12 into the table of date and time layouts, for reading and writing.
using DateFormatId = int;

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const TimeOfDay&) const = default;
};

// The choices that decide how data is read, aligned, reduced and written, as
// the window's controls show them at the moment they are read.
struct ToolSettings {
    DataInterval interval = DataInterval::Min1;
    ReductionMode reduction = ReductionMode::Averaging;
    DateFormatId dateFormat = 1;
    bool timeDelimiter = true;
    // The delimiter edit's whole text; only its first character is the delimiter.
    std::string delimiter = ",";
    int splitDays = 0;
    bool bracketEnabled = false;
    TimeOfDay bracketStart{7, 0, 0};
    TimeOfDay bracketEnd{18, 0, 0};
    bool writeDateFrom = false;
    std::time_t writeStartDate = 0; // local date and time shown by the picker
    bool lineLabelled = false;
    int conversion = 0;
    std::string conversionColumn = "TEMP";
    // Decimals of the readings the reader stores (0 to maxDecimals). At 2
    // readings are single precision and written "%5.2f"; otherwise they are
    // kept in double precision and written with this many decimals.
    int decimals = 2;
    // Place years and datalines at their place in time rather than in the
    // order they were first met.
    bool sortRows = false;
};

// Item texts of the drop-down lists, in list order.
inline constexpr std::array<std::string_view, 7> intervalItems{
    "No Interval", "10 Sec", "1 Min", "2 Min", "5 Min", "10 Min", "15 Min"};
inline constexpr std::array<std::string_view, 2> reductionItems{"Average Data", "Sample Data"};
inline constexpr std::array<std::string_view, 13> dateFormatItems{
    "DD/MM/YYYY",       "MM/DD/YYYY",         "DD/MM/YY",          "MM/DD/YY",
    "YYYY/MM/DD",       "YYMMDD-hh:mm:ss",    "YYYYMMDD-hh:mm:ss", "YYYYMMDD-hhmmss",
    "YYYYMMDD-hhmmss(x2-1)", "YYYYMMDD-hhmmss(x2-2)", "YYYY-MM-DDThh:mm:ssZ",
    "YYYYMMDDThhmmssZ", "YYMMDD, HHMMSS"};
inline constexpr std::array<std::string_view, 8> splitItems{
    "Do not split", "1 day", "2 days", "3 days", "4 days", "5 days", "6 days", "7 days"};
inline constexpr std::array<std::string_view, 7> conversionItems{
    "F -> K", "CFM -> Kg/s", "F -> C", "CFM -> L/s", "K -> C", "Kg/s -> L/s", "Percent -> Fraction"};

inline constexpr int maxDecimals = 6;

// The layout whose date and time form one field joined by 'T'.
inline constexpr DateFormatId isoDateFormat = 10;

} // namespace tsl
