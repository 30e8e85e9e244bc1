#pragma once

#include "app/tool_settings.h"
#include "input/export_scan.h"
#include "input/grid_reduction.h"

#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// The date layout of every prepared copy: "YYYY/MM/DD" in one column and the
// time in the next. It reads four-digit years as written, 1990 to 1999 too.
inline constexpr int preparedDateFormat = 4;

// A column label that the label template and the reader's header read alike:
// no delimiter, no quotes, at least two bytes, ending in a byte from '0' up
// ("Temp, °C()" becomes "Temp [°C]", a unit in parentheses goes into
// brackets). A generic label such as "Value (°F)" takes the point's name.
std::string preparedLabel(std::string_view label, std::string_view pointName);

// The labels of one export's value columns, unique within the file.
std::vector<std::string> preparedLabels(const ExportShape& shape, std::string_view pointName);

// The point a one-point export holds, from its file name ("S-7_DA-T.csv").
std::string pointNameOf(const std::string& path);

// The grid step of an interval in seconds; 0 for "No Interval".
long long intervalSeconds(DataInterval interval);

// What the prepared copy of one export is made from.
struct CopyRecipe {
    std::string source;
    ExportShape shape;
    DateOrder order = DateOrder::MonthFirst;
    ReductionRules rules;
    std::vector<std::string> labels;
    bool backwards = false;    // read from the last line up (written newest first)
    std::size_t lines = 0;     // lines of the file, to number them read backwards
};

// "grid 5 Min, Average Data": what a prepared copy was made for.
std::string gridText(DataInterval interval, ReductionMode reduction);

// The second line of a prepared copy: its source and the grid it was made
// for. It holds the word "data", and the reader passes over every line that
// does, so it is never read as a reading.
std::string preparedMarker(const std::string& source, DataInterval interval, ReductionMode reduction);

struct ReduceOutcome {
    ReductionCounts counts;
    bool stopped = false;
    std::string error; // why the export or the copy could not be read or written
};

// Reads the export once more, line by line, and reduces its readings on the
// grid into out. Code texts take their numbers from legends.
ReduceOutcome reduceExport(const CopyRecipe& recipe, CodeLegends& legends, ReducedLines& out,
                           const KeepGoing& keepGoing);

// Writes the prepared copy at path, "Date,Time,<labels>", the marker line,
// then "YYYY/MM/DD,hh:mm:ss,<readings>" per grid instant with every value at
// full precision (the shortest text that reads back the same), so that the
// reader's rounding is the only one. Through a temporary file: a stop or a
// failure leaves what was at path as it was.
ReduceOutcome writePreparedCopy(const std::string& path, const std::string& marker, const CopyRecipe& recipe,
                                CodeLegends& legends, const KeepGoing& keepGoing);

// The first of stem.csv, stem-2.csv, ... in folder that does not exist, is
// not reserved, or may be replaced; empty when none of the first thousand is.
std::string freePath(const std::string& folder, const std::string& stem,
                     const std::function<bool(const std::string&)>& mayReplace,
                     const std::set<std::string>& reserved);

// The prepared copy's path beside the source (or in folder when given). An
// earlier prepared copy of the same source is the import's to replace.
std::string preparedCopyPath(const std::string& source, const std::string& folder,
                             const std::set<std::string>& reserved);

// Writes content to path through a temporary file; false with the reason
// when that fails. A file that already holds exactly content is left alone.
bool writeWholeFile(const std::string& path, std::string_view content, std::string& error);

// Whether the file at path holds exactly content.
bool holdsExactly(const std::string& path, std::string_view content);

} // namespace tsl
