#include "output/save_target.h"

#include "app/command_context.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace tsl {

namespace {

// As the system gives up on a chain of links (ELOOP).
constexpr int maxLinkHops = 40;

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path with its symbolic links followed to what they name, which need
// not exist yet; nothing when the links go round in a loop.
std::optional<std::string> followLinks(const std::string& path)
{
    std::string current = path;
    for (int hop = 0; hop <= maxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), target, sizeof target - 1);
        if (length <= 0)
            return current;
        const std::string text(target, static_cast<std::size_t>(length));
        current = text.front() == '/' ? text : folderOf(current) + text;
    }
    return std::nullopt;
}

std::string readFileReason(const FilesRead::Entry& entry, const std::string& path)
{
    std::string reason = std::string("it is ") + describe(entry.kind) + " read in this session";
    if (entry.path != path)
        reason += " as '" + logText(entry.path) + "'";
    return reason;
}

std::string kindReason(mode_t mode)
{
    if (S_ISDIR(mode))
        return "it is a folder";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "it is a device, not a file";
    if (S_ISFIFO(mode))
        return "it is a named pipe (FIFO), not a file";
    if (S_ISSOCK(mode))
        return "it is a socket, not a file";
    return {};
}

} // namespace

SaveTarget examineSaveTarget(const std::string& path, const FilesRead& filesRead)
{
    SaveTarget target;
    const std::optional<std::string> followed = followLinks(path);
    if (!followed) {
        target.path = path;
        target.refusal = "its symbolic links go round in a loop";
        return target;
    }
    target.path = *followed;
    struct stat info {};
    // Nothing there yet, or nothing that can be looked at: the save finds out.
    if (::stat(target.path.c_str(), &info) != 0)
        return target;
    target.refusal = kindReason(info.st_mode);
    if (!target.refusal.empty())
        return target;
    if (const FilesRead::Entry* read = filesRead.find(info.st_dev, info.st_ino)) {
        target.refusal = readFileReason(*read, path) + " (a save never replaces one)";
        return target;
    }
    if (info.st_nlink > 1)
        target.otherNames = static_cast<unsigned>(info.st_nlink - 1);
    return target;
}

std::optional<SaveTarget> admitSaveTarget(CommandContext& context, const std::string& path)
{
    SaveTarget target = examineSaveTarget(path, context.filesRead());
    if (target.refusal.empty())
        return target;
    MessageLog& log = context.log();
    log.append("ERROR: Nothing was saved to '" + logText(path) + "': " + target.refusal + ".");
    log.showLast();
    return std::nullopt;
}

void noteOtherNames(MessageLog& log, const std::string& path, const SaveTarget& target)
{
    if (target.otherNames == 0)
        return;
    log.append("NOTE- '" + logText(path) + "' had " + std::to_string(target.otherNames) +
               (target.otherNames == 1 ? " other name (a hard link): it keeps" : " other names (hard links): they keep") +
               " the earlier content.");
}

std::string readInSession(const std::string& path, const FilesRead& filesRead)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return {};
    const FilesRead::Entry* read = filesRead.find(info.st_dev, info.st_ino);
    return read ? readFileReason(*read, path) : std::string();
}

} // namespace tsl
