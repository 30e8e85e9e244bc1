#include "app/safe_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tsl {

namespace {

constexpr char temporaryPrefix[] = ".tessaloom-save-";
// A named temporary file this much older than now whose writer holds no lock
// on it is left over from a save that was killed.
constexpr std::time_t staleSeconds = 60;

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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string inFolder(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string randomTemporaryName()
{
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    std::string name = temporaryPrefix;
    for (int i = 0; i < 6; ++i)
        name += letters[pick(generator)];
    return name;
}

// Named temporary files of saves that were killed: their writer held a lock
// on each until it ended.
void removeStaleTemporaries(const std::string& folder)
{
    DIR* entries = ::opendir(folder.c_str());
    if (!entries)
        return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(entries)) {
        if (std::strncmp(entry->d_name, temporaryPrefix, sizeof temporaryPrefix - 1) != 0)
            continue;
        const std::string path = inFolder(folder, entry->d_name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_mtime + staleSeconds < now &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(entries);
}

// Makes the temporary file, locked so that no other save takes it for stale.
int createTemporary(const std::string& folder, SafeFileWriter::Temporary kind, mode_t mode,
                    std::string& namedPath)
{
    if (kind == SafeFileWriter::Temporary::Unnamed && ::access("/proc/self/fd", X_OK) == 0) {
        const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)) {
            if (fd >= 0)
                ::flock(fd, LOCK_EX | LOCK_NB);
            return fd;
        }
    }
    removeStaleTemporaries(folder);
    std::string pattern = inFolder(folder, std::string(temporaryPrefix) + "XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        return fd;
    ::flock(fd, LOCK_EX | LOCK_NB);
    namedPath = std::move(pattern);
    return fd;
}

} // namespace

bool renameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the no-replace rename: a hard link is just as
    // strict about an existing name.
    if (::link(from.c_str(), to.c_str()) != 0)
        return false;
    ::unlink(from.c_str());
    return true;
}

SafeFileWriter::SafeFileWriter(std::string path, Existing existing) : path_(std::move(path)), existing_(existing) {}

SafeFileWriter::~SafeFileWriter() { discard(); }

bool SafeFileWriter::fail()
{
    errorText_ = std::strerror(errno != 0 ? errno : EIO);
    return false;
}

bool SafeFileWriter::open(Temporary kind)
{
    discard();
    errno = 0;
    nameTaken_ = false;
    if (path_.empty()) {
        errno = ENOENT;
        return fail();
    }
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return fail();
    }
    folder_ = folderOf(path_);
    const mode_t mode = modeFor(path_);
    std::string namedPath;
    const int fd = createTemporary(folder_, kind, mode, namedPath);
    if (fd < 0)
        return fail();
    ::fchmod(fd, mode);
    file_ = ::fdopen(fd, "wb");
    if (!file_) {
        fail();
        ::close(fd);
        if (!namedPath.empty())
            ::unlink(namedPath.c_str());
        return false;
    }
    temporaryPath_ = std::move(namedPath);
    synced_ = false;
    return true;
}

// Everything written is on the disk; the file stays open.
bool SafeFileWriter::flushed()
{
    if (synced_)
        return true;
    // A write that failed earlier left its reason in errno; later calls that
    // succeed do not clear it.
    if (std::ferror(file_) || std::fflush(file_) != 0 || ::fsync(::fileno(file_)) != 0)
        return fail();
    synced_ = true;
    return true;
}

// Gives the unnamed file the name, which must be free.
bool SafeFileWriter::linkUnder(const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file_));
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// An unnamed file needs a name of its own in the folder before it can
// replace the old file in one step.
bool SafeFileWriter::giveTemporaryName()
{
    if (!temporaryPath_.empty())
        return true;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = inFolder(folder_, randomTemporaryName());
        if (linkUnder(name)) {
            temporaryPath_ = std::move(name);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    return fail();
}

std::string SafeFileWriter::temporaryPath() const
{
    if (!file_ || !temporaryPath_.empty())
        return temporaryPath_;
    return "/proc/self/fd/" + std::to_string(::fileno(file_));
}

bool SafeFileWriter::commit()
{
    if (existing_ == Existing::Keep) {
        const bool committed = commitAsNew(path_);
        discard();
        return committed;
    }
    if (!file_)
        return false;
    bool ok = flushed() && giveTemporaryName();
    if (std::fclose(file_) != 0 && ok)
        ok = fail();
    file_ = nullptr;
    if (ok && ::rename(temporaryPath_.c_str(), path_.c_str()) != 0)
        ok = fail();
    if (ok)
        temporaryPath_.clear();
    discard();
    return ok;
}

bool SafeFileWriter::commitAsNew(const std::string& newPath)
{
    nameTaken_ = false;
    if (!file_)
        return false;
    if (!flushed()) {
        discard();
        return false;
    }
    const bool linked =
        temporaryPath_.empty() ? linkUnder(newPath) : renameWithoutReplacing(temporaryPath_, newPath);
    if (!linked) {
        nameTaken_ = errno == EEXIST;
        fail();
        if (!nameTaken_)
            discard();
        return false;
    }
    // Everything is on the disk already: closing has nothing left to write.
    temporaryPath_.clear();
    std::fclose(file_);
    file_ = nullptr;
    return true;
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
