#include "cli/read_progress.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace tsl::cli {

namespace {

std::string resolved(const std::string& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

long long fileSize(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

// The read position of an open descriptor, from /proc/self/fdinfo.
long long positionOf(const std::string& fd)
{
    std::ifstream info("/proc/self/fdinfo/" + fd);
    std::string key;
    long long value = 0;
    while (info >> key) {
        if (key == "pos:") {
            info >> value;
            return value;
        }
        info.ignore(1 << 20, '\n');
    }
    return 0;
}

} // namespace

ReadProgress::ReadProgress(std::FILE* terminal) : terminal_(terminal) {}

void ReadProgress::startBatch(std::vector<std::string> files)
{
    files_ = std::move(files);
    realPaths_.clear();
    for (const auto& file : files_)
        realPaths_.push_back(resolved(file));
    nextDraw_ = {};
}

bool ReadProgress::locate(std::size_t& index, long long& position, long long& size) const
{
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return false;
    bool found = false;
    while (dirent* entry = ::readdir(folder)) {
        if (entry->d_name[0] == '.')
            continue;
        std::string link = std::string("/proc/self/fd/") + entry->d_name;
        char target[PATH_MAX];
        ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        if (length <= 0)
            continue;
        target[length] = '\0';
        for (std::size_t i = 0; i < realPaths_.size(); ++i) {
            if (realPaths_[i] == target) {
                index = i;
                position = positionOf(entry->d_name);
                size = fileSize(realPaths_[i]);
                found = true;
                break;
            }
        }
        if (found)
            break;
    }
    ::closedir(folder);
    return found;
}

void ReadProgress::update()
{
    // Reading the clock on every line would cost more than the bar is worth.
    if (files_.empty() || (++calls_ & 255u) != 0)
        return;
    auto now = std::chrono::steady_clock::now();
    if (now < nextDraw_)
        return;
    nextDraw_ = now + std::chrono::milliseconds(200);
    std::size_t index = 0;
    long long position = 0, size = 0;
    if (locate(index, position, size))
        draw(index, position, size);
}

void ReadProgress::draw(std::size_t index, long long position, long long size)
{
    const int width = 30;
    double share = size > 0 ? static_cast<double>(position) / static_cast<double>(size) : 0.0;
    if (share > 1.0)
        share = 1.0;
    int filled = static_cast<int>(share * width);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(width, '-');
    std::string name = files_[index];
    std::size_t slash = name.find_last_of('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    if (name.size() > 30)
        name = "..." + name.substr(name.size() - 27);
    std::fprintf(terminal_, "\r\033[Kfile %zu of %zu [%s] %3d%% %s", index + 1, files_.size(), bar.c_str(),
                 static_cast<int>(share * 100.0), name.c_str());
    std::fflush(terminal_);
    drawn_ = true;
}

void ReadProgress::erase()
{
    if (drawn_) {
        std::fputs("\r\033[K", terminal_);
        std::fflush(terminal_);
    }
    drawn_ = false;
}

void ReadProgress::endBatch()
{
    erase();
    files_.clear();
    realPaths_.clear();
}

} // namespace tsl::cli
