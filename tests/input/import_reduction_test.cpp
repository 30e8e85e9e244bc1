#include "input/export_stamps.h"
#include "input/grid_reduction.h"

#include <gtest/gtest.h>

#include <map>

namespace tsl {
namespace {

// Wall seconds of a time on 1 June 2022 (day 0) or the days after it.
long long at(int hour, int minute, int second = 0, int day = 0)
{
    return wallSeconds({2022, 6, 1 + day, hour, minute, second});
}

// The reduced lines by instant, each cell as its value or "-" for a blank.
class Recorded : public ReducedLines {
public:
    void line(long long instant, const ReducedValues& values) override
    {
        std::vector<std::string> cells;
        for (const auto& value : values)
            cells.push_back(value ? std::to_string(*value) : "-");
        lines[instant] = cells;
        ++written;
    }
    std::map<long long, std::vector<std::string>> lines;
    long long written = 0;
};

std::string v(double value)
{
    return std::to_string(value);
}

struct Reading {
    long long when;
    std::optional<double> value;
};

Recorded reduce(ReductionRules rules, const std::vector<Reading>& readings, ReductionCounts& counts)
{
    Recorded out;
    GridReducer reducer(std::move(rules), out);
    for (const Reading& r : readings)
        reducer.add(r.when, {r.value});
    reducer.finish();
    counts = reducer.counts();
    return out;
}

// Right-closed steps labelled by their end: 10:05:00 belongs to 10:05,
// 10:05:10 to 10:10. Averaging takes each step's mean, sampling its last.
TEST(ImportReduction, SampledReadingsFallIntoTheStepThatEndsAfterThem)
{
    const std::vector<Reading> readings = {{at(10, 0), 1}, {at(10, 2, 30), 2}, {at(10, 5), 3},
                                           {at(10, 5, 10), 4}, {at(10, 9, 59), 5}};
    ReductionCounts counts;
    Recorded mean = reduce({300, false, false, {ColumnKind::Numbers}}, readings, counts);
    EXPECT_EQ(mean.lines, (std::map<long long, std::vector<std::string>>{
                              {at(10, 0), {v(1)}}, {at(10, 5), {v(2.5)}}, {at(10, 10), {v(4.5)}}}));
    EXPECT_EQ(counts.placed, 5u);
    EXPECT_EQ(counts.replaced, 0u);

    Recorded sample = reduce({300, true, false, {ColumnKind::Numbers}}, readings, counts);
    EXPECT_EQ(sample.lines[at(10, 5)], std::vector<std::string>{v(3)});
    EXPECT_EQ(sample.lines[at(10, 10)], std::vector<std::string>{v(5)});
    EXPECT_EQ(counts.placed, 3u);
    EXPECT_EQ(counts.replaced, 2u);

    // A code is never averaged: the last reading of each step holds.
    Recorded codes = reduce({300, false, false, {ColumnKind::Codes}}, readings, counts);
    EXPECT_EQ(codes.lines[at(10, 5)], std::vector<std::string>{v(3)});
}

// A fan's status held from change to change, as the fraction of each
// step spent on; nothing before the first change or after the last.
TEST(ImportReduction, ChangeLogIsTimeWeightedOverEachStep)
{
    const std::vector<Reading> readings = {{at(16, 58), 1}, {at(17, 1, 35), 0}, {at(7, 0, 17, 1), 1},
                                           {at(7, 6, 0, 1), 0}};
    ReductionCounts counts;
    Recorded out = reduce({300, false, true, {ColumnKind::TwoState}}, readings, counts);
    EXPECT_EQ(out.lines.begin()->first, at(17, 0));
    EXPECT_EQ(out.lines[at(17, 0)], std::vector<std::string>{v(1)});          // on from 16:58
    EXPECT_EQ(out.lines[at(17, 5)], std::vector<std::string>{v(95.0 / 300)}); // on 95 s of 300
    EXPECT_EQ(out.lines[at(3, 0, 0, 1)], std::vector<std::string>{v(0)});     // off through the night
    EXPECT_EQ(out.lines[at(7, 0, 0, 1)], std::vector<std::string>{v(0)});
    EXPECT_EQ(out.lines[at(7, 5, 0, 1)], std::vector<std::string>{v(283.0 / 300)});
    EXPECT_EQ(out.lines[at(7, 10, 0, 1)], std::vector<std::string>{v(1)}); // on until the last reading
    EXPECT_EQ(out.lines.rbegin()->first, at(7, 10, 0, 1));
    EXPECT_EQ(out.written, 171); // every five minutes from 17:00 to 07:10 the next day
    EXPECT_EQ(counts.placed, 4u);

    // Sampling takes the value in force at each step's end.
    Recorded sampled = reduce({300, true, true, {ColumnKind::TwoState}}, readings, counts);
    EXPECT_EQ(sampled.lines[at(17, 5)], std::vector<std::string>{v(0)});
    EXPECT_EQ(sampled.lines[at(7, 10, 0, 1)], std::vector<std::string>{v(0)});
}

TEST(ImportReduction, ChangeLogCodesTakeTheValueInForceAtTheStepEnd)
{
    const std::vector<Reading> readings = {{at(10, 1), 1}, {at(10, 3), 2}, {at(10, 12), 3}, {at(10, 12), 1}};
    ReductionCounts counts;
    Recorded out = reduce({300, false, true, {ColumnKind::Codes}}, readings, counts);
    EXPECT_EQ(out.lines, (std::map<long long, std::vector<std::string>>{
                             {at(10, 5), {v(2)}}, {at(10, 10), {v(2)}}, {at(10, 15), {v(1)}}}));
    EXPECT_EQ(counts.placed, 2u);   // 2 at 10:03 and the last reading
    EXPECT_EQ(counts.replaced, 2u); // 1 by 2 in its step, 3 by 1 at its instant
}

// Without a grid every slot of ten seconds that holds a reading is a line:
// instants rounded up, readings sharing a slot averaged or the last kept.
TEST(ImportReduction, WithoutAGridSlotsOfTenSecondsAreRoundedUp)
{
    const std::vector<Reading> readings = {{at(10, 0, 1), 1}, {at(10, 0, 9), 3}, {at(10, 0, 11), 5},
                                           {at(10, 3), std::nullopt}, {at(10, 3, 0), 7}};
    ReductionCounts counts;
    Recorded mean = reduce({0, false, false, {ColumnKind::Numbers}}, readings, counts);
    EXPECT_EQ(mean.lines, (std::map<long long, std::vector<std::string>>{
                              {at(10, 0, 10), {v(2)}}, {at(10, 0, 20), {v(5)}}, {at(10, 3), {v(7)}}}));
    EXPECT_EQ(counts.sharedSlots, 2u);
    EXPECT_EQ(counts.placed, 4u);

    Recorded last = reduce({0, true, false, {ColumnKind::Numbers}}, readings, counts);
    EXPECT_EQ(last.lines[at(10, 0, 10)], std::vector<std::string>{v(3)});
    EXPECT_EQ(counts.replaced, 1u);

    // A change log without a grid keeps each change at its own slot; nothing in between.
    Recorded changes = reduce({0, false, true, {ColumnKind::TwoState}}, readings, counts);
    EXPECT_EQ(changes.lines.size(), 3u);
    EXPECT_EQ(changes.lines[at(10, 0, 10)], std::vector<std::string>{v(3)});
}

TEST(ImportReduction, ReadingsThatStepBackAreLeftOutAndCounted)
{
    ReductionCounts counts;
    Recorded out = reduce({300, false, false, {ColumnKind::Numbers}},
                          {{at(10, 0), 1}, {at(10, 10), 2}, {at(10, 5), 3}, {at(10, 10), 4}}, counts);
    EXPECT_EQ(out.lines, (std::map<long long, std::vector<std::string>>{{at(10, 0), {v(1)}},
                                                                       {at(10, 10), {v(3)}}}));
    EXPECT_EQ(counts.steppedBack, 1u);
    EXPECT_EQ(counts.placed, 3u);
}

// Whole steps between two changes go out as one run of equal lines, so
// that counting a long change log costs nothing per line.
TEST(ImportReduction, LongHoldsAreWrittenAsRunsOfEqualLines)
{
    struct Runs : ReducedLines {
        void line(long long, const ReducedValues&) override { ++lines; }
        void sameLines(long long, long long, long long count, const ReducedValues&) override { lines += count; }
        long long lines = 0;
    } runs;
    GridReducer reducer({10, false, true, {ColumnKind::TwoState}}, runs);
    reducer.add(at(0, 0), {1.0});
    reducer.add(at(0, 0, 0, 365), {0.0});
    reducer.finish();
    EXPECT_EQ(runs.lines, 365LL * 8640 + 1);
    EXPECT_EQ(reducer.counts().lines, runs.lines);
}

} // namespace
} // namespace tsl
