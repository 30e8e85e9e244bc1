#include "app/window/control_rows.h"

#include <QGridLayout>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace tsl {

namespace {

bool takesFocus(const QWidget* widget)
{
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

void collectFocus(QLayout* layout, std::vector<QWidget*>& order);

// A widget that takes the focus itself, or the controls laid out inside it
// (a group box).
void collectFocus(QWidget* widget, std::vector<QWidget*>& order)
{
    if (takesFocus(widget)) {
        order.push_back(widget);
        return;
    }
    if (widget->layout())
        collectFocus(widget->layout(), order);
}

void collectFocus(QLayout* layout, std::vector<QWidget*>& order)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* widget = item->widget())
            collectFocus(widget, order);
        else if (QLayout* inner = item->layout())
            collectFocus(inner, order);
    }
}

} // namespace

void placeRows(QGridLayout& grid, const std::vector<ControlRow>& rows)
{
    int columns = 0;
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        int column = 0;
        for (const ControlCell& cell : rows[static_cast<std::size_t>(row)]) {
            if (cell.widget)
                grid.addWidget(cell.widget, row, column, 1, cell.span);
            else
                grid.addLayout(cell.layout, row, column, 1, cell.span);
            column += cell.span;
        }
        columns = std::max(columns, column);
    }
    // Space beyond what the cells need goes to every column alike.
    for (int column = 0; column < columns; ++column)
        grid.setColumnStretch(column, 1);
}

std::vector<QWidget*> focusOrder(const std::vector<ControlRow>& rows)
{
    std::vector<QWidget*> order;
    for (const ControlRow& row : rows)
        for (const ControlCell& cell : row) {
            if (cell.widget)
                collectFocus(cell.widget, order);
            else
                collectFocus(cell.layout, order);
        }
    return order;
}

void chainTabOrder(const std::vector<QWidget*>& order)
{
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace tsl
