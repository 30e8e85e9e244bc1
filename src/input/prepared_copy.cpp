#include "input/prepared_copy.h"

#include "input/log_lines.h"
#include "output/safe_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tsl {

namespace {

namespace fs = std::filesystem;

// Labels stay well inside the reader's 259-byte label buffer.
constexpr std::size_t labelBytes = 200;
// Distinct blanked texts kept for the report.
constexpr std::size_t blankedExamples = 5;

std::string lowered(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// [sign] digits [point digits] [exponent], at least one digit; the point may
// be a comma when the file writes decimal commas.
bool isNumber(std::string_view t, bool decimalComma)
{
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < t.size() && isDigit(t[i]))
        ++i, ++digits;
    if (i < t.size() && (t[i] == '.' || (decimalComma && t[i] == ','))) {
        ++i;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++digits;
    }
    if (!digits)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        std::size_t exponent = 0;
        while (i < t.size() && isDigit(t[i]))
            ++i, ++exponent;
        if (!exponent)
            return false;
    }
    return i == t.size();
}

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

long long daysFromCivil(int y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

long long wallSeconds(const WallTime& t)
{
    return daysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

std::string readWholeFile(const std::string& path, bool& ok)
{
    std::ifstream in(path, std::ios::binary);
    ok = static_cast<bool>(in);
    return ok ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string();
}

} // namespace

std::string preparedCell(std::string_view cell, bool decimalComma, CellOutcome& outcome)
{
    const std::string_view t = trimmed(cell);
    if (t.empty()) {
        outcome = CellOutcome::Empty;
        return {};
    }
    if (isNumber(t, decimalComma)) {
        outcome = CellOutcome::Number;
        std::string number(t.front() == '+' ? t.substr(1) : t);
        std::replace(number.begin(), number.end(), ',', '.');
        return number;
    }
    const std::string word = lowered(t);
    for (std::string_view on : {"on", "true", "yes", "occupied", "active", "enabled"})
        if (word == on) {
            outcome = CellOutcome::Mapped;
            return "1";
        }
    for (std::string_view off : {"off", "false", "no", "unoccupied", "inactive", "disabled"})
        if (word == off) {
            outcome = CellOutcome::Mapped;
            return "0";
        }
    for (std::string_view missing : {"nan", "-nan", "null", "none", "n/a", "na", "#n/a", "-", "--", "---"})
        if (word == missing) {
            outcome = CellOutcome::Missing;
            return {};
        }
    outcome = CellOutcome::Blanked;
    return {};
}

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

PreparedCopy prepareCopy(const ExportShape& shape, std::string_view pointName)
{
    PreparedCopy copy;
    copy.labels = preparedLabels(shape, pointName);
    std::string& out = copy.text;
    out = "Date,Time";
    for (const std::string& label : copy.labels)
        out += "," + label;
    out += "\r\n";

    PreparedStats& stats = copy.stats;
    std::vector<long long> steps;
    std::optional<long long> previous;
    const std::vector<std::string_view> lines = splitLines(shape.decoded.text);
    for (std::size_t i = shape.firstDataLine; i < lines.size(); ++i) {
        if (trimmed(lines[i]).empty())
            continue;
        const std::vector<std::string> fields = splitFields(lines[i], shape.delimiter);
        const std::optional<RawStamp> stamp = parseStamp(stampText(shape, fields));
        if (!stamp || !stamp->hasDate) {
            ++stats.dropped["without a date and time that can be read"];
            continue;
        }
        const std::optional<WallTime> time = resolveStamp(*stamp, shape.order);
        if (!time) {
            ++stats.dropped["with an impossible date or time"];
            continue;
        }
        if (time->year < 1990 || time->year > 2050) {
            ++stats.dropped["dated outside 1990 to 2050, the years the reader keeps"];
            continue;
        }
        if (stamp->meridiem != Meridiem::None)
            ++stats.twelveHourTimes;

        char stampBuffer[32];
        std::snprintf(stampBuffer, sizeof stampBuffer, "%04d/%02d/%02d,%02d:%02d:%02d", time->year, time->month,
                      time->day, time->hour, time->minute, time->second);
        out += stampBuffer;
        for (int column : shape.valueColumns) {
            const std::string_view cell =
                static_cast<std::size_t>(column) < fields.size() ? std::string_view(fields[column]) : "";
            CellOutcome outcome;
            out += ',';
            out += preparedCell(cell, shape.decimalComma, outcome);
            stats.mapped += outcome == CellOutcome::Mapped;
            stats.missing += outcome == CellOutcome::Missing;
            if (outcome == CellOutcome::Blanked) {
                ++stats.blanked;
                if (stats.blankedTexts.size() < blankedExamples)
                    stats.blankedTexts.insert(std::string(trimmed(cell)));
            }
        }
        out += "\r\n";

        ++stats.rows;
        if (!stats.first)
            stats.first = time;
        stats.last = time;
        const long long seconds = wallSeconds(*time);
        if (previous && seconds > *previous)
            steps.push_back(seconds - *previous);
        previous = seconds;
    }
    if (!steps.empty()) {
        std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
        stats.typicalStep = steps[steps.size() / 2];
    }
    return copy;
}

std::string formatWallTime(const WallTime& t)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return buffer;
}

std::string formatStep(long long seconds)
{
    if (seconds <= 0)
        return "none";
    if (seconds % 86400 == 0)
        return std::to_string(seconds / 86400) + (seconds == 86400 ? " day" : " days");
    std::string text;
    if (seconds >= 3600)
        text = std::to_string(seconds / 3600) + " h";
    if (seconds % 3600 >= 60)
        text += (text.empty() ? "" : " ") + std::to_string(seconds % 3600 / 60) + " min";
    if (seconds % 60)
        text += (text.empty() ? "" : " ") + std::to_string(seconds % 60) + " s";
    return text;
}

std::string freePath(const std::string& folder, const std::string& stem, std::string_view content,
                     const std::set<std::string>& reserved)
{
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? stem + ".csv" : stem + "-" + std::to_string(n) + ".csv";
        const std::string path = (fs::path(folder.empty() ? "." : folder) / name).string();
        if (reserved.count(path))
            continue;
        std::error_code error;
        if (!fs::exists(path, error) && !error)
            return path;
        bool ok = false;
        if (fs::is_regular_file(path, error) && readWholeFile(path, ok) == content && ok)
            return path;
    }
    return {};
}

std::string preparedCopyPath(const std::string& source, const std::string& folder, std::string_view content,
                             const std::set<std::string>& reserved)
{
    const fs::path original(source);
    std::string where = folder;
    if (where.empty())
        where = original.has_parent_path() ? original.parent_path().string() : ".";
    return freePath(where, original.stem().string() + ".import", content, reserved);
}

bool writeWholeFile(const std::string& path, std::string_view content, std::string& error)
{
    bool ok = false;
    if (readWholeFile(path, ok) == content && ok)
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
