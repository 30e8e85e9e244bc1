#pragma once

#include <cstddef>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// What one cell of an export holds.
enum class CellKind {
    Empty,   // nothing written
    Missing, // a marker of no reading: nan, ---, n/a
    Number,  // a number, with or without a unit after it ("72.4", "35 %")
    State,   // one of a two-state pair: On/Off, True/False, Occupied/Unoccupied ...
    Compass, // a compass point: N, NNE ... NNW
    Word,    // any other text: a mode such as COOL, an error text
};

struct Cell {
    CellKind kind = CellKind::Empty;
    double value = 0;      // the number; 1 or 0 for a state; degrees for a compass point
    std::string_view text; // the cell without blanks at either end
};

Cell classifyCell(std::string_view cell, bool decimalComma);

// How the readings of a column are reduced: numbers and the fraction of time
// "on" are averaged; codes and directions are never averaged (COOL and HEAT
// do not make 1.5, 350 and 10 degrees do not make 180).
enum class ColumnKind { Numbers, TwoState, Codes, Compass };

std::string_view kindName(ColumnKind kind);

// What a column's cells were, over the whole file.
class ColumnTally {
public:
    void add(const Cell& cell);
    ColumnKind kind() const;

    std::size_t count(CellKind kind) const { return counts_[static_cast<int>(kind)]; }
    // Distinct texts in order of first appearance, as many as a code list may hold.
    const std::vector<std::string>& words() const { return words_; }
    bool tooManyWords() const { return tooManyWords_; }
    // The first state word seen of each side ("On", "Off").
    const std::string& onWord() const { return onWord_; }
    const std::string& offWord() const { return offWord_; }
    // Range of the numbers read.
    double minimum() const { return minimum_; }
    double maximum() const { return maximum_; }

private:
    std::size_t counts_[6] = {0, 0, 0, 0, 0, 0};
    std::vector<std::string> words_;
    bool tooManyWords_ = false;
    bool onlyZeroOne_ = true;
    std::string onWord_, offWord_;
    double minimum_ = std::numeric_limits<double>::infinity();
    double maximum_ = -std::numeric_limits<double>::infinity();
};

// The number each code text stands for, shared by every file of an import
// that writes the same column, so that one column never means two things.
class CodeLegends {
public:
    // The code of text in the column labelled label (1, 2, ... in order of first use).
    int code(const std::string& label, std::string_view text);
    // "1 = COOL, 2 = HEAT"
    std::string legend(const std::string& label) const;

private:
    std::map<std::string, std::vector<std::string>> codes_;
};

// The value a cell gives a column of its kind; false when the cell gives
// none (empty, missing, or text that means nothing in this column).
bool cellValue(const Cell& cell, ColumnKind kind, const std::string& label, CodeLegends& legends, double& value);

} // namespace tsl
