// Any bytes as an export: the import finds its shape, examines every line,
// writes the prepared copy and reads it, on the grid and with the reduction,
// date layout and file name that the first byte picks.
#include "app/headless_context.h"
#include "input/import_command.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Larger copies are only examined: reading them into the tree would make
// one input take seconds.
constexpr long long linesRead = 5000;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("TZ", "UTC", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    namespace fs = std::filesystem;
    static const std::string folder = "/tmp/tsl-fuzz-import-" + std::to_string(::getpid());
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    // A name with dates in it takes part in choosing the date order.
    const std::string path = folder + ((data[0] & 0x80) ? "/240720_240913.csv" : "/export.csv");
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data + 1, 1, size - 1, file);
    std::fclose(file);

    tsl::HeadlessContext context;
    tsl::ToolSettings& settings = context.editSettings();
    settings.interval = static_cast<tsl::DataInterval>(data[0] % 7);
    settings.reduction = static_cast<tsl::ReductionMode>(data[0] / 7 % 2);
    settings.dateFormat = (data[0] >> 4) % 5;
    settings.decimals = data[0] % 7;
    const tsl::ImportPlan plan = tsl::planImport(context, {path});
    bool small = true;
    for (const tsl::FileImport& f : plan.files)
        small = small && f.placement.lines <= linesRead;
    tsl::logImportPlan(context.log(), plan);
    if (small)
        tsl::runImport(context, plan);
    return 0;
}
