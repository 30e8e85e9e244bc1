#include "input/export_shape.h"

#include "input/export_stamps.h"
#include "input/export_text.h"

#include <algorithm>
#include <map>

namespace tsl {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isInteger(std::string_view text)
{
    text = trimmed(text);
    return !text.empty() && std::all_of(text.begin(), text.end(), isDigit);
}

bool hasDate(std::string_view field)
{
    const std::optional<RawStamp> stamp = parseStamp(trimmed(field));
    return stamp && stamp->hasDate;
}

bool isTimeOnly(std::string_view field)
{
    const std::optional<RawStamp> stamp = parseStamp(trimmed(field));
    return stamp && stamp->hasTime && !stamp->hasDate;
}

std::string_view cellOf(const std::vector<std::string>& fields, int column)
{
    return column >= 0 && static_cast<std::size_t>(column) < fields.size() ? trimmed(fields[column])
                                                                          : std::string_view();
}

// The delimiter that splits most sample lines into the same number of fields
// (two or more). Ties go to ';' and TAB, which rarely occur unless they
// delimit, before ',' (a decimal comma).
std::optional<char> chooseDelimiter(const std::vector<const NumberedLine*>& lines)
{
    std::optional<char> best;
    std::size_t bestLines = 0;
    for (char candidate : {';', '\t', ','}) {
        std::map<std::size_t, std::size_t> counts;
        for (const NumberedLine* line : lines) {
            const std::size_t fields = splitFields(line->text, candidate).size();
            if (fields >= 2)
                ++counts[fields];
        }
        for (const auto& [fields, many] : counts) {
            if (many > bestLines) {
                bestLines = many;
                best = candidate;
            }
        }
    }
    return best;
}

// Heading words of a time stamp column in a file that has a header only.
bool looksLikeTimeHeading(std::string_view label)
{
    const std::string word = lowered(trimmed(label));
    for (std::string_view heading : {"date", "time", "times", "timestamp", "datetime", "date/time", "date time"})
        if (word == heading)
            return true;
    return false;
}

void headerOnlyShape(ExportShape& shape, const NumberedLine& header)
{
    shape.firstDataLine = header.number + 1;
    shape.labelLines = {header.text};
    const std::vector<std::string> fields = splitFields(header.text, shape.delimiter, &shape.quoted);
    shape.dateColumn = 0;
    if (!fields.empty())
        shape.timeHeading = std::string(trimmed(fields[0]));
    for (std::size_t c = 1; c < fields.size(); ++c) {
        if (c == 1 && looksLikeTimeHeading(fields[c])) {
            shape.timeColumn = 1;
            continue;
        }
        shape.valueColumns.push_back(static_cast<int>(c));
        shape.headerLabels.push_back(fields[c]);
    }
}

// Where the date is written: the column most lines have it in (one of the
// first three), whether the time has a column of its own, and whether the
// stamps carry a time at all.
bool findTimeColumns(ExportShape& shape, const std::vector<std::vector<std::string>>& rows)
{
    std::map<int, std::size_t> dateVotes;
    for (const auto& fields : rows)
        for (std::size_t j = 0; j < fields.size() && j < 3; ++j)
            if (hasDate(fields[j])) {
                ++dateVotes[static_cast<int>(j)];
                break;
            }
    if (dateVotes.empty())
        return false;
    shape.dateColumn = std::max_element(dateVotes.begin(), dateVotes.end(), [](const auto& a, const auto& b) {
                           return a.second < b.second;
                       })->first;
    std::size_t timeInside = 0, timeBeside = 0;
    for (const auto& fields : rows) {
        const std::optional<RawStamp> stamp = parseStamp(cellOf(fields, shape.dateColumn));
        if (!stamp || !stamp->hasDate)
            continue;
        if (stamp->hasTime)
            ++timeInside;
        else if (isTimeOnly(cellOf(fields, shape.dateColumn + 1)))
            ++timeBeside;
    }
    if (timeBeside > timeInside)
        shape.timeColumn = shape.dateColumn + 1;
    std::size_t withTime = 0, dateAlone = 0;
    for (const auto& fields : rows) {
        const std::optional<RawStamp> stamp = parseStamp(stampText(shape, fields));
        if (stamp && stamp->hasDate)
            ++(stamp->hasTime ? withTime : dateAlone);
    }
    shape.stampsHaveTimes = withTime > 0 && withTime >= dateAlone;
    return true;
}

bool isReadingRow(const ExportShape& shape, const std::vector<std::string>& fields)
{
    const std::optional<RawStamp> stamp = parseStamp(stampText(shape, fields));
    return stamp && stamp->hasDate && (stamp->hasTime || !shape.stampsHaveTimes);
}

bool dateCellEmpty(const ExportShape& shape, const std::vector<std::string>& fields)
{
    return cellOf(fields, shape.dateColumn).empty() && cellOf(fields, shape.timeColumn).empty();
}

bool onlyUnits(const ExportShape& shape, const std::vector<std::string>& fields)
{
    bool any = false;
    for (std::size_t c = 0; c < fields.size(); ++c) {
        if (static_cast<int>(c) <= shape.dateColumn || static_cast<int>(c) == shape.timeColumn)
            continue;
        const std::string_view cell = trimmed(fields[c]);
        if (cell.empty())
            continue;
        if (!looksLikeUnit(cell))
            return false;
        any = true;
    }
    return any;
}

// The label block above the data: the main label line (the lowest one that
// names the time column), a line above it that continues its labels (its
// time cell empty, as weather stations write "Hi" over "Temp"), and below it
// further label text or units. Lines above the block are titles.
struct LabelBlock {
    std::vector<std::string> upper, main, lower, units;
};

LabelBlock findLabelBlock(ExportShape& shape, const std::vector<const NumberedLine*>& above)
{
    LabelBlock block;
    // Label lines have two fields or more and no date where the data has it
    // (a printed page's date line is not one of them).
    std::vector<std::vector<std::string>> fields;
    std::vector<std::size_t> candidates;
    for (std::size_t k = 0; k < above.size(); ++k) {
        fields.push_back(splitFields(above[k]->text, shape.delimiter, &shape.quoted));
        if (fields[k].size() >= 2 && !hasDate(cellOf(fields[k], shape.dateColumn)))
            candidates.push_back(k);
    }
    std::vector<bool> isLabel(above.size(), false);
    if (!candidates.empty()) {
        // The lowest of the last three that names the time column holds the
        // main labels; without one, the last of them.
        std::size_t main = candidates.size() - 1;
        for (std::size_t n = candidates.size(); n-- > 0 && candidates.size() - n <= 3;)
            if (!dateCellEmpty(shape, fields[candidates[n]])) {
                main = n;
                break;
            }
        const std::size_t mainLine = candidates[main];
        block.main = fields[mainLine];
        isLabel[mainLine] = true;
        for (std::size_t n = main + 1; n < candidates.size(); ++n) {
            const std::size_t k = candidates[n];
            std::vector<std::string>& target = onlyUnits(shape, fields[k]) ? block.units : block.lower;
            if (target.empty()) {
                target = fields[k];
                isLabel[k] = true;
            }
        }
        if (main > 0 && candidates[main - 1] + 1 == mainLine && dateCellEmpty(shape, fields[mainLine - 1]) &&
            !onlyUnits(shape, fields[mainLine - 1])) {
            block.upper = fields[mainLine - 1];
            isLabel[mainLine - 1] = true;
        }
    }
    for (std::size_t k = 0; k < above.size(); ++k) {
        if (isLabel[k])
            shape.labelLines.push_back(above[k]->text);
        else if (!hasDate(cellOf(fields[k], shape.dateColumn)))
            shape.titleLines.push_back(above[k]->text);
    }
    shape.hasHeader = !block.main.empty();
    shape.labelsOverTwoLines = !block.upper.empty() || !block.lower.empty();
    shape.unitsLine = !block.units.empty();
    return block;
}

std::string joinedLabel(const LabelBlock& block, std::size_t c)
{
    auto cell = [c](const std::vector<std::string>& line) {
        return c < line.size() ? std::string(trimmed(line[c])) : std::string();
    };
    std::string label;
    for (const std::string& part : {cell(block.upper), cell(block.main), cell(block.lower)})
        if (!part.empty())
            label += (label.empty() ? "" : " ") + part;
    std::string unit = cell(block.units);
    if (unit.size() >= 2 && ((unit.front() == '(' && unit.back() == ')') || (unit.front() == '[' && unit.back() == ']')))
        unit = unit.substr(1, unit.size() - 2);
    if (!unit.empty())
        label += (label.empty() ? "" : " ") + ("[" + unit + "]");
    return label;
}

void chooseColumns(ExportShape& shape, const LabelBlock& labels, const std::vector<std::vector<std::string>>& rows)
{
    std::map<std::size_t, std::size_t> widths;
    for (const auto& row : rows)
        ++widths[row.size()];
    std::size_t width = std::max({labels.main.size(), labels.upper.size(), labels.lower.size()});
    for (const auto& [w, many] : widths)
        if (many * 2 > rows.size())
            width = std::max(width, w);

    auto headingOf = [&](std::size_t c) { return c < labels.main.size() ? std::string(trimmed(labels.main[c])) : std::string(); };
    shape.timeHeading = headingOf(shape.dateColumn);
    if (shape.timeColumn >= 0)
        shape.timeHeading += " " + headingOf(shape.timeColumn);
    for (std::size_t c = 0; c < width; ++c) {
        if (static_cast<int>(c) == shape.dateColumn || static_cast<int>(c) == shape.timeColumn)
            continue;
        bool allIntegers = true, allStamps = true, anyValue = false;
        for (const auto& row : rows) {
            if (c >= row.size() || trimmed(row[c]).empty())
                continue;
            anyValue = true;
            allIntegers = allIntegers && isInteger(row[c]);
            allStamps = allStamps && hasDate(row[c]);
        }
        if (static_cast<int>(c) < shape.dateColumn) {
            shape.droppedColumns.push_back(static_cast<int>(c));
            shape.droppedColumnNames.push_back((allIntegers && anyValue ? "row number '" : "before the time stamp '") +
                                               headingOf(c) + "'");
            continue;
        }
        if (anyValue && allStamps) {
            shape.droppedColumns.push_back(static_cast<int>(c));
            shape.droppedColumnNames.push_back("further time stamp '" + headingOf(c) + "'");
            continue;
        }
        shape.valueColumns.push_back(static_cast<int>(c));
        shape.headerLabels.push_back(joinedLabel(labels, c));
        if (shape.delimiter != ',')
            for (const auto& row : rows)
                if (c < row.size() && trimmed(row[c]).find(',') != std::string_view::npos)
                    shape.decimalComma = true;
    }
}

} // namespace

std::vector<std::string> splitFields(std::string_view line, char delimiter, bool* sawQuotes)
{
    std::vector<std::string> fields;
    std::string field;
    std::size_t i = 0;
    while (true) {
        field.clear();
        std::size_t lead = i;
        while (lead < line.size() && line[lead] == ' ')
            ++lead;
        if (lead < line.size() && line[lead] == '"') {
            if (sawQuotes)
                *sawQuotes = true;
            i = lead + 1;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i++];
            }
        }
        while (i < line.size() && line[i] != delimiter)
            field += line[i++];
        fields.push_back(field);
        if (i >= line.size())
            break;
        ++i;
    }
    return fields;
}

std::string_view skippedReason(LineKind kind)
{
    switch (kind) {
    case LineKind::Heading:
        return "labels";
    case LineKind::Title:
        return "titles";
    case LineKind::Blank:
        return "blank";
    case LineKind::TooLong:
        return "longer than the reader's 19989 bytes";
    case LineKind::NulBytes:
        return "holding NUL bytes";
    case LineKind::RepeatedLabels:
        return "repeating the labels or a title";
    case LineKind::DateAlone:
        return "with a date and no time";
    case LineKind::NoStamp:
        return "without a date and time";
    case LineKind::Reading:
        break;
    }
    return "";
}

void readExportRow(const ExportShape& shape, std::size_t number, const std::string& text, bool cut, bool nul,
                   ExportRow& row)
{
    row.fields.clear();
    if (number < shape.firstDataLine && !trimmed(text).empty()) {
        for (const std::string& label : shape.labelLines)
            if (label == text) {
                row.kind = LineKind::Heading;
                return;
            }
        for (const std::string& title : shape.titleLines)
            if (title == text) {
                row.kind = LineKind::Title;
                return;
            }
    }
    if (cut || nul) {
        row.kind = cut ? LineKind::TooLong : LineKind::NulBytes;
        return;
    }
    if (trimmed(text).empty()) {
        row.kind = LineKind::Blank;
        return;
    }
    row.fields = splitFields(text, shape.delimiter);
    std::optional<RawStamp> stamp = parseStamp(stampText(shape, row.fields));
    if (stamp && stamp->hasDate && (stamp->hasTime || !shape.stampsHaveTimes)) {
        row.kind = LineKind::Reading;
        row.stamp = std::move(*stamp);
        return;
    }
    const std::string_view line = trimmed(text);
    for (const std::vector<std::string>* known : {&shape.labelLines, &shape.titleLines})
        for (const std::string& heading : *known)
            if (trimmed(heading) == line) {
                row.kind = LineKind::RepeatedLabels;
                return;
            }
    if (!stamp && static_cast<std::size_t>(shape.dateColumn) < row.fields.size())
        stamp = parseStamp(trimmed(row.fields[shape.dateColumn]));
    row.kind = stamp && stamp->hasDate ? LineKind::DateAlone : LineKind::NoStamp;
}

bool looksLikeUnit(std::string_view cell)
{
    cell = trimmed(cell);
    if (cell.empty() || cell.size() > 16)
        return false;
    if ((cell.front() == '(' && cell.back() == ')') || (cell.front() == '[' && cell.back() == ']'))
        return true;
    if (cell.find("\xC2\xB0") != std::string_view::npos || cell.find('%') != std::string_view::npos)
        return true;
    const std::string word = lowered(cell);
    static constexpr std::string_view units[] = {
        "f",     "c",     "k",     "degf",  "degc",   "deg",   "pa",     "kpa",   "hpa",   "mbar",  "bar",
        "psi",   "psig",  "inhg",  "in",    "mm",     "cm",    "m",      "ft",    "in. w.c.", "in.wc", "inwc",
        "in/wc", "\"wc",  "inh2o", "mph",   "m/s",    "km/h",  "kph",    "kt",    "knots", "w",     "kw",
        "kwh",   "wh",    "mwh",   "va",    "kva",    "v",     "a",      "ma",    "hz",    "ppm",   "ppb",
        "lux",   "lx",    "cfm",   "gpm",   "l/s",    "m3/h",  "btu",    "btu/h", "mbh",   "ton",   "tons",
        "w/m2",  "rh",    "s",     "sec",   "min",    "h",     "hr",     "mm/h",  "in/h"};
    return std::find(std::begin(units), std::end(units), word) != std::end(units);
}

std::string stampText(const ExportShape& shape, const std::vector<std::string>& fields)
{
    if (shape.dateColumn < 0 || static_cast<std::size_t>(shape.dateColumn) >= fields.size())
        return {};
    std::string text(trimmed(fields[shape.dateColumn]));
    if (shape.timeColumn >= 0) {
        if (static_cast<std::size_t>(shape.timeColumn) >= fields.size())
            return {};
        text += ' ';
        text += trimmed(fields[shape.timeColumn]);
    }
    return text;
}

namespace {

// The first lines that hold text, which the shape is read from.
std::vector<const NumberedLine*> sampleLines(const std::vector<NumberedLine>& lines)
{
    std::vector<const NumberedLine*> sample;
    for (const NumberedLine& line : lines) {
        if (sample.size() == shapeSampleLines)
            break;
        if (!trimmed(line.text).empty())
            sample.push_back(&line);
    }
    return sample;
}

std::vector<std::vector<std::string>> splitLines(const std::vector<const NumberedLine*>& lines, char delimiter)
{
    std::vector<std::vector<std::string>> fields;
    fields.reserve(lines.size());
    for (const NumberedLine* line : lines)
        fields.push_back(splitFields(line->text, delimiter));
    return fields;
}

// The index of the first line with a date and time in the time columns;
// rows.size() when there is none.
std::size_t firstReadingRow(const ExportShape& shape, const std::vector<std::vector<std::string>>& rows)
{
    std::size_t first = 0;
    while (first < rows.size() && !isReadingRow(shape, rows[first]))
        ++first;
    return first;
}

// The fields of the sampled readings from `first` on, split again with the
// quotes noted, for the choice of columns.
std::vector<std::vector<std::string>> readingRows(ExportShape& shape, const std::vector<const NumberedLine*>& sample,
                                                  const std::vector<std::vector<std::string>>& fields,
                                                  std::size_t first)
{
    std::vector<std::vector<std::string>> rows;
    for (std::size_t k = first; k < sample.size(); ++k)
        if (isReadingRow(shape, fields[k]))
            rows.push_back(splitFields(sample[k]->text, shape.delimiter, &shape.quoted));
    return rows;
}

} // namespace

ShapeResult findExportShape(const std::vector<NumberedLine>& lines)
{
    ShapeResult result;
    const std::vector<const NumberedLine*> sample = sampleLines(lines);
    if (sample.empty()) {
        result.refusal = "the file holds no text";
        return result;
    }
    ExportShape shape;
    const std::optional<char> delimiter = chooseDelimiter(sample);
    if (!delimiter) {
        result.refusal = "no delimiter (',' ';' or TAB) splits its lines into fields";
        return result;
    }
    shape.delimiter = *delimiter;

    const std::vector<std::vector<std::string>> fields = splitLines(sample, shape.delimiter);
    if (!findTimeColumns(shape, fields)) {
        if (sample.size() != 1) {
            result.refusal = "none of its first lines starts with a date and time that can be read";
            return result;
        }
        headerOnlyShape(shape, *sample.front());
        result.shape = std::move(shape);
        return result;
    }
    const std::size_t first = firstReadingRow(shape, fields);
    if (first == sample.size()) {
        result.refusal = "none of its first lines has a date and time that can be read";
        return result;
    }
    shape.firstDataLine = sample[first]->number;
    const LabelBlock labels =
        findLabelBlock(shape, std::vector<const NumberedLine*>(sample.begin(), sample.begin() + first));
    chooseColumns(shape, labels, readingRows(shape, sample, fields, first));
    result.shape = std::move(shape);
    return result;
}

} // namespace tsl
