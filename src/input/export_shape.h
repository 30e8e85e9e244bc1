#pragma once

#include "input/export_stamps.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// Lines looked at to find the delimiter, the labels and the time columns.
inline constexpr std::size_t shapeSampleLines = 200;

// One line of an export as text, with its 1-based number in the file.
struct NumberedLine {
    std::size_t number = 0;
    std::string text;
};

// The fields of one line. A field that starts with a double quote runs to its
// closing quote ("" inside stands for one quote), delimiters included.
// Unquoted fields keep their blanks.
std::vector<std::string> splitFields(std::string_view line, char delimiter, bool* sawQuotes = nullptr);

// Where an export keeps its labels, its time stamps and its readings.
struct ExportShape {
    char delimiter = ',';
    bool quoted = false;
    bool hasHeader = true;
    std::size_t firstDataLine = 0;         // number of the first line of readings
    std::vector<std::string> titleLines;   // lines above the labels
    // The label lines as written: above the main labels, the main labels,
    // continued labels below, a line of units. Repeated further down (a
    // printed report's pages), they are not readings.
    std::vector<std::string> labelLines;
    bool labelsOverTwoLines = false;
    bool unitsLine = false;
    int dateColumn = 0;
    int timeColumn = -1;                   // the time's own column, -1 when it follows the date
    bool stampsHaveTimes = true;           // otherwise a date alone is a day's reading
    std::vector<int> droppedColumns;       // row numbers and further time stamps
    std::vector<std::string> droppedColumnNames;
    std::vector<int> valueColumns;
    std::vector<std::string> headerLabels; // for each value column, its label lines joined
    std::string timeHeading;               // label of the time stamp column(s)
    bool decimalComma = false;
};

struct ShapeResult {
    std::optional<ExportShape> shape;
    std::string refusal; // why the file cannot be understood
};

// Finds the shape of an export from its first lines (at most
// shapeSampleLines of them that are not blank).
ShapeResult findExportShape(const std::vector<NumberedLine>& lines);

// The stamp text of one data row in this shape ("date time" when they are in
// two columns); empty when the row lacks the columns.
std::string stampText(const ExportShape& shape, const std::vector<std::string>& fields);

// What one line of an export is, for the import.
enum class LineKind {
    Heading,        // the labels, above the first reading
    Title,          // a line above the labels
    Blank,
    TooLong,        // longer than the reader's line; cut, so not a whole line
    NulBytes,       // holds NUL bytes
    RepeatedLabels, // the labels or a title again (a printed report's next page)
    DateAlone,      // a date and no time, in a file whose readings have times
    NoStamp,        // no date and time where the readings have them
    Reading,
};

// Why a line that is not a reading was passed over ("a date and no time").
std::string_view skippedReason(LineKind kind);

struct ExportRow {
    LineKind kind = LineKind::Blank;
    std::vector<std::string> fields;
    RawStamp stamp;
};

// Reads one line of an export in its shape.
void readExportRow(const ExportShape& shape, std::size_t number, const std::string& text, bool cut, bool nul,
                   ExportRow& row);

// "°F", "(kW)", "[%RH]", "in. w.c.": a cell of a line of units.
bool looksLikeUnit(std::string_view cell);

} // namespace tsl
