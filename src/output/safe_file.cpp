#include "output/safe_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
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

bool SafeFileWriter::fail()
{
    errorText_ = std::strerror(errno != 0 ? errno : EIO);
    return false;
}

bool SafeFileWriter::open()
{
    discard();
    errno = 0;
    if (path_.empty()) {
        errno = ENOENT;
        return fail();
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    std::string pattern = path_ + ".tmpXXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return fail();
    ::fchmod(fd, modeFor(path_));
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        fail();
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
    // A write that failed earlier left its reason in errno; later calls that
    // succeed do not clear it.
    bool ok = !std::ferror(file_) && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    if (!ok)
        fail();
    if (std::fclose(file_) != 0 && ok)
        ok = fail();
    file_ = nullptr;
    if (ok && ::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
        ok = fail();
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
