#include "input/column_kinds.h"

#include "input/export_shape.h"
#include "input/export_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tsl {

namespace {

// Distinct texts a column of codes may hold; more is free text.
constexpr std::size_t codeLimit = 32;

struct StatePair {
    std::string_view on, off;
};
constexpr StatePair statePairs[] = {
    {"on", "off"},           {"true", "false"},      {"yes", "no"},     {"occupied", "unoccupied"},
    {"occ", "unocc"},        {"active", "inactive"}, {"enabled", "disabled"}, {"enable", "disable"},
    {"open", "closed"},      {"running", "stopped"}, {"run", "stop"},   {"ein", "aus"},
};

constexpr std::string_view compassPoints[] = {"n",  "nne", "ne", "ene", "e",  "ese", "se", "sse",
                                              "s",  "ssw", "sw", "wsw", "w",  "wnw", "nw", "nnw"};
constexpr std::string_view compassNames[] = {"north", "", "northeast", "", "east", "", "southeast", "",
                                             "south", "", "southwest", "", "west", "", "northwest", ""};

constexpr std::string_view missingMarkers[] = {"nan", "-nan", "null", "none", "n/a", "na", "#n/a",
                                               "-",   "--",   "---",  "?",    "#value!"};

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Length of the leading number [sign] digits [point digits] [exponent]
// (the point may be a comma in a file of decimal commas); 0 when none.
std::size_t numberLength(std::string_view t, bool decimalComma)
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
        return 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            ++j;
        const std::size_t exponent = j;
        while (j < t.size() && isDigit(t[j]))
            ++j;
        if (j > exponent)
            i = j;
    }
    return i;
}

bool readNumber(std::string_view t, bool decimalComma, double& value)
{
    const std::size_t length = numberLength(t, decimalComma);
    if (!length)
        return false;
    const std::string_view rest = trimmed(t.substr(length));
    if (!rest.empty() && !looksLikeUnit(rest) && rest != "kg" && rest != "lb" && rest != "kg/s" && rest != "gal")
        return false;
    std::string number(t.substr(t[0] == '+' ? 1 : 0, length - (t[0] == '+' ? 1 : 0)));
    std::replace(number.begin(), number.end(), ',', '.');
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    return error == std::errc() && end == number.data() + number.size() && std::isfinite(value);
}

} // namespace

Cell classifyCell(std::string_view text, bool decimalComma)
{
    Cell cell;
    cell.text = trimmed(text);
    if (cell.text.empty())
        return cell;
    if (readNumber(cell.text, decimalComma, cell.value)) {
        cell.kind = CellKind::Number;
        return cell;
    }
    const std::string word = lowered(cell.text);
    for (const StatePair& pair : statePairs) {
        if (word == pair.on || word == pair.off) {
            cell.kind = CellKind::State;
            cell.value = word == pair.on ? 1 : 0;
            return cell;
        }
    }
    for (std::size_t i = 0; i < std::size(compassPoints); ++i) {
        if (word == compassPoints[i] || (!compassNames[i].empty() && word == compassNames[i])) {
            cell.kind = CellKind::Compass;
            cell.value = 22.5 * static_cast<double>(i);
            return cell;
        }
    }
    cell.kind = std::find(std::begin(missingMarkers), std::end(missingMarkers), word) != std::end(missingMarkers)
                    ? CellKind::Missing
                    : CellKind::Word;
    return cell;
}

std::string_view kindName(ColumnKind kind)
{
    switch (kind) {
    case ColumnKind::Numbers:
        return "numbers";
    case ColumnKind::TwoState:
        return "two states";
    case ColumnKind::Codes:
        return "codes";
    case ColumnKind::Compass:
        return "compass directions in degrees";
    }
    return "";
}

void ColumnTally::add(const Cell& cell)
{
    ++counts_[static_cast<int>(cell.kind)];
    switch (cell.kind) {
    case CellKind::Number:
        minimum_ = std::min(minimum_, cell.value);
        maximum_ = std::max(maximum_, cell.value);
        onlyZeroOne_ = onlyZeroOne_ && (cell.value == 0 || cell.value == 1);
        break;
    case CellKind::State:
        if (cell.value == 1 && onWord_.empty())
            onWord_ = std::string(cell.text);
        if (cell.value == 0 && offWord_.empty())
            offWord_ = std::string(cell.text);
        break;
    case CellKind::Empty:
    case CellKind::Missing:
        return;
    case CellKind::Compass:
    case CellKind::Word:
        break;
    }
    if (tooManyWords_ || std::find(words_.begin(), words_.end(), cell.text) != words_.end())
        return;
    if (words_.size() < codeLimit)
        words_.emplace_back(cell.text);
    else
        tooManyWords_ = true;
}

ColumnKind ColumnTally::kind() const
{
    const std::size_t numbers = count(CellKind::Number), states = count(CellKind::State);
    const std::size_t compass = count(CellKind::Compass), words = count(CellKind::Word);
    if (words > 0 && !tooManyWords_ && words + compass > numbers + states)
        return ColumnKind::Codes;
    if (compass > 0 && words == 0 && states == 0)
        return ColumnKind::Compass;
    if (states > 0 && onlyZeroOne_)
        return ColumnKind::TwoState;
    return ColumnKind::Numbers;
}

int CodeLegends::code(const std::string& label, std::string_view text)
{
    std::vector<std::string>& texts = codes_[label];
    const auto found = std::find(texts.begin(), texts.end(), text);
    if (found != texts.end())
        return static_cast<int>(found - texts.begin()) + 1;
    texts.emplace_back(text);
    return static_cast<int>(texts.size());
}

std::string CodeLegends::legend(const std::string& label) const
{
    const auto found = codes_.find(label);
    std::string text;
    if (found == codes_.end())
        return text;
    for (std::size_t i = 0; i < found->second.size(); ++i)
        text += (i ? ", " : "") + std::to_string(i + 1) + " = " + found->second[i];
    return text;
}

bool cellValue(const Cell& cell, ColumnKind kind, const std::string& label, CodeLegends& legends, double& value)
{
    if (cell.kind == CellKind::Empty || cell.kind == CellKind::Missing)
        return false;
    switch (kind) {
    case ColumnKind::Codes:
        value = legends.code(label, cell.text);
        return true;
    case ColumnKind::Compass:
        if (cell.kind != CellKind::Compass && cell.kind != CellKind::Number)
            return false;
        value = std::fmod(std::fmod(cell.value, 360.0) + 360.0, 360.0);
        return true;
    case ColumnKind::TwoState:
    case ColumnKind::Numbers:
        if (cell.kind != CellKind::Number && cell.kind != CellKind::State)
            return false;
        value = cell.value;
        return true;
    }
    return false;
}

} // namespace tsl
