#pragma once

#include "input/cell_number.h"
#include "input/read_ahead.h"

#include <cstddef>
#include <cstring>

namespace tsl {

// The fields of one data line from a position on, as the reader's readings
// loop walks them: the position q moves only past a delimiter or to the end
// of the text. When the line comes prepared (split at the same delimiter),
// the next field's start and the reading at q come from its tables instead
// of a search of the text; where q is not at a prepared field, or runs past
// the prepared ones, the text is read as it stands. The text ends with a NUL
// byte at end, as every line read does.
class LineFields {
public:
    LineFields(const char* line, const char* q, const char* end, char delimiter, const PreparedLine* prepared)
        : line_(line), q_(q), end_(end), d_(delimiter)
    {
        if (prepared && prepared->delimiter == delimiter && prepared->text == line)
            locate(prepared);
    }

    char here() const { return *q_; }
    bool atDelimiter() const { return *q_ == d_; }
    bool atEnd() const { return q_ >= end_; }
    // The rest of the line is only its "\n".
    bool atLineEnd() const { return q_[0] == '\n' && q_ + 1 == end_; }
    bool atTwoDelimiters() const { return q_[0] == d_ && q_[1] == d_; }

    // From a delimiter to the field after it.
    void stepOverDelimiter()
    {
        ++q_;
        if (prepared_)
            follow();
    }

    // Past the next delimiter; false (and q unchanged) when there is none.
    bool toNextField()
    {
        if (prepared_) {
            if (field_ + 1 < prepared_->fieldCount) {
                q_ = line_ + prepared_->fieldStarts[++field_];
                return true;
            }
            if (prepared_->allFields)
                return false;
            prepared_ = nullptr;
        }
        // Most often a reading ends at the delimiter.
        const void* found = q_ < end_ && *q_ == d_ ? q_ : std::memchr(q_, d_, static_cast<std::size_t>(end_ - q_));
        if (!found)
            return false;
        q_ = static_cast<const char*>(found) + 1;
        return true;
    }

    // The reading at q (parseReadingBeforeNul).
    double reading()
    {
        if (prepared_)
            return prepared_->readings[field_];
        return parseReadingBeforeNul(q_, readingEnd_);
    }

    // Past the field just read: to the next field, or to the end of the text.
    void pastReading()
    {
        // Between q and the end of a reading read here there is no
        // delimiter when it cannot be part of one.
        if (!prepared_ && !mayBeInReading(d_))
            q_ = readingEnd_;
        if (!toNextField())
            q_ = end_;
    }

private:
    // The prepared field at q, if q is at one of them.
    void locate(const PreparedLine* prepared)
    {
        const auto offset = static_cast<std::size_t>(q_ - line_);
        for (std::uint32_t k = 0; k < prepared->fieldCount && prepared->fieldStarts[k] <= offset; ++k) {
            if (prepared->fieldStarts[k] == offset) {
                prepared_ = prepared;
                field_ = k;
                return;
            }
        }
    }

    // After q moved one past a delimiter: that is where the next field starts.
    void follow()
    {
        if (field_ + 1 < prepared_->fieldCount && line_ + prepared_->fieldStarts[field_ + 1] == q_)
            ++field_;
        else
            prepared_ = nullptr;
    }

    const char* line_;
    const char* q_;
    const char* end_;
    const char* readingEnd_ = nullptr; // of the last reading read from the text
    char d_;
    const PreparedLine* prepared_ = nullptr;
    std::uint32_t field_ = 0;
};

} // namespace tsl
