#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// An export's text turned into UTF-8, with what that took.
struct DecodedExport {
    std::string text;
    std::string encoding; // "ASCII", "UTF-8", "Latin-1", "UTF-16LE", "UTF-16BE"
    bool byteOrderMark = false;
};

DecodedExport decodeExport(std::string_view bytes);

// The lines of a text; CR LF, LF and a lone CR all end a line.
std::vector<std::string_view> splitLines(std::string_view text);

// The fields of one line. A field that starts with a double quote runs to its
// closing quote ("" inside stands for one quote), delimiters included.
// Unquoted fields keep their blanks.
std::vector<std::string> splitFields(std::string_view line, char delimiter, bool* sawQuotes = nullptr);

enum class Meridiem { None, Am, Pm };

// A time stamp as written, before the file's date order is known.
struct RawStamp {
    bool hasDate = false;
    // The date's three parts in the order written; a named month is stored as
    // its number and marked by namedMonth (1 or 2: which part it was).
    int part[3] = {0, 0, 0};
    int partDigits[3] = {0, 0, 0};
    int namedMonth = 0;
    bool hasTime = false;
    int hour = 0;
    int minute = 0;
    int second = 0;
    Meridiem meridiem = Meridiem::None;
    std::string zone; // "CDT", "+00:00", "Z"; empty when none was written
};

// Reads "5/7/2022 12:00", "07-May-22 12:15:00 PM CDT", "2021-11-01 00:10:00+00:00",
// "2021-11-19T00:00", "09.10.2020", "1:25 p" (a time alone) and the like.
// Nothing is returned unless the whole text is a time stamp.
std::optional<RawStamp> parseStamp(std::string_view text);

enum class DateOrder { YearFirst, DayFirst, MonthFirst, Unknown };

// A wall-clock time, as the logger wrote it.
struct WallTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    auto operator<=>(const WallTime&) const = default;
};

// The stamp's date and time in the file's order, the year made four-digit
// and a 12-hour clock made 24-hour; nothing when a field is impossible
// (month 13, 31 April, hour 25, a 12-hour clock reading 13).
std::optional<WallTime> resolveStamp(const RawStamp& stamp, DateOrder order);

// Everything the import needs to know to rewrite one export.
struct ExportShape {
    DecodedExport decoded; // text, encoding
    char delimiter = ',';
    bool quoted = false;
    std::size_t headerLine = 0;   // index of the header line (== firstDataLine when there is none)
    bool hasHeader = true;
    std::size_t firstDataLine = 0;
    std::vector<std::string> titleLines; // lines before the header
    int dateColumn = 0;
    int timeColumn = -1;          // the time's own column, -1 when it follows the date
    std::vector<int> droppedColumns; // row numbers and further time stamps
    std::vector<std::string> droppedColumnNames;
    std::vector<int> valueColumns;
    std::vector<std::string> headerLabels; // as written, for each value column
    std::string timeHeading;      // header text of the time stamp column(s)
    DateOrder order = DateOrder::Unknown;
    std::string orderReason;
    bool monthNames = false;
    bool twelveHour = false;
    int yearDigits = 4;
    std::set<std::string> zones;
    bool decimalComma = false;
};

struct ShapeResult {
    std::optional<ExportShape> shape;
    std::string refusal; // why the file cannot be understood
};

// Finds the shape of an export from its bytes alone.
ShapeResult findExportShape(std::string_view bytes);

// The stamp text of one data row in this shape ("date time" when they are in
// two columns); empty when the row lacks the columns.
std::string stampText(const ExportShape& shape, const std::vector<std::string>& fields);

// Text without blanks at either end.
std::string_view trimmed(std::string_view text);

// "MM/DD/YY 12-hour clock", the form of the time stamps as a person reads it.
std::string describeStampForm(const ExportShape& shape);

} // namespace tsl
