// A read through the second thread gives the same log, the same stored data
// and the same result as a read on one thread, wherever its blocks end and
// wherever the read stops.
#include "input/reading_helpers.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <algorithm>
#include <random>

using namespace tsl;
using namespace tsl::testing;

namespace {

struct Outcome {
    std::vector<ReadResult> results;
    Lines log;
    Lines rows;
    Lines templ;
    int pumps = 0;
    DateFormatId format = 0;
};

using Settings = std::function<void(ToolSettings&)>;

// Reads the files in turn into one context; the read is asked to stop at
// the stopAt-th pump (0: never).
Outcome readAll(const TempDir& dir, const std::vector<std::string>& files, const Settings& setup,
                const ReadAheadTuning& tuning, int stopAt = 0)
{
    ScriptedContext context;
    setup(context.editSettings());
    Outcome out;
    context.setPumpHandler([&] {
        if (++out.pumps == stopAt)
            context.reading().stopRequested = 1;
    });
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string path = dir.file("f" + std::to_string(i) + ".csv");
        writeFile(path, files[i]);
        context.reading().readInProgress = 1;
        out.results.push_back(readDataFile(context, path, tuning));
        context.reading().stopRequested = 0;
    }
    out.log = context.newLines();
    out.rows = storedRows(context.tree());
    out.templ = cells(context.tree().findNode(context.tree().root(), "template"));
    out.format = context.settings().dateFormat;
    return out;
}

void expectSame(const Outcome& a, const Outcome& b, const std::string& what)
{
    EXPECT_EQ(a.results, b.results) << what;
    EXPECT_EQ(a.log, b.log) << what;
    EXPECT_EQ(a.rows, b.rows) << what;
    EXPECT_EQ(a.templ, b.templ) << what;
    EXPECT_EQ(a.pumps, b.pumps) << what;
    EXPECT_EQ(a.format, b.format) << what;
}

const ReadAheadTuning oneThread{SIZE_MAX, 512, {}};
// Blocks of a few sizes with the fields shared as the threads go, and each
// number of fields a line can get when the thread prepares only its first
// ones (the date's, some readings, none).
const ReadAheadTuning tunings[] = {{0, 1, {}}, {0, 3, {}}, {0, 512, {}}, {0, 5, 0}, {0, 5, 1},
                                   {0, 5, 2},  {0, 5, 3},  {0, 5, 4},   {0, 5, 6}};

std::string describe(const ReadAheadTuning& tuning)
{
    return "blocks of " + std::to_string(tuning.linesPerBlock) +
           (tuning.fieldsPerLine ? ", " + std::to_string(*tuning.fieldsPerLine) + " fields a line" : "");
}

// A logger's day of minutes in MM/DD/YYYY: readings of every shape the
// reader meets, and the lines it passes over or reads in part.
std::string messyLogger(unsigned seed, char d = ',', bool badHours = false)
{
    std::mt19937 random(seed);
    std::string out = std::string("Date") + d + "Time" + d + "T1" + d + "T2" + d + "T3" + d + "T4\r\n";
    const char* odd[] = {"", "OFF", "\"7\"", " -3.5", "1e3", "+.5", "2.", "-0", "1e-400", "12345678901234567890",
                         "\t4", " ", " \t 5"};
    for (int minute = 0; minute < 24 * 60; minute += 1 + static_cast<int>(random() % 3)) {
        char stamp[40];
        std::snprintf(stamp, sizeof stamp, "03/%02d/2025%c%02d:%02d:%02d", 1 + minute / 720, d, minute / 60 % 12,
                      minute % 60, static_cast<int>(random() % 6) * 10 + static_cast<int>(random() % 2) * 7);
        std::string line = stamp;
        const int fields = 3 + static_cast<int>(random() % 4); // fewer or more fields than labels
        for (int f = 0; f < fields; ++f) {
            line += d;
            if (random() % 8 == 0)
                line += odd[random() % std::size(odd)];
            else
                line += std::to_string(static_cast<int>(random() % 20000) - 5000) + "." +
                        std::to_string(random() % 100);
        }
        switch (random() % 40) {
        case 0: line = "status: data logger READY"; break;
        case 1: line = "short"; break;
        case 2: std::replace(line.begin(), line.end(), d, ';'); break; // the file goes on with ';', then ','
        case 3: line += std::string(25000, '7'); break; // read as two lines
        case 4: line.insert(20 + (line.size() - 20) / 2, 1, '\0'); break;
        case 5: line += std::string(40, d) + "9"; break; // more fields than are prepared
        case 7: // text fields that move the readings past the prepared fields
            for (int k = 0; k < 20; ++k)
                line.insert(20, std::string("OFF") + d);
            break;
        case 6:
            if (badHours)
                line.replace(11, 2, "24"); // skips the line, or ends the read when its seconds are whole
            break;
        }
        out += line + (random() % 2 ? "\r\n" : "\n");
    }
    return out + "03/02/2025,11:59:00,1,2,3"; // no line end
}

// Two days of readings every step seconds, with a header unless columns is 0
// (one column then, in a file labelled by its first line).
std::string logger(const char* stampFormat, int firstColumn, int columns, int step)
{
    std::string out;
    if (columns > 0) {
        out = stampFormat[2] == '/' ? "Date,Time" : "Timestamp";
        for (int c = 0; c < columns; ++c)
            out += ",PT" + std::to_string(1000 + firstColumn + c);
        out += "\r\n";
    }
    columns = std::max(columns, 1);
    for (int t = 0; t < 2 * 86400; t += step) {
        char stamp[40];
        std::snprintf(stamp, sizeof stamp, stampFormat, 1 + t / 86400, t / 3600 % 24, t / 60 % 60, t % 60);
        out += stamp;
        for (int c = 0; c < columns; ++c)
            out += "," + std::to_string(20 + (t / step * 7 + c * 13) % 1000 / 100.0).substr(0, 5);
        out += "\r\n";
    }
    return out;
}

} // namespace

TEST(ReadAhead, SameLogAndDataAsOneThread)
{
    ZoneScope zone("UTC");
    TempDir dir;
    struct Case {
        std::string name;
        std::vector<std::string> files;
        Settings setup;
    };
    const std::string template_ = "Timestamp,PT1000,PT1001,PT1002,PT1003,PT1004,PT1009,PT1010,PT1012\r\n";
    const Case cases[] = {
        {"messy, 1 minute, averaging", {messyLogger(1), messyLogger(2)}, [](ToolSettings&) {}},
        {"hours that do not exist", {messyLogger(8, ',', true), messyLogger(9)}, [](ToolSettings&) {}},
        {"messy, 5 minutes, sampling, bracketed",
         {messyLogger(3)},
         [](ToolSettings& s) {
             s.interval = DataInterval::Min5;
             s.reduction = ReductionMode::Sampling;
             s.bracketEnabled = true;
         }},
        {"semicolons and tabs", {messyLogger(4, ';'), messyLogger(5, '\t')}, [](ToolSettings&) {}},
        {"three decimals, rows in time order",
         {messyLogger(10), messyLogger(11)},
         [](ToolSettings& s) {
             s.decimals = 3;
             s.sortRows = true;
         }},
        // Three layouts: the first file starts the format search, the others
        // are read in the layout it found, and fail to match it.
        {"loggers in three layouts",
         {template_, logger("03/%02d/2025,%02d:%02d:%02d", 0, 5, 30), logger("202503%02d-%02d:%02d:%02d", 5, 5, 60),
          logger("2025-03-%02dT%02d:%02d:%02dZ", 10, 3, 20)},
         [](ToolSettings& s) {
             s.dateFormat = 6;
             s.interval = DataInterval::Min2;
         }},
        {"one label a line", {logger("202503%02d-%02d%02d%02d", 0, 0, 60)},
         [](ToolSettings& s) {
             s.lineLabelled = true;
             s.dateFormat = 7;
         }},
    };
    for (const Case& k : cases) {
        const Outcome expected = readAll(dir, k.files, k.setup, oneThread);
        for (const ReadAheadTuning& tuning : tunings)
            expectSame(readAll(dir, k.files, k.setup, tuning), expected, k.name + ", " + describe(tuning));
    }
}

TEST(ReadAhead, StopsAtTheSameLine)
{
    ZoneScope zone("UTC");
    TempDir dir;
    const std::vector<std::string> files = {messyLogger(6), messyLogger(7)};
    const Settings setup = [](ToolSettings&) {};
    for (int stopAt : {1, 2, 100, 517, 1000}) { // the last one in the second file
        const Outcome expected = readAll(dir, files, setup, oneThread, stopAt);
        ASSERT_TRUE(std::count(expected.results.begin(), expected.results.end(), ReadResult::Stopped) == 1);
        expectSame(readAll(dir, files, setup, {0, 7, {}}, stopAt), expected, "stop at " + std::to_string(stopAt));
    }
}
