#include "ops/chart_series.h"

#include "input/date_formats.h"
#include "ops/data_columns.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ctime>
#include <limits>
#include <memory>
#include <numeric>
#include <tuple>

namespace tsl {

namespace {

constexpr float blank = std::numeric_limits<float>::quiet_NaN();

// Readings this many times the column's usual step apart have a gap
// between them: one missing reading is enough. Blanks alone are no gap: an
// hourly meter merged with five-minute loggers is blank in most lines.
constexpr double gapSteps = 1.5;

// The reading a cell holds; NaN for an empty cell or any text but a number.
float chartValue(std::string_view text)
{
    const std::optional<double> value = cellNumber(text);
    return value ? static_cast<float>(*value) : blank;
}

// A decimal key attribute of a node ("year", "month", "MM" of "MM:SS"); -1
// when it is missing or not a number.
int keyNumber(std::string_view text)
{
    int value = -1;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

int keyOf(const DataNode* node, std::string_view name)
{
    const DataAttribute* key = node ? DataTree::findAttribute(node, name) : nullptr;
    return key ? keyNumber(key->value()) : -1;
}

// The start of the hour a "dataHour" node stands for, from its own key and
// those of its day, month and year.
std::optional<std::int64_t> hourStart(const DataNode* hour)
{
    const DataNode* day = hour->parent();
    const DataNode* month = day ? day->parent() : nullptr;
    const DataNode* year = month ? month->parent() : nullptr;
    try {
        return makeLocalTime(keyOf(year, "year"), keyOf(month, "month"), keyOf(day, "day"), keyOf(hour, "hour"), 0, 0);
    } catch (const LocalTimeError&) {
        return std::nullopt;
    }
}

// Minute and second of a data line, "MM:SS", as seconds into its hour; -1
// when the line has no readable stamp.
int secondsIntoHour(const DataNode* line)
{
    const DataAttribute* stamp = DataTree::findAttribute(line, "timestampCSV");
    if (!stamp)
        stamp = DataTree::findAttribute(line, "timestamp");
    if (!stamp || stamp->value().size() != 5 || stamp->value()[2] != ':')
        return -1;
    const int minute = keyNumber(stamp->value().substr(0, 2));
    const int second = keyNumber(stamp->value().substr(3, 2));
    if (minute < 0 || minute > 59 || second < 0 || second > 59)
        return -1;
    return minute * 60 + second;
}

// Visits each data line with its time, working out each hour's start once.
template <typename Visit>
void forEachTimedLine(const DataTree& tree, Visit&& visit)
{
    const DataNode* hour = nullptr;
    std::optional<std::int64_t> start;
    forEachDataline(tree, [&](const DataNode* line) {
        if (line->parent() != hour) {
            hour = line->parent();
            start = hourStart(hour);
        }
        const int offset = secondsIntoHour(line);
        if (start && offset >= 0)
            visit(line, *start + offset);
        return true;
    });
}

// Lines of one hour keep the order they were made in, which a later file
// can break; the chart wants them by time.
void sortByTime(ChartData& data)
{
    if (std::is_sorted(data.times.begin(), data.times.end()))
        return;
    std::vector<std::size_t> order(data.times.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return data.times[a] < data.times[b]; });
    auto permute = [&](auto& values) {
        std::remove_reference_t<decltype(values)> sorted(values.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            sorted[i] = values[order[i]];
        values.swap(sorted);
    };
    permute(data.times);
    for (ChartColumn& column : data.columns)
        permute(column.values);
}

// The span beyond which readings of a column have a gap between them, from
// the middle of the column's steps.
std::int64_t gapSpanOf(const std::vector<std::int64_t>& times, const std::vector<float>& values)
{
    std::vector<std::int64_t> steps;
    std::optional<std::int64_t> previous;
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (std::isnan(values[i]))
            continue;
        if (previous && times[i] > *previous)
            steps.push_back(times[i] - *previous);
        previous = times[i];
    }
    if (steps.empty())
        return 0;
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return static_cast<std::int64_t>(double(*middle) * gapSteps);
}

} // namespace

void summarizeColumn(ChartColumn& column, const std::vector<std::int64_t>& times)
{
    bool first = true;
    for (float value : column.values) {
        if (std::isnan(value))
            continue;
        ++column.readings;
        column.low = first ? value : std::min(column.low, value);
        column.high = first ? value : std::max(column.high, value);
        first = false;
    }
    column.gapSpan = gapSpanOf(times, column.values);
}

double ChartColumn::scale() const { return std::max(std::fabs(double(low)), std::fabs(double(high))); }

std::vector<std::string> chartColumnLabels(const DataTree& tree)
{
    return dataColumnLabels(tree);
}

std::vector<std::string> firstColumnsWithReadings(const DataTree& tree, std::size_t count)
{
    const std::vector<std::string> labels = chartColumnLabels(tree);
    std::vector<bool> hasReading(labels.size(), false);
    // Done once the first `count` columns that hold readings are known: no
    // column before the last of them is still undecided.
    auto decided = [&] {
        std::size_t found = 0;
        for (std::size_t i = 0; i < labels.size() && found < count; ++i) {
            if (!hasReading[i])
                return false;
            ++found;
        }
        return true;
    };
    // Only columns without a reading yet are looked at; the finder is made
    // again whenever that set shrinks, which happens in the first lines for
    // most columns.
    std::vector<std::size_t> pending(labels.size());
    std::iota(pending.begin(), pending.end(), std::size_t{0});
    auto finderOf = [&] {
        std::vector<std::string> pendingLabels;
        for (std::size_t i : pending)
            pendingLabels.push_back(labels[i]);
        return std::make_unique<ColumnFinder>(tree, pendingLabels);
    };
    std::unique_ptr<ColumnFinder> finder = finderOf();
    if (!decided()) {
        forEachDataline(tree, [&](const DataNode* line) {
            bool foundAny = false;
            finder->forEachChosenCell(line, [&](int column, const DataNode* cell) {
                if (cellNumber(cell->text())) {
                    hasReading[pending[static_cast<std::size_t>(column)]] = true;
                    foundAny = true;
                }
            });
            if (!foundAny)
                return true;
            if (decided())
                return false;
            std::erase_if(pending, [&](std::size_t i) { return hasReading[i]; });
            finder = finderOf();
            return true;
        });
    }
    std::vector<std::string> chosen;
    for (std::size_t i = 0; i < labels.size() && chosen.size() < count; ++i)
        if (hasReading[i])
            chosen.push_back(labels[i]);
    return chosen;
}

ChartData collectChartData(const DataTree& tree, const std::vector<std::string>& labels)
{
    ChartData data;
    for (const std::string& label : labels)
        data.columns.push_back({label, {}, 0, 0, 0, 0});
    ColumnFinder finder(tree, labels);
    forEachTimedLine(tree, [&](const DataNode* line, std::int64_t time) {
        data.times.push_back(time);
        for (ChartColumn& column : data.columns)
            column.values.push_back(blank);
        finder.forEachChosenCell(line, [&](int column, const DataNode* cell) {
            data.columns[column].values.back() = chartValue(cell->text());
        });
    });
    sortByTime(data);
    for (ChartColumn& column : data.columns)
        summarizeColumn(column, data.times);
    return data;
}

namespace {

// Builds one column's line: readings are added in time order, a pixel
// column at a time when bucketed, and runs end at breaks.
class LineBuilder {
public:
    LineBuilder(const ChartData& data, std::size_t column, double from, double secondsPerPixel, bool bucketed)
        : times_(data.times), values_(data.columns[column].values), gapSpan_(data.columns[column].gapSpan), from_(from),
          secondsPerPixel_(secondsPerPixel), bucketed_(bucketed)
    {
    }

    void add(std::size_t i)
    {
        const long long key = bucketed_ ? static_cast<long long>(std::floor((times_[i] - from_) / secondsPerPixel_))
                                        : static_cast<long long>(i);
        if (open_ && key == bucket_.key) {
            widen(i);
            return;
        }
        if (open_) {
            flush();
            if (breakBetween(bucket_.last, i))
                endRun();
        }
        bucket_ = {key, i, i, i, i};
        open_ = true;
    }

    PlotLine finish()
    {
        if (open_)
            flush();
        endRun();
        if (line_.runCount() > maxRunsPerLine)
            closeNarrowestBreaks();
        return std::move(line_);
    }

private:
    struct Bucket {
        long long key;
        std::size_t first, low, high, last;
    };

    void widen(std::size_t i)
    {
        if (values_[i] < values_[bucket_.low])
            bucket_.low = i;
        if (values_[i] > values_[bucket_.high])
            bucket_.high = i;
        bucket_.last = i;
    }

    // A gap breaks the line once it spans a pixel: narrower ones could not
    // be seen.
    bool breakBetween(std::size_t earlier, std::size_t later) const
    {
        const std::int64_t span = times_[later] - times_[earlier];
        return span > gapSpan_ && double(span) >= secondsPerPixel_;
    }

    void flush()
    {
        std::size_t kept[] = {bucket_.first, bucket_.low, bucket_.high, bucket_.last};
        std::sort(std::begin(kept), std::end(kept));
        const std::size_t* end = std::unique(std::begin(kept), std::end(kept));
        for (const std::size_t* i = kept; i != end; ++i)
            line_.points.push_back({double(times_[*i]), values_[*i]});
    }

    void endRun()
    {
        const std::size_t start = line_.runEnds.empty() ? 0 : line_.runEnds.back();
        if (line_.points.size() > start)
            line_.runEnds.push_back(line_.points.size());
    }

    void closeNarrowestBreaks()
    {
        const std::size_t breaks = line_.runEnds.size() - 1;
        std::vector<std::pair<double, std::size_t>> widths;
        widths.reserve(breaks);
        for (std::size_t k = 0; k < breaks; ++k) {
            const std::size_t end = line_.runEnds[k];
            widths.emplace_back(line_.points[end].time - line_.points[end - 1].time, k);
        }
        const std::size_t closing = line_.runEnds.size() - maxRunsPerLine;
        std::nth_element(widths.begin(), widths.begin() + static_cast<std::ptrdiff_t>(closing), widths.end());
        std::vector<bool> closed(breaks, false);
        for (std::size_t k = 0; k < closing; ++k)
            closed[widths[k].second] = true;
        std::vector<std::size_t> kept;
        for (std::size_t k = 0; k < breaks; ++k)
            if (!closed[k])
                kept.push_back(line_.runEnds[k]);
        kept.push_back(line_.runEnds.back());
        line_.runEnds.swap(kept);
    }

    const std::vector<std::int64_t>& times_;
    const std::vector<float>& values_;
    std::int64_t gapSpan_;
    double from_;
    double secondsPerPixel_;
    bool bucketed_;
    Bucket bucket_{};
    bool open_ = false;
    PlotLine line_;
};

} // namespace

PlotLine plotLine(const ChartData& data, std::size_t column, double from, double to, int pixelColumns)
{
    if (data.times.empty() || column >= data.columns.size() || pixelColumns <= 0 || !(to > from))
        return {};
    const auto& times = data.times;
    auto lo = static_cast<std::size_t>(
        std::lower_bound(times.begin(), times.end(), from, [](std::int64_t t, double x) { return double(t) < x; }) -
        times.begin());
    auto hi = static_cast<std::size_t>(
        std::upper_bound(times.begin(), times.end(), to, [](double x, std::int64_t t) { return x < double(t); }) -
        times.begin());
    lo -= lo > 0;
    hi += hi < times.size();
    const bool bucketed = hi - lo > 4 * static_cast<std::size_t>(pixelColumns);
    LineBuilder builder(data, column, from, (to - from) / pixelColumns, bucketed);
    const std::vector<float>& values = data.columns[column].values;
    for (std::size_t i = lo; i < hi; ++i)
        if (!std::isnan(values[i]))
            builder.add(i);
    return builder.finish();
}

std::optional<std::size_t> nearestReading(const ChartData& data, std::size_t column, double time)
{
    if (column >= data.columns.size())
        return std::nullopt;
    const auto& times = data.times;
    const auto& values = data.columns[column].values;
    const auto at = static_cast<std::size_t>(
        std::lower_bound(times.begin(), times.end(), time, [](std::int64_t t, double x) { return double(t) < x; }) -
        times.begin());
    std::optional<std::size_t> after, before;
    for (std::size_t i = at; i < times.size() && !after; ++i)
        if (!std::isnan(values[i]))
            after = i;
    for (std::size_t i = at; i > 0 && !before; --i)
        if (!std::isnan(values[i - 1]))
            before = i - 1;
    if (!after || !before)
        return after ? after : before;
    return time - double(times[*before]) <= double(times[*after]) - time ? before : after;
}

std::optional<std::pair<std::int64_t, std::int64_t>> readingSpan(const ChartData& data)
{
    auto hasReading = [&](std::size_t i) {
        return std::any_of(data.columns.begin(), data.columns.end(),
                           [i](const ChartColumn& column) { return !std::isnan(column.values[i]); });
    };
    std::size_t first = 0;
    while (first < data.times.size() && !hasReading(first))
        ++first;
    if (first == data.times.size())
        return std::nullopt;
    std::size_t last = data.times.size() - 1;
    while (!hasReading(last))
        --last;
    return std::make_pair(data.times[first], data.times[last]);
}

std::vector<int> valueAxisOfColumns(const ChartData& data)
{
    std::vector<int> axes(data.columns.size(), 0);
    std::vector<double> scales;
    for (const ChartColumn& column : data.columns)
        if (column.readings > 0 && column.scale() > 0)
            scales.push_back(column.scale());
    if (scales.size() < 2)
        return axes;
    std::sort(scales.begin(), scales.end());
    if (scales.back() <= 10 * scales.front())
        return axes;
    double split = scales[1];
    double widest = 0;
    for (std::size_t i = 1; i < scales.size(); ++i)
        if (scales[i] / scales[i - 1] > widest) {
            widest = scales[i] / scales[i - 1];
            split = scales[i];
        }
    int firstGroup = -1;
    for (std::size_t i = 0; i < data.columns.size(); ++i) {
        const ChartColumn& column = data.columns[i];
        if (column.readings == 0 || column.scale() == 0)
            continue;
        const int group = column.scale() >= split ? 1 : 0;
        if (firstGroup < 0)
            firstGroup = group;
        axes[i] = group == firstGroup ? 0 : 1;
    }
    return axes;
}

int decimalsOf(double step)
{
    if (!(step > 0))
        return 0;
    return std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
}

std::pair<double, double> valueRange(double low, double high)
{
    if (high < low)
        std::swap(low, high);
    if (high - low < 1e-12) {
        const double margin = std::max(1.0, std::fabs(low) * 0.1);
        return {low - margin, high + margin};
    }
    const double pad = (high - low) * 0.05;
    return {low - pad, high + pad};
}

ValueTicks valueTicks(double low, double high, int maxTicks)
{
    maxTicks = std::max(maxTicks, 2);
    if (!std::isfinite(low) || !std::isfinite(high))
        return {};
    if (high < low)
        std::swap(low, high);
    if (high - low < 1e-12)
        std::tie(low, high) = valueRange(low, high);
    double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / maxTicks)));
    for (;;) {
        for (double multiple : {1.0, 2.0, 5.0}) {
            const double step = multiple * magnitude;
            const double ticks = std::floor(high / step + 1e-9) - std::ceil(low / step - 1e-9) + 1;
            if (ticks <= maxTicks)
                return {step, decimalsOf(step)};
        }
        magnitude *= 10;
    }
}

namespace {

constexpr double minute = 60;
constexpr double hour = 3600;
constexpr double day = 86400;

struct StepChoice {
    TimeStep unit;
    int count;
    double seconds; // nominal length, to compare with the range
};

constexpr StepChoice steps[] = {
    {TimeStep::Seconds, 1, 1},           {TimeStep::Seconds, 2, 2},          {TimeStep::Seconds, 5, 5},
    {TimeStep::Seconds, 10, 10},         {TimeStep::Seconds, 15, 15},        {TimeStep::Seconds, 30, 30},
    {TimeStep::Minutes, 1, minute},      {TimeStep::Minutes, 2, 2 * minute}, {TimeStep::Minutes, 5, 5 * minute},
    {TimeStep::Minutes, 10, 10 * minute}, {TimeStep::Minutes, 15, 15 * minute}, {TimeStep::Minutes, 30, 30 * minute},
    {TimeStep::Hours, 1, hour},          {TimeStep::Hours, 2, 2 * hour},     {TimeStep::Hours, 3, 3 * hour},
    {TimeStep::Hours, 6, 6 * hour},      {TimeStep::Hours, 12, 12 * hour},   {TimeStep::Days, 1, day},
    {TimeStep::Days, 2, 2 * day},        {TimeStep::Weeks, 1, 7 * day},      {TimeStep::Months, 1, 30.44 * day},
    {TimeStep::Months, 3, 91.3 * day},   {TimeStep::Months, 6, 182.6 * day}, {TimeStep::Years, 1, 365.25 * day},
    {TimeStep::Years, 2, 730.5 * day},   {TimeStep::Years, 5, 1826 * day},   {TimeStep::Years, 10, 3652 * day},
    {TimeStep::Years, 20, 7305 * day},   {TimeStep::Years, 50, 18262 * day}, {TimeStep::Years, 100, 36525 * day},
};

std::tm localOf(double seconds)
{
    const std::time_t t = static_cast<std::time_t>(std::floor(seconds));
    std::tm local{};
    localtime_r(&t, &local);
    return local;
}

long utcOffsetAt(double seconds)
{
    return localOf(seconds).tm_gmtoff;
}

// Local midnight of year, month (1..12) and day; days and months beyond
// their range roll over.
double localMidnight(int year, int month, int day)
{
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_isdst = -1;
    return static_cast<double>(std::mktime(&fields));
}

// Steps shorter than a day: multiples of the step in local clock time. The
// offset is taken again where daylight saving changes it.
void clockTicks(double from, double to, double step, std::vector<double>& at)
{
    long offset = utcOffsetAt(from);
    double t = std::ceil((from + offset) / step) * step - offset;
    while (t <= to) {
        const long now = utcOffsetAt(t);
        if (now != offset) {
            offset = now;
            const double snapped = std::ceil((t + offset) / step) * step - offset;
            t = at.empty() || snapped > at.back() ? snapped : snapped + step;
            if (t > to)
                break;
        }
        at.push_back(t);
        t += step;
    }
}

// Steps of days, weeks, months or years: local midnights on the dates that
// are whole multiples of the step.
void calendarTicks(double from, double to, const StepChoice& step, std::vector<double>& at)
{
    const std::tm start = localOf(from);
    int year = start.tm_year + 1900;
    int month = start.tm_mon + 1;
    int dayOfMonth = start.tm_mday;
    switch (step.unit) {
    case TimeStep::Months:
        dayOfMonth = 1;
        month -= (month - 1) % step.count;
        break;
    case TimeStep::Years:
        dayOfMonth = 1;
        month = 1;
        year -= year % step.count;
        break;
    case TimeStep::Weeks:
        dayOfMonth -= (start.tm_wday + 6) % 7; // back to Monday
        break;
    default: {
        // Days counted from the epoch in local time, so that two-day steps
        // fall on the same dates whatever the range.
        const long dayNumber = static_cast<long>(std::floor((from + start.tm_gmtoff) / day));
        dayOfMonth -= static_cast<int>(((dayNumber % step.count) + step.count) % step.count);
        break;
    }
    }
    // The first date lies at or before from; the range holds few steps.
    for (int k = 0; k < 1000; ++k) {
        double t;
        switch (step.unit) {
        case TimeStep::Months:
            t = localMidnight(year, month + k * step.count, 1);
            break;
        case TimeStep::Years:
            t = localMidnight(year + k * step.count, 1, 1);
            break;
        case TimeStep::Weeks:
            t = localMidnight(year, month, dayOfMonth + 7 * k);
            break;
        default:
            t = localMidnight(year, month, dayOfMonth + k * step.count);
            break;
        }
        if (t > to)
            break;
        if (t >= from)
            at.push_back(t);
    }
}

} // namespace

TimeTicks timeTicks(double from, double to, int maxTicks)
{
    maxTicks = std::max(maxTicks, 2);
    if (!std::isfinite(from) || !std::isfinite(to) || to < from)
        return {};
    const StepChoice* chosen = &steps[std::size(steps) - 1];
    for (const StepChoice& step : steps) {
        if (std::floor((to - from) / step.seconds) + 1 <= maxTicks) {
            chosen = &step;
            break;
        }
    }
    TimeTicks ticks;
    ticks.unit = chosen->unit;
    ticks.count = chosen->count;
    if (chosen->seconds < day)
        clockTicks(from, to, chosen->seconds, ticks.at);
    else
        calendarTicks(from, to, *chosen, ticks.at);
    return ticks;
}


} // namespace tsl
