#include "input/export_times.h"

#include <algorithm>
#include <cstdio>

namespace tsl {

namespace {

constexpr std::size_t firstLinesKept = 5;
constexpr std::size_t distinctStepsKept = 4096;
constexpr long long longJump = 20LL * 86400;
constexpr std::size_t longestKept = 3;
constexpr std::size_t clockNotesKept = 3;

// Minutes east of UTC of a written offset ("+01:00", "-0500"), if it is one.
std::optional<int> offsetMinutes(std::string_view zone)
{
    if (zone.size() < 3 || (zone[0] != '+' && zone[0] != '-'))
        return std::nullopt;
    int digits[4] = {0, 0, 0, 0};
    std::size_t n = 0;
    for (std::size_t i = 1; i < zone.size() && n < 4; ++i)
        if (zone[i] >= '0' && zone[i] <= '9')
            digits[n++] = zone[i] - '0';
    if (n != 2 && n != 4)
        return std::nullopt;
    const int minutes = (digits[0] * 10 + digits[1]) * 60 + digits[2] * 10 + digits[3];
    return zone[0] == '-' ? -minutes : minutes;
}

// +1 when the clock goes forward from one zone to the next (CST to CDT),
// -1 when it goes back, 0 when the names do not tell.
int clockDirection(const std::string& from, const std::string& to)
{
    const std::optional<int> a = offsetMinutes(from), b = offsetMinutes(to);
    if (a && b)
        return *b > *a ? 1 : (*b < *a ? -1 : 0);
    auto season = [](const std::string& zone) {
        if (zone.size() == 3 && zone[1] == 'S' && zone[2] == 'T')
            return 'S';
        if (zone.size() == 3 && zone[1] == 'D' && zone[2] == 'T')
            return 'D';
        return '?';
    };
    if (from.size() != 3 || to.size() != 3 || from[0] != to[0])
        return 0;
    if (season(from) == 'S' && season(to) == 'D')
        return 1;
    if (season(from) == 'D' && season(to) == 'S')
        return -1;
    return 0;
}

std::string clockOf(const WallTime& t)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    return text;
}

bool sameDayOrNext(const WallTime& a, const WallTime& b)
{
    const long long days = (wallSeconds({a.year, a.month, a.day}) - wallSeconds({b.year, b.month, b.day})) / 86400;
    return days >= -1 && days <= 1;
}

bool matchesNamedDate(const TimeChecks& checks, const std::vector<WallTime>& named)
{
    for (const WallTime& date : named)
        for (const std::optional<WallTime>& end : {checks.firstTime(), checks.lastTime()})
            if (end && sameDayOrNext(*end, date))
                return true;
    return false;
}

std::string firstDateEachWay(const std::vector<TimeChecks>& candidates, const std::vector<std::size_t>& which)
{
    std::string text;
    for (std::size_t n = 0; n < which.size(); ++n) {
        const TimeChecks& c = candidates[which[n]];
        text += n == 0 ? "" : (n + 1 == which.size() ? " or " : ", ");
        text += std::string(orderName(c.order())) + " (first " +
                (c.firstTime() ? formatWallTime(*c.firstTime()) : std::string("none")) + ")";
    }
    return text;
}

// What reading the dates in another order would do to the times.
std::string whatOtherOrderDoes(const TimeChecks& other)
{
    std::vector<std::string> parts;
    auto times = [](std::size_t n) { return std::to_string(n) + (n == 1 ? " time" : " times"); };
    if (other.impossible().count)
        parts.push_back(std::to_string(other.impossible().count) + " impossible dates");
    if (other.outsideYears().count)
        parts.push_back(std::to_string(other.outsideYears().count) + " dates outside 1990 to 2050");
    if (other.backward().count)
        parts.push_back("steps back " + times(other.backward().count));
    if (other.longJumps())
        parts.push_back("jumps ahead more than 20 days " + times(other.longJumps()));
    std::string text = std::string(orderName(other.order())) + " gives ";
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i == 0 ? "" : (i + 1 == parts.size() ? " and " : ", ")) + parts[i];
    return text;
}

std::vector<int> digitsOf(std::string_view run, std::initializer_list<int> widths)
{
    std::vector<int> parts;
    std::size_t at = 0;
    for (int width : widths) {
        int value = 0;
        for (int i = 0; i < width; ++i)
            value = value * 10 + (run[at++] - '0');
        parts.push_back(value);
    }
    return parts;
}

// A date written in a name, in the order given; nothing when it is none.
struct NamedToken {
    std::string_view run;   // digits run together ("240720")
    int part[3] = {0, 0, 0}; // or three numbers with separators
    int digits[3] = {0, 0, 0};
};

std::optional<WallTime> readNamedToken(const NamedToken& token, DateOrder order)
{
    RawStamp stamp;
    stamp.hasDate = true;
    if (!token.run.empty()) {
        const bool yearFirst = order == DateOrder::YearFirst;
        std::vector<int> parts;
        if (token.run.size() == 8)
            parts = yearFirst ? digitsOf(token.run, {4, 2, 2}) : digitsOf(token.run, {2, 2, 4});
        else
            parts = digitsOf(token.run, {2, 2, 2});
        const int widths8[2][3] = {{2, 2, 4}, {4, 2, 2}};
        for (int i = 0; i < 3; ++i) {
            stamp.part[i] = parts[i];
            stamp.partDigits[i] = token.run.size() == 8 ? widths8[yearFirst][i] : 2;
        }
    } else {
        std::copy(token.part, token.part + 3, stamp.part);
        std::copy(token.digits, token.digits + 3, stamp.partDigits);
    }
    if (!possibleOrders(stamp).has(order))
        return std::nullopt;
    std::optional<WallTime> date = resolveStamp(stamp, order);
    if (date && (date->year < firstYearKept || date->year > lastYearKept))
        return std::nullopt;
    return date;
}

std::vector<NamedToken> namedTokens(std::string_view text)
{
    auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::vector<NamedToken> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (!isDigit(text[i]) || (i > 0 && isDigit(text[i - 1]))) {
            ++i;
            continue;
        }
        NamedToken token;
        std::size_t p = i;
        char separator = 0;
        int n = 0;
        for (; n < 3; ++n) {
            const std::size_t start = p;
            while (p < text.size() && isDigit(text[p]))
                ++p;
            const std::size_t width = p - start;
            if (width == 0 || width > 4)
                break;
            token.digits[n] = static_cast<int>(width);
            for (std::size_t k = start; k < p; ++k)
                token.part[n] = token.part[n] * 10 + (text[k] - '0');
            if (n == 2)
                break;
            const char c = p < text.size() ? text[p] : '\0';
            if ((c != '-' && c != '_' && c != '.' && c != '/') || (separator && c != separator))
                break;
            separator = c;
            ++p;
        }
        std::size_t run = i;
        while (run < text.size() && isDigit(text[run]))
            ++run;
        if (n == 2 && token.digits[2] > 0) {
            tokens.push_back(token);
            i = p;
        } else if (run - i == 6 || run - i == 8) {
            tokens.push_back(NamedToken{text.substr(i, run - i)});
            i = run;
        } else {
            i = run;
        }
    }
    return tokens;
}

} // namespace

void LineCount::add(std::size_t line)
{
    ++count;
    if (first.size() < firstLinesKept)
        first.push_back(line);
}

std::string LineCount::describe() const
{
    std::string text = std::to_string(count);
    if (first.empty())
        return text;
    text += first.size() == 1 ? " (line " : " (lines ";
    for (std::size_t i = 0; i < first.size(); ++i)
        text += (i ? ", " : "") + std::to_string(first[i]);
    return text + (count > first.size() ? ", ...)" : ")");
}

void StepTally::add(long long seconds)
{
    ++total_;
    const auto found = counts_.find(seconds);
    if (found != counts_.end())
        ++found->second;
    else if (counts_.size() < distinctStepsKept)
        counts_.emplace(seconds, 1);
    else
        ++overflow_;
}

std::optional<long long> StepTally::median() const
{
    const std::size_t known = total_ - overflow_;
    if (known == 0 || overflow_ * 2 >= total_)
        return std::nullopt;
    std::size_t seen = 0;
    for (const auto& [step, many] : counts_) {
        seen += many;
        if (seen * 2 > known)
            return step;
    }
    return counts_.rbegin()->first;
}

bool StepTally::regular() const
{
    const std::optional<long long> middle = median();
    if (!middle || total_ < 3)
        return false;
    std::size_t near = 0;
    for (auto it = counts_.lower_bound(*middle - *middle / 4); it != counts_.end() && it->first <= *middle + *middle / 4;
         ++it)
        near += it->second;
    return near * 2 >= total_;
}

std::size_t StepTally::longerThan(long long seconds) const
{
    std::size_t many = 0;
    for (auto it = counts_.upper_bound(seconds); it != counts_.end(); ++it)
        many += it->second;
    return many;
}

bool TimeChecks::add(const RawStamp& stamp, std::size_t line, std::size_t readings)
{
    const std::optional<WallTime> time = resolveStamp(stamp, order_);
    if (!time) {
        impossible_.add(line);
        return false;
    }
    if (time->year < firstYearKept || time->year > lastYearKept) {
        outsideYears_.add(line);
        return false;
    }
    const long long at = wallSeconds(*time);
    ++readingLines_;
    readings_ += readings;
    if (!firstTime_)
        firstTime_ = time;
    lastTime_ = time;
    if (previous_) {
        const long long step = at - *previous_;
        noteClock(*time, step, stamp.zone, line);
        if (step == 0)
            repeated_.add(line);
        else if (step < 0)
            backward_.add(line);
        else
            noteStep(step, line, *previous_);
    }
    previous_ = at;
    if (!stamp.zone.empty())
        previousZone_ = stamp.zone;
    return true;
}

void TimeChecks::noteStep(long long step, std::size_t line, long long at)
{
    steps_.add(step);
    previousStep_ = step;
    if (step > longJump)
        ++longJumps_;
    const NotedStep noted{step, line, at};
    const auto place = std::find_if(longest_.begin(), longest_.end(),
                                    [step](const NotedStep& s) { return s.seconds < step; });
    longest_.insert(place, noted);
    if (longest_.size() > longestKept)
        longest_.pop_back();
}

void TimeChecks::noteClock(const WallTime& time, long long step, const std::string& zone, std::size_t line)
{
    std::string note;
    const std::string where = "line " + std::to_string(line) + ", " + formatWallTime(time) + ": ";
    if (!zone.empty() && !previousZone_.empty() && zone != previousZone_) {
        const int direction = clockDirection(previousZone_, zone);
        note = where + previousZone_ + " to " + zone +
               (direction > 0 ? ", the clock goes forward: an hour is missing"
                              : direction < 0 ? ", the clock goes back: an hour is repeated" : "");
    } else if (zone.empty() && previousZone_.empty()) {
        if (step <= -1800 && step >= -5400 && time.hour <= 3)
            note = where + "the clock goes back " + formatStep(-step) + " to " + clockOf(time) +
                   ": an hour repeated at a daylight-saving change?";
        else if (step > 0 && previousStep_ > 0 && previousStep_ <= 1800 && step == previousStep_ + 3600 &&
                 time.hour >= 2 && time.hour <= 4)
            note = where + "an hour is missing before " + clockOf(time) + ": a daylight-saving change?";
    }
    if (note.empty())
        return;
    ++clockChangeCount_;
    if (clockChanges_.size() < clockNotesKept)
        clockChanges_.push_back(note);
}

std::size_t TimeChecks::breaks() const
{
    return impossible_.count + outsideYears_.count + backward_.count + longJumps_;
}

std::vector<WallTime> datesNamedIn(std::string_view text)
{
    const std::vector<NamedToken> tokens = namedTokens(text);
    // Of the readings that keep the dates in order, the ones with the
    // shortest span: a name gives the first and last day of its data.
    std::vector<std::vector<WallTime>> readings;
    for (DateOrder order : {DateOrder::YearFirst, DateOrder::DayFirst, DateOrder::MonthFirst}) {
        std::vector<WallTime> read;
        for (const NamedToken& token : tokens) {
            const std::optional<WallTime> date = readNamedToken(token, order);
            if (!date) {
                read.clear();
                break;
            }
            read.push_back(*date);
        }
        // Several dates in one name run forward over less than two years.
        bool consistent = !read.empty();
        for (std::size_t i = 1; i < read.size() && consistent; ++i)
            consistent = read[i - 1] <= read[i] && wallSeconds(read[i]) - wallSeconds(read[0]) <= 2 * 366 * 86400LL;
        if (consistent)
            readings.push_back(read);
    }
    auto span = [](const std::vector<WallTime>& read) { return wallSeconds(read.back()) - wallSeconds(read.front()); };
    long long shortestSpan = 0;
    for (std::size_t i = 0; i < readings.size(); ++i)
        shortestSpan = i == 0 ? span(readings[i]) : std::min(shortestSpan, span(readings[i]));
    std::vector<WallTime> dates;
    for (const std::vector<WallTime>& read : readings)
        if (span(read) == shortestSpan)
            for (const WallTime& date : read)
                if (std::find(dates.begin(), dates.end(), date) == dates.end())
                    dates.push_back(date);
    return dates;
}

OrderChoice chooseDateOrder(const std::vector<TimeChecks>& candidates, const std::vector<WallTime>& named,
                            DateOrder preferred)
{
    OrderChoice choice;
    if (candidates.size() <= 1)
        return choice;
    // Dates that cannot be weigh more than times that step back or jump.
    auto score = [](const TimeChecks& c) {
        return std::pair(c.impossible().count + c.outsideYears().count, c.breaks());
    };
    auto fewest = score(candidates.front());
    for (const TimeChecks& c : candidates)
        fewest = std::min(fewest, score(c));
    std::vector<std::size_t> best, readable;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (score(candidates[i]) == fewest)
            best.push_back(i);
        if (candidates[i].readsEveryDate())
            readable.push_back(i);
    }
    if (best.size() == 1) {
        choice.chosen = best.front();
        for (std::size_t i = 0; i < candidates.size(); ++i)
            if (i != choice.chosen)
                choice.reason += (choice.reason.empty() ? "" : "; ") + whatOtherOrderDoes(candidates[i]);
        choice.reason = "the times run forward (" + choice.reason + ")";
    } else {
        std::vector<std::size_t> matching;
        for (std::size_t i : best)
            if (matchesNamedDate(candidates[i], named))
                matching.push_back(i);
        if (matching.size() == 1) {
            choice.chosen = matching.front();
            choice.reason = "a date in the file name or title matches its first or last date";
        } else {
            const std::vector<std::size_t>& pool = matching.empty() ? best : matching;
            auto inPool = [&](DateOrder order) {
                return std::find_if(pool.begin(), pool.end(),
                                    [&](std::size_t i) { return candidates[i].order() == order; });
            };
            auto found = inPool(preferred);
            choice.reason = "the times run alike either way, and the date layout selected reads dates " +
                            std::string(orderName(preferred));
            for (DateOrder fallback : {DateOrder::DayFirst, DateOrder::MonthFirst, DateOrder::YearFirst}) {
                if (found != pool.end())
                    break;
                found = inPool(fallback);
                choice.reason = "the times run alike either way, the date layout selected (" +
                                std::string(orderName(preferred)) + ") cannot read them, and " +
                                std::string(orderName(fallback)) + " is the more usual of the others";
            }
            choice.chosen = *found;
        }
    }
    const std::vector<std::size_t>& alike = readable.empty() ? best : readable;
    if (alike.size() >= 2)
        choice.warning = "its dates read " + firstDateEachWay(candidates, alike) + "; read " +
                         std::string(orderName(candidates[choice.chosen].order())) + " because " + choice.reason;
    return choice;
}

} // namespace tsl
