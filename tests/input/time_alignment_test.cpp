#include "input/reading_helpers.h"

#include <functional>
#include <utility>

using namespace tsl;
using namespace tsl::testing;

// Lines of one file (readings of T1 and T2 on 2 January 2015 unless dated)
// and the data lines they leave on the grid the settings choose.
TEST_F(ReadingTest, TimeGrid)
{
    using I = DataInterval;
    struct Case { std::function<void(ToolSettings&)> choose; Lines lines; Lines rows; };
    auto grid = [](I interval, ReductionMode mode = ReductionMode::Averaging) {
        return [=](ToolSettings& s) { s.interval = interval, s.reduction = mode; };
    };
    const auto sampling = ReductionMode::Sampling;
    const Case cases[] = {
        // Averaging writes the trailing mean at the boundary.
        {grid(I::Min1), {"10:00:30,1", "10:00:50,2", "10:01:00,3"}, {"2015/01/02 10:01:00| 2.00|"}},
        // Seconds off the ten-second step move to the minute; 10:01:30 keeps
        // its seconds and is off the grid.
        {grid(I::Min1), {"10:00:53,4", "10:01:30,5"}, {"2015/01/02 10:00:00| 4.00|"}},
        // A blank at the boundary carries the sum to the next.
        {grid(I::Min1), {"10:00:30,1,10", "10:01:00,2,", "10:02:00,3,40"},
         {"2015/01/02 10:01:00| 1.50|", "2015/01/02 10:02:00| 3.00|25.00"}},
        {grid(I::Min1), {"10:00:30,1", "10:01:30,2", "10:02:30,3"}, {}},
        {grid(I::Min2, sampling), {"10:01:00,1", "10:01:30,2", "10:02:00,3", "10:03:00,4", "10:04:00,5"},
         {"2015/01/02 10:02:00| 3.00|", "2015/01/02 10:04:00| 5.00|"}},
        {grid(I::Min5, sampling), {"10:55:00,1", "10:56:00,2"}, {"2015/01/02 10:55:00| 1.00|"}},
        // Without an interval every line goes to its ten-second key: 10:00:13
        // overwrites 10:00:07 at 10:00:00.
        {grid(I::None), {"10:00:07,1", "10:00:13,2", "10:00:20,3"},
         {"2015/01/02 10:00:00| 2.00|", "2015/01/02 10:00:20| 3.00|"}},
        // A line slightly earlier than the last steps back ten seconds from
        // where it would go: 10:00:30 to 10:00:20, then 10:00:00 (20 seconds
        // before that) to 09:59:50. A whole minute earlier keeps its time.
        // Lines of one hour stay in the order they came.
        {grid(I::Sec10), {"10:01:00,1", "10:00:30,2", "10:00:00,3"},
         {"2015/01/02 09:59:50| 3.00|", "2015/01/02 10:01:00| 1.00|", "2015/01/02 10:00:20| 2.00|"}},
        {grid(I::Min1), {"10:02:00,1", "10:01:00,2"}, {"2015/01/02 10:02:00| 1.00|", "2015/01/02 10:01:00| 2.00|"}},
        // The bracket keeps both of its ends, on every day.
        {[](ToolSettings& s) { s.bracketEnabled = true, s.interval = I::Sec10; },
         {"06:59:50,1", "07:00:00,2", "18:00:00,3", "18:00:10,4", "01/03/2015,07:00:00,5"},
         {"2015/01/02 07:00:00| 2.00|", "2015/01/02 18:00:00| 3.00|", "2015/01/03 07:00:00| 5.00|"}},
        {[](ToolSettings& s) { s.bracketEnabled = true, s.bracketStart = {18, 0, 0}, s.bracketEnd = {7, 0, 0}; },
         {"06:00:00,1", "12:00:00,2", "19:00:00,3"},
         {}},
        // Years before 1990 are passed over; keys keep their order whatever the line order.
        {[](ToolSettings& s) { s.dateFormat = 4; }, {"1989/12/31,23:59:00,1", "1990/01/01,00:00:00,2"},
         {"1990/01/01 00:00:00| 2.00|"}},
        {grid(I::Min1),
         {"03/05/2016,10:00:00,1", "01/09/2015,09:00:00,2", "11:00:00,3", "09:00:00,4", "12/02/2015,09:00:00,5"},
         {"2016/03/05 10:00:00| 1.00|", "2015/01/02 09:00:00| 4.00|", "2015/01/02 11:00:00| 3.00|",
          "2015/01/09 09:00:00| 2.00|", "2015/12/02 09:00:00| 5.00|"}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        k.choose(fresh.editSettings());
        std::string file = "Date,Time,T1,T2\n";
        for (const std::string& line : k.lines)
            file += (line.find('/') == std::string::npos ? "01/02/2015," : "") + line + "\n";
        EXPECT_EQ(read(file, &fresh), ReadResult::Finished) << file;
        EXPECT_EQ(storedRows(fresh.tree()), k.rows) << file;
    }
}

// Readings stored with other than two decimals are held in double precision
// and written "%5.Nf"; at two they stay single precision, written "%5.2f".
TEST_F(ReadingTest, StoredDecimals)
{
    using I = DataInterval;
    struct Case { int decimals; I interval; Lines lines; Lines rows; };
    const Case cases[] = {
        {3, I::None, {"10:00:00,0.018,71.2", "10:00:10,0.0033,-0.0004"},
         {"2015/01/02 10:00:00|0.018|71.200", "2015/01/02 10:00:10|0.003|-0.000"}},
        {6, I::None, {"10:00:00,0.018,71.2", "10:00:10,0.0033,1e-7"},
         {"2015/01/02 10:00:00|0.018000|71.200000", "2015/01/02 10:00:10|0.003300|0.000000"}},
        {0, I::None, {"10:00:00,0.5,71.6", "10:00:10,1.5,-3"},
         {"2015/01/02 10:00:00|    0|   72", "2015/01/02 10:00:10|    2|   -3"}},
        {2, I::None, {"10:00:00,0.018,71.2", "10:00:10,0.0033,1e-7"},
         {"2015/01/02 10:00:00| 0.02|71.20", "2015/01/02 10:00:10| 0.00| 0.00"}},
        // The mean of a step in double precision (71.299995 in single), and a
        // blank at the boundary carrying its column's sum on.
        {6, I::Min1, {"10:00:20,71.2,0.001", "10:00:40,71.3,0.002", "10:01:00,71.4,", "10:02:00,71.5,0.006"},
         {"2015/01/02 10:01:00|71.300000|", "2015/01/02 10:02:00|71.500000|0.003000"}},
        {2, I::Min1, {"10:00:20,71.2,0.001", "10:00:40,71.3,0.002", "10:01:00,71.4,", "10:02:00,71.5,0.006"},
         {"2015/01/02 10:01:00|71.30|", "2015/01/02 10:02:00|71.50| 0.00"}},
    };
    for (const Case& k : cases) {
        ScriptedContext fresh;
        fresh.editSettings().decimals = k.decimals;
        fresh.editSettings().interval = k.interval;
        std::string file = "Date,Time,T1,T2\n";
        for (const std::string& line : k.lines)
            file += "01/02/2015," + line + "\n";
        EXPECT_EQ(read(file, &fresh), ReadResult::Finished) << file;
        EXPECT_EQ(storedRows(fresh.tree()), k.rows) << file;
    }

    // Read once per file: a change during a read holds from the next file.
    bool changed = false;
    c.setPumpHandler([&] {
        if (!std::exchange(changed, true))
            c.editSettings().decimals = 4;
    });
    read("Date,Time,T1\n01/02/2015,10:00:00,0.25\n01/02/2015,10:01:00,0.125\n");
    read("Date,Time,T1\n01/02/2015,10:02:00,0.125\n");
    EXPECT_EQ(rows(), (Lines{"2015/01/02 10:00:00| 0.25", "2015/01/02 10:01:00| 0.12", "2015/01/02 10:02:00|0.1250"}));
}

// A later file adds instants inside an hour and a year already filled: with
// rows sorted by time they go to their place among the rows read before,
// otherwise after them (hours, days and months are always in order).
TEST_F(ReadingTest, RowsOfALaterFile)
{
    const std::string first = "Date,Time,T1\n01/02/2016,10:00:00,1\n01/02/2016,10:02:00,2\n01/02/2016,11:00:00,3\n";
    const std::string later = "Date,Time,T1\n01/02/2016,10:01:00,4\n01/02/2016,09:59:00,5\n"
                              "01/02/2015,10:00:00,6\n01/02/2017,10:03:00,7\n01/02/2016,10:03:00,8\n";
    const std::pair<bool, Lines> cases[] = {
        {true,
         {"2015/01/02 10:00:00| 6.00", "2016/01/02 09:59:00| 5.00", "2016/01/02 10:00:00| 1.00",
          "2016/01/02 10:01:00| 4.00", "2016/01/02 10:02:00| 2.00", "2016/01/02 10:03:00| 8.00",
          "2016/01/02 11:00:00| 3.00", "2017/01/02 10:03:00| 7.00"}},
        {false,
         {"2016/01/02 09:59:00| 5.00", "2016/01/02 10:00:00| 1.00", "2016/01/02 10:02:00| 2.00",
          "2016/01/02 10:01:00| 4.00", "2016/01/02 10:03:00| 8.00", "2016/01/02 11:00:00| 3.00",
          "2015/01/02 10:00:00| 6.00", "2017/01/02 10:03:00| 7.00"}},
    };
    for (const auto& [sortRows, expected] : cases) {
        ScriptedContext fresh;
        fresh.editSettings().sortRows = sortRows;
        fresh.editSettings().interval = DataInterval::None;
        read(first, &fresh);
        read(later, &fresh);
        EXPECT_EQ(storedRows(fresh.tree()), expected) << sortRows;
    }
}

// A logger on local time across the spring change (New York, 8 March 2015:
// 02:00 EST became 03:00 EDT); one that wrote the skipped hour anyway (the
// system makes 02:30 03:30 EDT, the row stays where the logger put it); and
// one across the autumn change (Berlin, 25 October 2015: the hour 02 twice).
TEST_F(ReadingTest, FilesAcrossDaylightSavingChanges)
{
    {
        ZoneScope zone("America/New_York");
        read("Date,Time,T1\n03/08/2015,01:58:00,1\n03/08/2015,01:59:00,1\n03/08/2015,03:00:00,1\n"
             "03/08/2015,03:01:00,1\n");
        EXPECT_EQ(rows().size(), 4u);
        EXPECT_EQ(c.newLines().back(), "Last time read (D/M/Y): 08/03/2015 03:01:00");
        read("Date,Time,T1\n03/08/2015,01:59:00,1\n03/08/2015,02:30:00,2\n");
        EXPECT_TRUE(contains(rows(), "2015/03/08 02:30:00| 2.00"));
        EXPECT_EQ(c.newLines().back(), "Last time read (D/M/Y): 08/03/2015 03:30:00");
    }
    ZoneScope zone("Europe/Berlin");
    ScriptedContext autumn;
    autumn.editSettings().dateFormat = 0;
    EXPECT_EQ(read("Date,Time,T1\n25/10/2015,01:59:00,1\n25/10/2015,02:30:00,2\n25/10/2015,03:30:00,3\n", &autumn),
              ReadResult::Finished);
    const Lines lines = autumn.newLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](auto& l) { return l.rfind("Starting day", 0) == 0; }), 1);
    EXPECT_EQ(storedRows(autumn.tree()).size(), 3u);
}
