// Reading speed over one month of one-minute data with 50 columns: lines per
// second in the first and in the last tenth of the file. The two should be
// alike: a line's cost may grow with its columns, not with the data already
// stored.
#include "app/headless_context.h"
#include "input/csv_reader.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int columns = 50;
constexpr int days = 31;
constexpr int linesPerDay = 24 * 60;

std::string writeMonthFile()
{
    std::string path = "/tmp/tsl-bench-month-" + std::to_string(::getpid()) + ".csv";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        std::abort();
    std::fputs("Date,Time", file);
    for (int c = 0; c < columns; ++c)
        std::fprintf(file, ",Point %02d", c);
    std::fputs("\r\n", file);
    unsigned seed = 12345;
    for (int day = 1; day <= days; ++day) {
        for (int minute = 0; minute < linesPerDay; ++minute) {
            std::fprintf(file, "01/%02d/2015,%02d:%02d:00", day, minute / 60, minute % 60);
            for (int c = 0; c < columns; ++c) {
                seed = seed * 1103515245u + 12345u;
                std::fprintf(file, ",%.2f", 50.0 + (seed >> 16) % 5000 / 100.0);
            }
            std::fputs("\r\n", file);
        }
    }
    std::fclose(file);
    return path;
}

void BM_ReadMonthOfMinutes(benchmark::State& state)
{
    setenv("TZ", "UTC", 1);
    tzset();
    static const std::string path = [] {
        std::string written = writeMonthFile();
        static std::string removeAtExit;
        removeAtExit = written;
        std::atexit([] { std::remove(removeAtExit.c_str()); });
        return written;
    }();
    const int totalLines = days * linesPerDay;
    const int tenth = totalLines / 10;
    // CPU time of this thread: the machine may be shared, and time spent
    // waiting for a core is not time spent reading.
    struct Clock {
        using time_point = double;
        static double now()
        {
            timespec t{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
            return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
        }
    };
    double firstRate = 0;
    double lastRate = 0;
    for (auto _ : state) {
        tsl::HeadlessContext context;
        std::vector<Clock::time_point> marks;
        marks.reserve(16);
        int counted = 0;
        marks.push_back(Clock::now());
        context.setPumpHandler([&] {
            if (++counted % tenth == 0)
                marks.push_back(Clock::now());
        });
        if (tsl::readDataFile(context, path) != tsl::ReadResult::Finished || marks.size() < 11)
            state.SkipWithError("the month was not read");
        auto seconds = [&](int from) { return marks[from + 1] - marks[from]; };
        if (std::getenv("TSL_BENCH_ALL_TENTHS")) {
            for (int i = 0; i < 10; ++i)
                std::fprintf(stderr, "%.0f ", tenth / seconds(i));
            std::fprintf(stderr, "\n");
        }
        firstRate += tenth / seconds(0);
        lastRate += tenth / seconds(9);
    }
    state.counters["first_tenth_lines_per_s"] = firstRate / static_cast<double>(state.iterations());
    state.counters["last_tenth_lines_per_s"] = lastRate / static_cast<double>(state.iterations());
    state.counters["lines"] = totalLines;
}
// One read per process: a second read in the same process reuses the memory
// the first one freed for part of the file only, which would make the tenths
// differ for reasons that have nothing to do with reading.
BENCHMARK(BM_ReadMonthOfMinutes)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
