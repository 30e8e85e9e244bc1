// Writing the merged CSV: a year of one-minute data with 50 columns, built
// directly in the tree as the reader leaves it, saved whole and split by day.
#include "app/headless_context.h"
#include "output/csv_writer.h"
#include "tree/data_tree.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int columns = 50;

std::string twoDigits(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d", number);
    return text;
}

// One line per minute of 2019, every cell a "%5.2f" reading.
void buildYear(tsl::DataTree& tree, int days)
{
    tsl::DataNode* templ = tree.addChild(tree.root(), "template");
    for (int column = 0; column < columns; ++column) {
        tsl::DataNode* label = tree.addChild(templ, "label");
        tree.setAttribute(label, "value", "AHU" + std::to_string(column) + "_TEMP");
        tree.setAttributeInt(label, "order", column);
    }
    tsl::DataNode* data = tree.addChild(tree.root(), "data");
    tsl::DataNode* year = tree.addChild(data, "dataYear");
    tree.setAttributeInt(year, "year", 2019);
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    char cell[16];
    int dayCount = 0;
    for (int month = 1; month <= 12 && dayCount < days; ++month) {
        tsl::DataNode* monthNode = tree.insertChildSorted(year, "dataMonth", "month", twoDigits(month));
        for (int day = 1; day <= monthDays[month - 1] && dayCount < days; ++day, ++dayCount) {
            tsl::DataNode* dayNode = tree.insertChildSorted(monthNode, "dataDay", "day", twoDigits(day));
            for (int hour = 0; hour < 24; ++hour) {
                tsl::DataNode* hourNode = tree.insertChildSorted(dayNode, "dataHour", "hour", twoDigits(hour));
                for (int minute = 0; minute < 60; ++minute) {
                    tsl::DataNode* line = tree.copySubtree(hourNode, templ);
                    tree.setName(line, "dataline");
                    const std::string stamp = twoDigits(minute) + ":00";
                    tree.setAttribute(line, "timestamp", stamp);
                    tree.setAttribute(line, "timestampCSV", stamp);
                    int column = 0;
                    for (tsl::DataNode* label = line->firstChild(); label; label = label->nextSibling()) {
                        std::snprintf(cell, sizeof cell, "%5.2f", (minute * 7 + column++ * 13 + hour) % 1000 / 10.0);
                        label->setText(cell);
                    }
                }
            }
        }
    }
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
