#include "app/window/read_progress_watcher.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tsl {

namespace {

std::string resolvedPath(const std::string& path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

// The target of /proc/self/fd/<name>, or empty.
std::string descriptorTarget(const char* name)
{
    std::string link = std::string("/proc/self/fd/") + name;
    char target[PATH_MAX];
    ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
    if (length <= 0)
        return {};
    return std::string(target, static_cast<std::size_t>(length));
}

// The file offset of a descriptor, from the "pos:" line of its fdinfo.
std::optional<long long> descriptorPosition(const char* name)
{
    std::string infoPath = std::string("/proc/self/fdinfo/") + name;
    int fd = ::open(infoPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    char text[256];
    ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (length <= 0)
        return std::nullopt;
    text[length] = '\0';
    const char* pos = std::strstr(text, "pos:");
    if (!pos)
        return std::nullopt;
    return std::strtoll(pos + 4, nullptr, 10);
}

long long descriptorSize(const char* name)
{
    struct stat info {};
    std::string link = std::string("/proc/self/fd/") + name;
    return ::stat(link.c_str(), &info) == 0 ? static_cast<long long>(info.st_size) : 0;
}

} // namespace

void ReadProgressWatcher::startBatch(const std::vector<std::string>& paths)
{
    realPaths_.clear();
    lastIndex_ = 0;
    for (const auto& path : paths)
        realPaths_.push_back(resolvedPath(path));
}

void ReadProgressWatcher::endBatch()
{
    realPaths_.clear();
}

std::optional<ReadPosition> ReadProgressWatcher::poll() const
{
    if (realPaths_.empty())
        return std::nullopt;
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder)
        return std::nullopt;
    std::optional<ReadPosition> found;
    while (!found) {
        dirent* entry = ::readdir(folder);
        if (!entry)
            break;
        if (entry->d_name[0] == '.')
            continue;
        std::string target = descriptorTarget(entry->d_name);
        if (target.empty() || target.front() != '/')
            continue;
        // A file may stand twice in a batch: the later copy is the one being read
        // once the earlier one has been passed.
        for (std::size_t k = 0; k < realPaths_.size(); ++k) {
            std::size_t i = (lastIndex_ + k) % realPaths_.size();
            if (realPaths_[i] != target)
                continue;
            std::optional<long long> position = descriptorPosition(entry->d_name);
            if (!position)
                break;
            long long size = descriptorSize(entry->d_name);
            double fraction = size > 0 ? static_cast<double>(*position) / static_cast<double>(size) : 1.0;
            found = ReadPosition{i, realPaths_.size(), fraction > 1.0 ? 1.0 : fraction};
            lastIndex_ = i;
            break;
        }
    }
    ::closedir(folder);
    return found;
}

} // namespace tsl
