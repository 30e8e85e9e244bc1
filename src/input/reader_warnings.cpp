#include "input/reader_warnings.h"

#include "app/message_log.h"
#include "input/date_formats.h"

#include <string>

namespace tsl {

namespace {

std::string layoutName(DateFormatId layout)
{
    if (layout < 0 || layout >= static_cast<DateFormatId>(dateLayouts.size()))
        return "#" + std::to_string(layout + 1);
    return std::string(dateLayouts[static_cast<std::size_t>(layout)].label);
}

std::string fieldsText(int count)
{
    return count == 1 ? "1 field" : std::to_string(count) + " fields";
}

// Which comes first in a slash date: 'D' for the day, 'M' for the month,
// '\0' for layouts that start with the year.
char leadingPart(DateFormatId layout)
{
    switch (layout) {
    case 0:
    case 2:
        return 'D';
    case 1:
    case 3:
        return 'M';
    default:
        return '\0';
    }
}

} // namespace

void ReaderWarnings::noLabels()
{
    log_.append("WARNING- no column labels were found in the header of this file (labels end at an empty "
                "field or one of a single character): none of its readings will be stored.");
}

void ReaderWarnings::layoutFound(DateFormatId previous, DateFormatId found, int lineNumber)
{
    if (headerLayout_ >= 0 && !shiftReported_ && leadingColumns(found) != leadingColumns(headerLayout_)) {
        shiftReported_ = true;
        log_.append("WARNING- the header of this file was read with the layout " + layoutName(headerLayout_) +
                    " (date and time in " + fieldsText(leadingColumns(headerLayout_)) + ") but its lines match " +
                    layoutName(found) + " (" + fieldsText(leadingColumns(found)) +
                    "): the labels of this file are shifted by one column. Select " + layoutName(found) +
                    " and read the file again.");
    }
    const char from = leadingPart(previous);
    const char to = leadingPart(found);
    if (from && to && from != to && firstInLayout_ > 0) {
        const bool one = firstInLayout_ == lastInLayout_;
        const std::string lines = one ? "line " + std::to_string(firstInLayout_)
                                      : "lines " + std::to_string(firstInLayout_) + " to " +
                                            std::to_string(lastInLayout_);
        log_.append("WARNING- the date layout changed from " + layoutName(previous) + " to " + layoutName(found) +
                    " at line " + std::to_string(lineNumber) + ": " + lines + (one ? " was" : " were") +
                    " read " + (from == 'D' ? "day" : "month") + " first and may carry swapped days and months.");
    }
    firstInLayout_ = 0;
    lastInLayout_ = 0;
}

void ReaderWarnings::fileEnded()
{
    if (emptyFirstCount_ == 0)
        return;
    const std::string first = std::to_string(firstEmptyFirst_);
    if (emptyFirstCount_ == 1)
        log_.append("WARNING- line " + first + " of this file has an empty first reading: the reader moved its "
                    "readings one column to the left.");
    else
        log_.append("WARNING- " + std::to_string(emptyFirstCount_) +
                    " lines of this file have an empty first reading (the first at line " + first +
                    "): the reader moved their readings one column to the left.");
    emptyFirstCount_ = 0;
}

} // namespace tsl
