#pragma once

#include "app/tool_settings.h"

namespace tsl {

class MessageLog;

// Lines starting "WARNING" for the reader's rules that move readings without
// an error: a header read with another number of leading fields than the
// lines turn out to have, a header without labels, lines whose empty first
// reading is passed over, and a format search that swaps day-first and
// month-first dates. One object serves one file; line numbers count the
// file's lines as read, the header being line 1.
class ReaderWarnings {
public:
    explicit ReaderWarnings(MessageLog& log) : log_(log) {}

    // The header's labels were taken after the leading fields of this layout.
    void headerRead(DateFormatId layout) { headerLayout_ = layout; }
    void noLabels();
    // A line whose date was read with the layout selected now.
    void lineDated(int lineNumber)
    {
        if (firstInLayout_ == 0)
            firstInLayout_ = lineNumber;
        lastInLayout_ = lineNumber;
    }
    // A line placed with its readings moved one column to the left.
    void emptyFirstReading(int lineNumber)
    {
        if (emptyFirstCount_++ == 0)
            firstEmptyFirst_ = lineNumber;
    }
    // The format search found `found` for this line after `previous` failed.
    void layoutFound(DateFormatId previous, DateFormatId found, int lineNumber);
    // The read ended (at the end, a stop or a failure): what was counted.
    void fileEnded();

private:
    MessageLog& log_;
    DateFormatId headerLayout_ = -1;
    bool shiftReported_ = false;
    int firstInLayout_ = 0;
    int lastInLayout_ = 0;
    int emptyFirstCount_ = 0;
    int firstEmptyFirst_ = 0;
};

} // namespace tsl
