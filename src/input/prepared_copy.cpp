#include "input/prepared_copy.h"

#include "input/export_text.h"

#include "app/safe_file.h"
#include "input/log_lines.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tsl {

namespace {

namespace fs = std::filesystem;

// Labels stay well inside the reader's 259-byte label buffer.
constexpr std::size_t labelBytes = 200;

// Whether the reader's header rule and the template rule both keep this last byte.
bool endsWell(std::string_view label)
{
    return !label.empty() && static_cast<signed char>(label.back()) >= '0';
}

void replaceAll(std::string& text, std::string_view from, std::string_view to)
{
    for (std::size_t p = text.find(from); p != std::string::npos; p = text.find(from, p + to.size()))
        text.replace(p, from.size(), to);
}

std::string squeezed(std::string text)
{
    for (char& c : text)
        if (c == ',' || c == ';' || c == '\t' || c == '"')
            c = ' ';
    std::string out;
    for (char c : text)
        if (!(c == ' ' && (out.empty() || out.back() == ' ')))
            out += c;
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

bool isGenericName(std::string_view name)
{
    const std::string word = lowered(trimmed(name));
    for (std::string_view generic : {"", "value", "val", "reading", "data", "point", "present value", "pv"})
        if (word == generic)
            return true;
    return false;
}

// "Value (°F)" -> name "Value", unit "°F"; "Temp, °C()" -> "Temp", "°C".
void splitUnit(std::string text, std::string& name, std::string& unit)
{
    replaceAll(text, "()", "");
    replaceAll(text, "[]", "");
    const std::size_t comma = text.find(',');
    if (comma != std::string::npos) {
        name = std::string(trimmed(std::string_view(text).substr(0, comma)));
        unit = std::string(trimmed(std::string_view(text).substr(comma + 1)));
        return;
    }
    const std::size_t open = text.rfind('(');
    if (open != std::string::npos && !text.empty() && text.back() == ')') {
        name = std::string(trimmed(std::string_view(text).substr(0, open)));
        unit = std::string(trimmed(std::string_view(text).substr(open + 1, text.size() - open - 2)));
        return;
    }
    name = std::string(trimmed(text));
    unit.clear();
}

// The prepared copy's lines as they are reduced.
class CopyLines : public ReducedLines {
public:
    explicit CopyLines(std::FILE* file) : file_(file) {}

    void line(long long instant, const ReducedValues& values) override
    {
        const WallTime t = wallTimeAt(instant);
        char text[64];
        int length = std::snprintf(text, sizeof text, "%04d/%02d/%02d,%02d:%02d:%02d", t.year, t.month, t.day,
                                   t.hour, t.minute, t.second);
        line_.assign(text, static_cast<std::size_t>(length));
        for (const std::optional<double>& value : values) {
            line_ += ',';
            if (!value)
                continue;
            const auto written = std::to_chars(text, text + sizeof text, *value);
            line_.append(text, written.ptr);
        }
        line_ += "\r\n";
        std::fwrite(line_.data(), 1, line_.size(), file_);
    }

private:
    std::FILE* file_;
    std::string line_;
};

std::string readStart(const std::string& path, std::size_t bytes)
{
    std::ifstream in(path, std::ios::binary);
    std::string start(bytes, '\0');
    in.read(start.data(), static_cast<std::streamsize>(bytes));
    start.resize(static_cast<std::size_t>(in.gcount()));
    return start;
}

// A file that the import wrote from this source: its second line is the
// marker that names it.
bool isOwnCopy(const std::string& path, const std::string& source)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return false;
    const std::string start = readStart(path, 64 * 1024);
    const std::size_t firstEnd = start.find("\r\n");
    const std::string own = "Prepared data from " + source + ";";
    return start.rfind("Date,Time", 0) == 0 && firstEnd != std::string::npos &&
           start.compare(firstEnd + 2, own.size(), own) == 0;
}

} // namespace

std::string preparedLabel(std::string_view label, std::string_view pointName)
{
    std::string name, unit;
    splitUnit(std::string(trimmed(label)), name, unit);
    if (isGenericName(name))
        name = std::string(pointName);
    std::string text = squeezed(name);
    unit = squeezed(unit);
    if (!unit.empty())
        text += " [" + unit + "]";
    // The reader passes over a first label holding these words.
    replaceAll(text, "TIME", "Time");
    replaceAll(text, "DATE", "Date");
    text = cutToBytes(text, labelBytes);
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.empty())
        text = "Column";
    if (!endsWell(text) || text.size() < 2)
        text += '_';
    return text;
}

std::vector<std::string> preparedLabels(const ExportShape& shape, std::string_view pointName)
{
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < shape.valueColumns.size(); ++i) {
        const std::string written = i < shape.headerLabels.size() ? shape.headerLabels[i] : std::string();
        std::string label = preparedLabel(written, pointName);
        if (written.empty() && shape.valueColumns.size() > 1)
            label = preparedLabel(std::string(pointName) + " " + std::to_string(i + 1), pointName);
        const std::string base = label;
        for (int n = 2; std::find(labels.begin(), labels.end(), label) != labels.end(); ++n)
            label = base + " " + std::to_string(n);
        labels.push_back(label);
    }
    return labels;
}

std::string pointNameOf(const std::string& path)
{
    return fs::path(path).stem().string();
}


long long intervalSeconds(DataInterval interval)
{
    switch (interval) {
    case DataInterval::None:
        return 0;
    case DataInterval::Sec10:
        return 10;
    case DataInterval::Min1:
        return 60;
    case DataInterval::Min2:
        return 120;
    case DataInterval::Min5:
        return 300;
    case DataInterval::Min10:
        return 600;
    case DataInterval::Min15:
        return 900;
    }
    return 0;
}

std::string gridText(DataInterval interval, ReductionMode reduction)
{
    const int i = static_cast<int>(interval);
    return "grid " +
           std::string(i >= 0 && i < static_cast<int>(intervalItems.size()) ? intervalItems[i] : "No Interval") +
           ", " + std::string(reductionItems[reduction == ReductionMode::Sampling ? 1 : 0]);
}

std::string preparedMarker(const std::string& source, DataInterval interval, ReductionMode reduction)
{
    return "Prepared data from " + source + "; " + gridText(interval, reduction);
}

namespace {

// The value columns of one reading row as numbers; an empty cell, or text
// that means nothing in its column, leaves no value.
void readValues(const CopyRecipe& recipe, const ExportRow& row, CodeLegends& legends, ReducedValues& values)
{
    const ExportShape& shape = recipe.shape;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::size_t column = static_cast<std::size_t>(shape.valueColumns[i]);
        const Cell cell = classifyCell(column < row.fields.size() ? std::string_view(row.fields[column]) : "",
                                       shape.decimalComma);
        double value = 0;
        values[i].reset();
        if (cellValue(cell, recipe.rules.kinds[i], recipe.labels[i], legends, value))
            values[i] = value;
    }
}

} // namespace

ReduceOutcome reduceExport(const CopyRecipe& recipe, CodeLegends& legends, ReducedLines& out,
                           const KeepGoing& keepGoing)
{
    ReduceOutcome outcome;
    ExportLines lines;
    if (!(recipe.backwards ? lines.openBackwards(recipe.source, recipe.lines, outcome.error)
                           : lines.open(recipe.source, outcome.error)))
        return outcome;
    const ExportShape& shape = recipe.shape;
    GridReducer reducer(recipe.rules, out);
    ExportRow row;
    ReducedValues values(shape.valueColumns.size());
    std::string text;
    while (lines.next(text)) {
        if (lines.lineNumber() % linesBetweenPumps == 0 && !keepGoing()) {
            outcome.stopped = true;
            return outcome;
        }
        readExportRow(shape, lines.lineNumber(), text, lines.lineCut(), lines.lineHasNul(), row);
        if (row.kind != LineKind::Reading)
            continue;
        const std::optional<WallTime> time = resolveStamp(row.stamp, recipe.order);
        if (!time || time->year < firstYearKept || time->year > lastYearKept)
            continue;
        readValues(recipe, row, legends, values);
        reducer.add(wallSeconds(*time) + (row.stamp.fraction ? 1 : 0), values);
    }
    reducer.finish();
    if (lines.readFailed())
        outcome.error = "the export could not be read to its end";
    outcome.counts = reducer.counts();
    return outcome;
}

ReduceOutcome writePreparedCopy(const std::string& path, const std::string& marker, const CopyRecipe& recipe,
                                CodeLegends& legends, const KeepGoing& keepGoing)
{
    ReduceOutcome outcome;
    SafeFileWriter writer(path);
    if (!writer.open()) {
        outcome.error = writer.errorText();
        return outcome;
    }
    std::string head = "Date,Time";
    for (const std::string& label : recipe.labels)
        head += "," + label;
    head += "\r\n" + marker + "\r\n";
    std::fwrite(head.data(), 1, head.size(), writer.file());
    CopyLines lines(writer.file());
    outcome = reduceExport(recipe, legends, lines, keepGoing);
    if (outcome.stopped || !outcome.error.empty()) {
        writer.discard();
        return outcome;
    }
    if (std::ferror(writer.file())) {
        outcome.error = "the file could not be written whole";
        writer.discard();
        return outcome;
    }
    if (!writer.commit())
        outcome.error = writer.errorText();
    return outcome;
}

std::string freePath(const std::string& folder, const std::string& stem,
                     const std::function<bool(const std::string&)>& mayReplace,
                     const std::set<std::string>& reserved)
{
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? stem + ".csv" : stem + "-" + std::to_string(n) + ".csv";
        const std::string path = (fs::path(folder.empty() ? "." : folder) / name).string();
        if (reserved.count(path))
            continue;
        std::error_code error;
        const fs::file_type type = fs::symlink_status(path, error).type();
        if (type == fs::file_type::not_found || (type != fs::file_type::none && mayReplace(path)))
            return path;
    }
    return {};
}

std::string preparedCopyPath(const std::string& source, const std::string& folder,
                             const std::set<std::string>& reserved)
{
    const fs::path original(source);
    std::string where = folder;
    if (where.empty())
        where = original.has_parent_path() ? original.parent_path().string() : ".";
    return freePath(where, original.stem().string() + ".import",
                    [&](const std::string& path) { return isOwnCopy(path, source); }, reserved);
}

bool holdsExactly(const std::string& path, std::string_view content)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error) || fs::file_size(path, error) != content.size() || error)
        return false;
    return readStart(path, content.size()) == content;
}

bool writeWholeFile(const std::string& path, std::string_view content, std::string& error)
{
    if (holdsExactly(path, content))
        return true;
    SafeFileWriter writer(path);
    if (!writer.open()) {
        error = writer.errorText();
        return false;
    }
    if (std::fwrite(content.data(), 1, content.size(), writer.file()) != content.size()) {
        error = "the file could not be written whole";
        writer.discard();
        return false;
    }
    if (!writer.commit()) {
        error = writer.errorText();
        return false;
    }
    return true;
}

} // namespace tsl
