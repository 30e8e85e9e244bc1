#include "db/driver_registration.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tsl {

namespace fs = std::filesystem;

namespace {

std::string trimmed(const std::string& text)
{
    auto isBlank = [](unsigned char c) { return std::isspace(c) != 0; };
    auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string environmentOr(const char* name, const std::string& fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::string(value) : fallback;
}

fs::path executableFolder()
{
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable.parent_path();
}

} // namespace

bool iniRegistersDriver(const std::string& iniPath, const std::string& driverName)
{
    std::ifstream in(iniPath);
    std::string line;
    while (std::getline(in, line)) {
        std::string text = trimmed(line);
        if (text.size() < 2 || text.front() != '[')
            continue;
        std::size_t close = text.rfind(']');
        if (close != std::string::npos && close > 0 &&
            sameNameIgnoringCase(trimmed(text.substr(1, close - 1)), driverName))
            return true;
    }
    return false;
}

std::vector<std::string> driverListsInEffect()
{
    std::vector<std::string> lists;
    if (const char* home = std::getenv("HOME"); home && *home)
        lists.push_back(std::string(home) + "/.odbcinst.ini");
    lists.push_back(environmentOr("ODBCSYSINI", "/etc") + "/" + environmentOr("ODBCINSTINI", "odbcinst.ini"));
    return lists;
}

std::optional<std::string> shippedDriverFolder(const std::string& driverName)
{
    std::vector<fs::path> candidates;
    fs::path folder = executableFolder();
    for (int up = 0; up <= 2 && !folder.empty(); ++up) {
        candidates.push_back(folder / "odbc");
        folder = folder.parent_path();
    }
    candidates.push_back(TSL_DB_SOURCE_DIR);
    for (const fs::path& candidate : candidates) {
        if (iniRegistersDriver((candidate / "odbcinst.ini").string(), driverName))
            return candidate.string();
    }
    return std::nullopt;
}

bool useShippedDriversUnlessRegistered(const std::string& driverName)
{
    for (const std::string& list : driverListsInEffect()) {
        if (iniRegistersDriver(list, driverName))
            return false;
    }
    std::optional<std::string> folder = shippedDriverFolder(driverName);
    if (!folder)
        return false;
    ::setenv("ODBCSYSINI", folder->c_str(), 1);
    ::unsetenv("ODBCINSTINI");
    return true;
}

} // namespace tsl
