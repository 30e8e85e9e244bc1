#pragma once

#include "tree/data_tree.h"

namespace tsl {

// Visits every data line in tree order: the years of the first "dataYear"
// found from the root and its siblings, in each its months, days and hours,
// and the lines of each hour, following the sibling links at every level.
// The walk stops early when visit returns false.
template <typename Visit>
void forEachDataline(const DataTree& tree, Visit&& visit)
{
    for (DataNode* year = tree.findNode(tree.root(), "dataYear"); year; year = year->nextSibling())
        for (DataNode* month = tree.findNode(year, "dataMonth"); month; month = month->nextSibling())
            for (DataNode* day = tree.findNode(month, "dataDay"); day; day = day->nextSibling())
                for (DataNode* hour = tree.findNode(day, "dataHour"); hour; hour = hour->nextSibling())
                    for (DataNode* line = tree.findNode(hour, "dataline"); line; line = line->nextSibling())
                        if (!visit(line))
                            return;
}

// The cells of a data line: its first "label" and the siblings after it.
inline DataNode* firstCell(const DataTree& tree, const DataNode* line) { return tree.findNode(line, "label"); }

} // namespace tsl
