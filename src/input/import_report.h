#pragma once

#include "input/export_scan.h"
#include "input/grid_reduction.h"
#include "input/prepared_copy.h"

#include <string>
#include <utility>
#include <vector>

namespace tsl {

// One item of what the import found and did to a file: the log's indented
// lines ("   check: ..."), or, when item is warningItem, a line of its own
// starting "WARNING"; in the window, one row of the review each.
using ReportItem = std::pair<std::string, std::string>;
inline constexpr const char* warningItem = "WARNING";

// "1 line", "3 lines"
std::string plural(std::size_t n, const std::string& one, const std::string& many);
// The items with separator between them.
std::string joined(const std::vector<std::string>& items, const std::string& separator);

// What was decided for a file, with the reasons the report gives.
struct ImportDecisions {
    std::size_t order = 0; // index into the survey's orders
    std::string orderReason;
    std::string orderWarning;
    bool changeLog = false;
    std::string changeLogRule;
    std::vector<ColumnKind> kinds;
};

// The report of one file, in the order the log shows it.
std::vector<ReportItem> describeImport(const ExportSurvey& survey, const ImportDecisions& decisions,
                                       const CopyRecipe& recipe, const CodeLegends& legends,
                                       const ReductionCounts& placed, int decimals);

// The warning for a column whose readings would round to one value (or to
// zero) at the decimals in force; empty when they do not.
std::string roundingWarning(const std::string& label, double minimum, double maximum, int decimals);

} // namespace tsl
