#include "input/time_alignment.h"

#include "app/command_context.h"
#include "input/cell_number.h"
#include "input/date_formats.h"
#include "tree/data_tree.h"

#include <algorithm>

namespace tsl {

void TimeAlignment::startFile(CommandContext& context, DataNode* data, const DataNode* templateNode)
{
    const ToolSettings settings = context.settings();
    interval_ = settings.interval;
    sampling_ = settings.reduction == ReductionMode::Sampling;
    bracketStart_ = settings.bracketStart;
    bracketEnd_ = settings.bracketEnd;
    decimals_ = std::clamp(settings.decimals, 0, maxDecimals);

    haveFirst_ = havePrevious_ = false;
    first_ = previous_ = last_ = 0;
    previousDay_ = 0;
    accumulators_ = {};
    preciseAccumulators_ = {};
    boundary_ = false;
    dataline_ = nullptr;
    localHours_ = {};
    placement_.reset(context.tree(), data, templateNode,
                     settings.sortRows ? RowOrder::Time : RowOrder::FirstMet);
}

bool TimeAlignment::isBoundary(DataInterval interval, int minute, int second)
{
    switch (interval) {
    case DataInterval::Min1:
        return second == 0;
    case DataInterval::Min2:
        return second == 0 && minute % 2 == 0;
    case DataInterval::Min5:
        return second == 0 && minute % 5 == 0;
    case DataInterval::Min10:
        return second == 0 && minute % 10 == 0;
    case DataInterval::Min15:
        return second == 0 && minute % 15 == 0;
    case DataInterval::None:
    case DataInterval::Sec10:
        break;
    }
    return true;
}

namespace {

// A date and time that is no valid local time ends the read.
[[gnu::cold]] LineStep stopOnBadDateTime(CommandContext& context)
{
    MessageLog& log = context.log();
    log.append("ERROR- Date/Time format not correct.");
    log.append("   Please clear data, select the correct Date/Time format, and reenter the data.");
    log.showLast();
    setReadingState(context, false);
    context.reading().readInProgress = 0;
    return LineStep::Fail;
}

} // namespace

// A line a little earlier than the one before goes back a further ten
// seconds, so that it does not land on the row the previous line filled.
[[gnu::always_inline]] inline void TimeAlignment::stepBackFromPrevious(std::time_t& t, DateTimeFields& f) const
{
    const std::time_t stepBack = (previous_ - t) % 60;
    if (stepBack > 10) {
        t -= 10;
        const std::tm local = localFields(t);
        f.hour = local.tm_hour;
        f.minute = local.tm_min;
        f.second = local.tm_sec;
    }
}

// Keeps the first, previous and last instants, and says when a day starts.
// Inlined like the other phases: placeLine runs for every line.
[[gnu::always_inline]] inline void TimeAlignment::noteInstant(CommandContext& context, std::time_t t)
{
    if (!haveFirst_) {
        haveFirst_ = true;
        first_ = t;
        context.log().append("Starting day " + formatDay(t));
        context.setWriteStartDate(t);
    }
    const int day = localHours_.dayOfMonth(t);
    if (!havePrevious_) {
        havePrevious_ = true;
        previous_ = t;
        previousDay_ = day;
    }
    if (day != previousDay_)
        context.log().append("Starting day " + formatDay(t));
    previous_ = t;
    previousDay_ = day;
    last_ = t;
}

// Whether the line lies outside the daily window of the bracket.
inline bool TimeAlignment::outsideBracket(const DateTimeFields& f, std::time_t t)
{
    const std::time_t start = localHours_.localTime(f.year, f.month, f.day, bracketStart_.hour,
                                                    bracketStart_.minute, bracketStart_.second);
    const std::time_t end = localHours_.localTime(f.year, f.month, f.day, bracketEnd_.hour,
                                                  bracketEnd_.minute, bracketEnd_.second);
    return t < start || t > end;
}

LineStep TimeAlignment::placeLine(CommandContext& context, DateTimeFields& f)
{
    boundary_ = false;
    dataline_ = nullptr;
    if (f.year < 1990)
        return LineStep::PassOver;

    // Rows sit on whole ten seconds; anything else moves to its minute's
    // start. The time as read must still be a valid one: this first call's
    // error goes to the line's own handler, as a bad line's does.
    if (f.second % 10 != 0) {
        localHours_.localTime(f.year, f.month, f.day, f.hour, f.minute, f.second);
        f.second = 0;
    }

    std::time_t t;
    try {
        t = localHours_.localTime(f.year, f.month, f.day, f.hour, f.minute, f.second);
    } catch (const LocalTimeError&) {
        return stopOnBadDateTime(context);
    }

    stepBackFromPrevious(t, f);
    noteInstant(context, t);
    if (context.bracketEnabled() && outsideBracket(f, t))
        return LineStep::PassOver;

    boundary_ = isBoundary(interval_, f.minute, f.second);
    if (!boundary_)
        return sampling_ ? LineStep::PassOver : LineStep::Accumulate;
    dataline_ = placement_.datalineFor(f);
    return LineStep::Store;
}

void TimeAlignment::writeMean(float mean, DataNode* label) const
{
    char text[cellTextCapacity];
    const std::size_t length = formatCell(mean, text);
    label->setText(std::string_view(text, length));
}

void TimeAlignment::writeMean(double mean, DataNode* label) const
{
    char text[preciseCellTextCapacity];
    const std::size_t length = formatCell(mean, decimals_, text);
    label->setText(std::string_view(text, length));
}

} // namespace tsl
