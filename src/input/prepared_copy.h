#pragma once

#include "input/export_shape.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// The date layout of every prepared copy: "YYYY/MM/DD" in one column and the
// time in the next. It reads four-digit years as written, 1990 to 1999 too.
inline constexpr int preparedDateFormat = 4;

// What a cell of an export became in the prepared copy.
enum class CellOutcome { Number, Mapped, Missing, Blanked, Empty };

// A reading as the reader takes it: numbers unchanged (a decimal comma made a
// point), On/Off, True/False, Yes/No and the like as 1 and 0, missing markers
// (nan, ---, n/a) and any other text as an empty cell.
std::string preparedCell(std::string_view cell, bool decimalComma, CellOutcome& outcome);

// A column label that the label template and the reader's header read alike:
// no delimiter, no quotes, at least two bytes, ending in a byte from '0' up
// ("Temp, °C()" becomes "Temp [°C]", a unit in parentheses goes into
// brackets). A generic label such as "Value (°F)" takes the point's name.
std::string preparedLabel(std::string_view label, std::string_view pointName);

// The labels of one export's value columns, unique within the file.
std::vector<std::string> preparedLabels(const ExportShape& shape, std::string_view pointName);

// The point a one-point export holds, from its file name ("S-7_DA-T.csv").
std::string pointNameOf(const std::string& path);

struct PreparedStats {
    std::size_t rows = 0;
    std::optional<WallTime> first;
    std::optional<WallTime> last;
    long long typicalStep = 0; // seconds; the median step between rows
    std::size_t twelveHourTimes = 0;
    std::size_t mapped = 0;
    std::size_t missing = 0;
    std::size_t blanked = 0;
    std::set<std::string> blankedTexts; // the first few distinct ones
    std::map<std::string, std::size_t> dropped; // why -> lines
};

struct PreparedCopy {
    std::vector<std::string> labels;
    std::string text; // the whole file, CR LF line ends
    PreparedStats stats;
};

// Rewrites an export in its shape as a file the reader reads exactly:
// "Date,Time,<labels>" and then "YYYY/MM/DD,hh:mm:ss,<readings>" per line,
// keeping the wall clock the logger wrote.
PreparedCopy prepareCopy(const ExportShape& shape, std::string_view pointName);

// "2022-05-07 12:15:00"
std::string formatWallTime(const WallTime& time);
// "5 min", "30 s", "1 h 30 min", "1 day"
std::string formatStep(long long seconds);

// A path in folder for stem + ".csv" that replaces nothing: the first of
// stem.csv, stem-2.csv, ... that does not exist, is not reserved, or already
// holds exactly content. Empty when none of the first thousand is free.
std::string freePath(const std::string& folder, const std::string& stem, std::string_view content,
                     const std::set<std::string>& reserved);

// The prepared copy's path beside the source (or in folder when given).
std::string preparedCopyPath(const std::string& source, const std::string& folder, std::string_view content,
                             const std::set<std::string>& reserved);

// Writes content to path through a temporary file; false with the reason
// when that fails. A file that already holds exactly content is left alone.
bool writeWholeFile(const std::string& path, std::string_view content, std::string& error);

} // namespace tsl
