#pragma once

#include "input/column_kinds.h"
#include "input/export_shape.h"
#include "input/export_text.h"
#include "input/export_times.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tsl {

// Called between lines of a long pass over a file: keeps the window alive
// and answers false when the user asked to stop.
using KeepGoing = std::function<bool()>;

// Everything one pass over an export found, before any choice is made.
struct ExportSurvey {
    ExportShape shape;
    ExportEncoding encoding;
    std::size_t lines = 0;        // every line of the file
    std::size_t headingLines = 0; // label lines above the first reading
    LineCount titles;             // lines above the labels
    std::map<LineKind, LineCount> skipped;
    std::vector<ColumnTally> columns; // one per value column
    std::vector<TimeChecks> orders;   // one per date order the stamps allow
    bool monthNames = false;
    std::size_t twelveHourTimes = 0;
    int yearDigits = 4;
    std::set<std::string> zones;
    bool readFailed = false;
    bool backwards = false; // read from the last line up: the file runs newest first
};

struct ScanOutcome {
    std::optional<ExportSurvey> survey;
    std::string refusal;
    bool stopped = false;
};

// Reads an export from its first line to its last, holding one line at a
// time: its shape from the first lines, then every line's kind, every
// cell's kind and every stamp read in each date order it allows.
ScanOutcome scanExport(const std::string& path, const KeepGoing& keepGoing);

// Whether a file's times, read in the order chosen, run mostly backwards.
bool runsNewestFirst(const TimeChecks& checks);

// The pass again from the last line to the first, in the shape the first
// pass found, for an export written newest first.
ScanOutcome scanExportBackwards(const std::string& path, const ExportSurvey& forward, const KeepGoing& keepGoing);

// Lines between two calls of keepGoing.
inline constexpr std::size_t linesBetweenPumps = 64;

} // namespace tsl
