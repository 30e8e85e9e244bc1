#pragma once

// Controls arranged row by row in a grid, with the keyboard focus moving
// through them in the order they stand: along each row, then down.

#include <vector>

class QGridLayout;
class QLayout;
class QWidget;

namespace tsl {

// One place in a row: a control, or a small layout of controls (a list with
// its caption) that stands together. Cells take the grid's columns in turn;
// a cell may span several.
struct ControlCell {
    ControlCell(QWidget* widget, int span = 1) : widget(widget), span(span) {}
    ControlCell(QLayout* layout, int span = 1) : layout(layout), span(span) {}

    QWidget* widget = nullptr;
    QLayout* layout = nullptr;
    int span = 1;
};

using ControlRow = std::vector<ControlCell>;

// Puts each row's cells into the grid's row of the same number, from column
// 0; the columns share the width the cells leave alike.
void placeRows(QGridLayout& grid, const std::vector<ControlRow>& rows);

// The controls of the rows that take the keyboard focus, in reading order:
// row by row, left to right, the controls inside a cell (a group box's too)
// in their own order.
std::vector<QWidget*> focusOrder(const std::vector<ControlRow>& rows);

// Makes Tab move through the widgets in this order.
void chainTabOrder(const std::vector<QWidget*>& order);

} // namespace tsl
