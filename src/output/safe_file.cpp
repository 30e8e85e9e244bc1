#include "output/safe_file.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tsl {

namespace {

// Mode for the new file: the old file's when it exists, else what the umask allows.
mode_t modeFor(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return info.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

SafeFileWriter::SafeFileWriter(std::string path) : path_(std::move(path)) {}

SafeFileWriter::~SafeFileWriter() { discard(); }

bool SafeFileWriter::open()
{
    discard();
    if (path_.empty())
        return false;
    // A folder that is a file, or a name that is a folder, cannot be written.
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return false;
    std::string pattern = path_ + ".tmpXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    ::fchmod(fd, modeFor(path_));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    temporaryPath_ = std::move(pattern);
    return true;
}

bool SafeFileWriter::commit()
{
    if (!file_)
        return false;
    bool ok = std::fflush(file_) == 0 && !std::ferror(file_) && ::fsync(::fileno(file_)) == 0;
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    if (ok)
        ok = ::rename(temporaryPath_.c_str(), path_.c_str()) == 0;
    if (!ok)
        ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    return ok;
}

void SafeFileWriter::discard()
{
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temporaryPath_.empty()) {
        ::unlink(temporaryPath_.c_str());
        temporaryPath_.clear();
    }
}

} // namespace tsl
