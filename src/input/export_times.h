#pragma once

#include "input/export_stamps.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tsl {

// The years the reader keeps (it passes over earlier lines, and the date
// layouts read no later year).
inline constexpr int firstYearKept = 1990;
inline constexpr int lastYearKept = 2050;

// How many lines were of one kind, and the numbers of the first few.
struct LineCount {
    std::size_t count = 0;
    std::vector<std::size_t> first;
    void add(std::size_t line);
    // "3 (lines 5, 9, 12)", "7 (lines 5, 9, 12, 13, 20, ...)"
    std::string describe() const;
};

// The steps between consecutive readings, by length.
class StepTally {
public:
    void add(long long seconds);
    std::size_t total() const { return total_; }
    std::optional<long long> median() const;
    // At least half the steps lie within a quarter of the median: a logger
    // that samples at a rate, seconds that wander included.
    bool regular() const;
    std::size_t longerThan(long long seconds) const;

private:
    std::map<long long, std::size_t> counts_;
    std::size_t overflow_ = 0;
    std::size_t total_ = 0;
};

// A step between readings that stands out, and where it starts.
struct NotedStep {
    long long seconds = 0;
    std::size_t line = 0; // the line after the step
    long long from = 0;   // wall seconds of the reading before it
};

// A file's time stamps read in one date order, with what they show.
class TimeChecks {
public:
    explicit TimeChecks(DateOrder order) : order_(order) {}

    // One reading line; false when its stamp is no date in this order or
    // lies outside the years kept.
    bool add(const RawStamp& stamp, std::size_t line, std::size_t readings);

    DateOrder order() const { return order_; }
    std::size_t readingLines() const { return readingLines_; }
    std::size_t readings() const { return readings_; }
    const std::optional<WallTime>& firstTime() const { return firstTime_; }
    const std::optional<WallTime>& lastTime() const { return lastTime_; }
    const LineCount& impossible() const { return impossible_; }
    const LineCount& outsideYears() const { return outsideYears_; }
    const LineCount& repeated() const { return repeated_; }
    const LineCount& backward() const { return backward_; }
    std::size_t longJumps() const { return longJumps_; }
    const StepTally& steps() const { return steps_; }
    const std::vector<NotedStep>& longest() const { return longest_; }
    const std::vector<std::string>& clockChanges() const { return clockChanges_; }
    std::size_t clockChangeCount() const { return clockChangeCount_; }

    // Steps that break a time series: dates that cannot be, steps back, and
    // jumps ahead of more than 20 days. A wrong date order makes many.
    std::size_t breaks() const;
    bool readsEveryDate() const { return impossible_.count == 0 && outsideYears_.count == 0; }

private:
    void noteStep(long long step, std::size_t line, long long at);
    void noteClock(const WallTime& time, long long step, const std::string& zone, std::size_t line);

    DateOrder order_;
    std::size_t readingLines_ = 0;
    std::size_t readings_ = 0;
    std::optional<WallTime> firstTime_, lastTime_;
    std::optional<long long> previous_;
    long long previousStep_ = 0;
    std::string previousZone_;
    LineCount impossible_, outsideYears_, repeated_, backward_;
    std::size_t longJumps_ = 0;
    StepTally steps_;
    std::vector<NotedStep> longest_;
    std::vector<std::string> clockChanges_;
    std::size_t clockChangeCount_ = 0;
};

// Dates written in a file name or title line ("240720_240913",
// "2024-07-20", "01_10_13"), in every reading that keeps them in order.
std::vector<WallTime> datesNamedIn(std::string_view text);

// The date order of a file, chosen among the orders its stamps allow.
struct OrderChoice {
    std::size_t chosen = 0; // index into the candidates
    std::string reason;     // why, as the report says it
    std::string warning;    // when another order reads every date as well
};

// Chooses the order whose times run forward with a regular step; among
// equals, the one whose first or last date a date in the name or title
// matches, then preferred (the layout selected), then month first.
OrderChoice chooseDateOrder(const std::vector<TimeChecks>& candidates, const std::vector<WallTime>& named,
                            DateOrder preferred);

} // namespace tsl
