#pragma once

// A year (or the first days of one) of one-minute data built directly in
// the tree as the reader leaves it: a template, then one data line a minute
// of 2019, every cell a "%5.2f" reading.

#include "tree/data_tree.h"

#include <cstdio>
#include <string>

namespace bench {

inline std::string twoDigits(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

// cellText(column, hour, minute) writes a cell into text (16 bytes) and
// returns it; an empty text is a blank cell.
template <typename CellText>
void buildYear(tsl::DataTree& tree, int days, int columns, CellText&& cellText)
{
    tsl::DataNode* templ = tree.addChild(tree.root(), "template");
    for (int column = 0; column < columns; ++column) {
        tsl::DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "AHU" + std::to_string(column) + "_TEMP");
        tree.setAttributeInt(label, "order", column);
    }
    tsl::DataNode* data = tree.addChild(tree.root(), "data");
    tsl::DataNode* year = tree.addChild(data, "dataYear");
    tree.setAttributeInt(year, "year", 2019);
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    char cell[16];
    int dayCount = 0;
    for (int month = 1; month <= 12 && dayCount < days; ++month) {
        tsl::DataNode* monthNode = tree.insertChildSorted(year, "dataMonth", "month", twoDigits(month));
        for (int day = 1; day <= monthDays[month - 1] && dayCount < days; ++day, ++dayCount) {
            tsl::DataNode* dayNode = tree.insertChildSorted(monthNode, "dataDay", "day", twoDigits(day));
            for (int hour = 0; hour < 24; ++hour) {
                tsl::DataNode* hourNode = tree.insertChildSorted(dayNode, "dataHour", "hour", twoDigits(hour));
                for (int minute = 0; minute < 60; ++minute) {
                    tsl::DataNode* line = tree.copySubtree(hourNode, templ);
                    tree.setName(line, "dataline");
                    const std::string stamp = twoDigits(minute) + ":00";
                    tree.setAttribute(line, "timestamp", stamp);
                    tree.setAttribute(line, "timestampCSV", stamp);
                    int column = 0;
                    for (tsl::DataNode* label = line->firstChild(); label; label = label->nextSibling())
                        label->setText(cellText(cell, column++, dayCount * 24 + hour, minute));
                }
            }
        }
    }
}

} // namespace bench
