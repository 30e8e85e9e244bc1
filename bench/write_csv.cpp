// Writing the merged CSV: a year of one-minute data with 50 columns, built
// directly in the tree as the reader leaves it, saved whole and split by day.
#include "app/headless_context.h"
#include "output/csv_writer.h"
#include "tree/data_tree.h"
#include "year_tree.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int columns = 50;

// Every cell a "%5.2f" reading.
void buildYear(tsl::DataTree& tree, int days)
{
    bench::buildYear(tree, days, columns, [](char* cell, int column, int hour, int minute) {
        std::snprintf(cell, 16, "%5.2f", (minute * 7 + column * 13 + hour % 24) % 1000 / 10.0);
        return cell;
    });
}

struct Workload {
    tsl::HeadlessContext context;
    std::string folder;

    explicit Workload(int days)
    {
        buildYear(context.tree(), days);
        char pattern[] = "/tmp/tsl-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        context.setFileDialogHandler([this](tsl::FileDialogMode, tsl::FileRequest& request) {
            request.setChosenPaths({folder + "/merged.csv"});
            return true;
        });
    }
    ~Workload() { std::filesystem::remove_all(folder); }

    std::uintmax_t bytesWritten() const
    {
        std::uintmax_t total = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            total += entry.file_size();
        return total;
    }
    void clearFolder() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            std::filesystem::remove(entry.path());
    }
};

Workload& year()
{
    static Workload workload(365);
    return workload;
}

void saveYear(benchmark::State& state, int splitDays)
{
    Workload& workload = year();
    workload.context.editSettings().splitDays = splitDays;
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        workload.clearFolder();
        state.ResumeTiming();
        if (tsl::OnSaveToCsv(workload.context) != tsl::SaveOutcome::Saved)
            state.SkipWithError("save failed");
        state.PauseTiming();
        bytes = workload.bytesWritten();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["lines"] = 365.0 * 24 * 60;
    state.counters["MB_file"] = static_cast<double>(bytes) / 1e6;
}

void BM_SaveYearOneFile(benchmark::State& state) { saveYear(state, 0); }
void BM_SaveYearSplitByDay(benchmark::State& state) { saveYear(state, 1); }

BENCHMARK(BM_SaveYearOneFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_SaveYearSplitByDay)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
