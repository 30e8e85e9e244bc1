// How responsive the window stays while a large file is read: the longest
// time between two calls of the message pump during a whole read, and how long
// a read takes to end after Stop Reading (the stop is asked from inside the
// pump, as the window's button asks it, at several points of the file).
//   bench_read_responsiveness FILE [INTERVAL] [DATE-FORMAT]
#include "app/headless_context.h"
#include "app/time_zone.h"
#include "input/csv_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Read {
    double seconds = 0;
    double longestGapMs = 0;
    double stopMs = 0; // from the stop request to the read's end
    tsl::ReadResult result = tsl::ReadResult::Failed;
};

// One read into a fresh context; with stopAfter > 0 the stop is asked at the
// first pump at least that long after the start.
Read readOnce(const std::string& path, int interval, int dateFormat, double stopAfterMs)
{
    tsl::HeadlessContext context;
    context.editSettings().interval = static_cast<tsl::DataInterval>(interval);
    context.editSettings().dateFormat = dateFormat;
    Read read;
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    Clock::time_point stopAsked{};
    context.setPumpHandler([&] {
        const Clock::time_point now = Clock::now();
        read.longestGapMs = std::max(read.longestGapMs, milliseconds(now - last));
        last = now;
        if (stopAfterMs > 0 && stopAsked == Clock::time_point{} && milliseconds(now - start) >= stopAfterMs) {
            stopAsked = now;
            context.reading().stopRequested = 1;
        }
    });
    context.reading().readInProgress = 1;
    read.result = tsl::readDataFile(context, path);
    const Clock::time_point end = Clock::now();
    read.longestGapMs = std::max(read.longestGapMs, milliseconds(end - last));
    read.seconds = milliseconds(end - start) / 1000;
    if (stopAsked != Clock::time_point{})
        read.stopMs = milliseconds(end - stopAsked);
    return read;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_read_responsiveness FILE [INTERVAL] [DATE-FORMAT]\n");
        return 2;
    }
    tsl::pinLocalTimeZone();
    const std::string path = argv[1];
    const int interval = argc > 2 ? std::atoi(argv[2]) : 4;
    const int dateFormat = argc > 3 ? std::atoi(argv[3]) : 1;

    const Read whole = readOnce(path, interval, dateFormat, 0);
    if (whole.result != tsl::ReadResult::Finished) {
        std::fprintf(stderr, "the read did not finish\n");
        return 1;
    }
    double longestStop = 0;
    int stops = 0;
    for (double share : {0.1, 0.3, 0.5, 0.7, 0.9}) {
        const Read stopped = readOnce(path, interval, dateFormat, share * whole.seconds * 1000);
        if (stopped.result != tsl::ReadResult::Stopped)
            continue;
        longestStop = std::max(longestStop, stopped.stopMs);
        ++stops;
    }
    std::printf("Responsiveness while reading %s: pump every %.2f ms at most (the window needs 50); "
                "Stop Reading took %.2f ms at most (%d stops; needs 50)\n",
                path.c_str(), whole.longestGapMs, longestStop, stops);
    return 0;
}
