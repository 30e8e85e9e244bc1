// Import speed over a month of 30-second readings as a building system
// exports them (month names, a 12-hour clock, seconds that wander, ten
// points and a fan status): lines per second of the examination (the pass
// that learns the file plus the dry run of its reduction) and of writing the
// prepared copy on a 5-minute grid. Memory does not grow with the file:
// one line is held at a time.
#include "app/headless_context.h"
#include "input/import_command.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

constexpr int points = 10;
constexpr int lines = 31 * 24 * 120;

std::string writeExport()
{
    std::string path = "/tmp/tsl-bench-export-" + std::to_string(::getpid()) + ".csv";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
        std::abort();
    std::fputs("Timestamp", file);
    for (int p = 0; p < points; ++p)
        std::fprintf(file, ",Point %02d (\xC2\xB0""F)", p);
    std::fputs(",Fan Status\r\n", file);
    static const char* months[] = {"Jan", "Feb", "Mar"};
    unsigned seed = 12345;
    long long second = 0;
    for (int i = 0; i < lines; ++i) {
        seed = seed * 1103515245u + 12345u;
        second += 28 + (seed >> 16) % 5;
        const long long day = second / 86400, hour = second / 3600 % 24, minute = second / 60 % 60;
        std::fprintf(file, "%02lld-%s-22 %lld:%02lld:%02lld %s CST", day % 28 + 1, months[day / 28 % 3],
                     hour % 12 == 0 ? 12 : hour % 12, minute, second % 60, hour < 12 ? "AM" : "PM");
        for (int p = 0; p < points; ++p)
            std::fprintf(file, ",%.1f", 50.0 + (seed >> (p % 16)) % 500 / 10.0);
        std::fputs(i / 500 % 2 ? ",On\r\n" : ",Off\r\n", file);
    }
    std::fclose(file);
    return path;
}

const std::string& exportPath()
{
    static const std::string path = [] {
        setenv("TZ", "UTC", 1);
        tzset();
        static std::string written = writeExport();
        std::atexit([] { std::remove(written.c_str()); });
        return written;
    }();
    return path;
}

tsl::ImportPlan plan(tsl::HeadlessContext& context)
{
    context.editSettings().interval = tsl::DataInterval::Min5;
    return tsl::planImport(context, {exportPath()}, "/tmp");
}

void BM_ExamineExport(benchmark::State& state)
{
    for (auto _ : state) {
        tsl::HeadlessContext context;
        benchmark::DoNotOptimize(plan(context));
    }
    state.counters["lines/s"] = benchmark::Counter(double(lines) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

void BM_WritePreparedCopy(benchmark::State& state)
{
    tsl::HeadlessContext context;
    tsl::ImportPlan examined = plan(context);
    const tsl::FileImport& file = examined.files.front();
    for (auto _ : state) {
        tsl::CodeLegends legends = examined.legends;
        const tsl::ReduceOutcome written =
            tsl::writePreparedCopy(file.preparedPath, file.marker, file.recipe, legends, [] { return true; });
        if (!written.error.empty())
            state.SkipWithError(written.error.c_str());
    }
    std::remove(file.preparedPath.c_str());
    state.counters["lines/s"] = benchmark::Counter(double(lines) * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_ExamineExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WritePreparedCopy)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
