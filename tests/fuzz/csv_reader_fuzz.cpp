// A whole logger file through the reader, with settings taken from the
// input's first bytes, then every command that works on what was read and
// the chart's view of it.
#include "app/headless_context.h"
#include "input/csv_reader.h"
#include "ops/chart_series.h"
#include "ops/fill_blanks.h"
#include "ops/preview.h"
#include "ops/unit_conversion.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    static const std::string path = "/tmp/tsl-fuzz-csv-" + std::to_string(::getpid()) + ".csv";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + 4, 1, size - 4, file);
    std::fclose(file);

    tsl::HeadlessContext context;
    tsl::ToolSettings& settings = context.editSettings();
    settings.interval = static_cast<tsl::DataInterval>(data[0] % 7);
    settings.reduction = static_cast<tsl::ReductionMode>(data[0] / 7 % 2);
    settings.dateFormat = data[1] % 13;
    settings.bracketEnabled = data[2] & 1;
    settings.lineLabelled = (data[2] & 2) != 0;
    settings.decimals = (data[2] >> 2) % 7;
    settings.sortRows = (data[2] & 0x80) != 0;
    settings.bracketStart = {data[3] % 24, 0, 0};
    settings.conversion = data[3] % 7;
    settings.conversionColumn = "";
    context.reading().readInProgress = 1;
    tsl::readDataFile(context, path);
    // a second read of the same file meets the template and data of the first
    tsl::readDataFile(context, path);
    tsl::OnConvertUnits(context);
    tsl::OnFillBlanks(context);
    tsl::OnPreviewData(context);

    // The chart of every column, whole and in a window around its middle.
    const tsl::ChartData chart = tsl::collectChartData(context.tree(), tsl::chartColumnLabels(context.tree()));
    if (!chart.empty()) {
        const double from = double(chart.times.front()), to = double(chart.times.back());
        const int pixels = 1 + data[2] % 64;
        for (std::size_t column = 0; column < chart.columns.size(); ++column) {
            tsl::plotLine(chart, column, from, to + 1, pixels);
            tsl::plotLine(chart, column, (from + to) / 2 - 60, (from + to) / 2 + 60, pixels);
            tsl::nearestReading(chart, column, (from + to) / 2);
        }
        tsl::valueAxisOfColumns(chart);
    }
    return 0;
}
