#include "app/files_read.h"

#include <sys/stat.h>

namespace tsl {

void FilesRead::noteOpen(int fd, const std::string& path, ReadKind kind)
{
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        note(info.st_dev, info.st_ino, path, kind);
}

void FilesRead::notePath(const std::string& path, ReadKind kind)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        note(info.st_dev, info.st_ino, path, kind);
}

void FilesRead::note(dev_t device, ino_t inode, const std::string& path, ReadKind kind)
{
    // The first reading names the file; reading it again changes nothing.
    if (!find(device, inode))
        entries_.push_back({device, inode, path, kind});
}

const FilesRead::Entry* FilesRead::find(dev_t device, ino_t inode) const
{
    for (const Entry& entry : entries_)
        if (entry.device == device && entry.inode == inode)
            return &entry;
    return nullptr;
}

const char* describe(ReadKind kind)
{
    switch (kind) {
    case ReadKind::DataFile:
        return "a data file";
    case ReadKind::LabelTemplate:
        return "a label template";
    case ReadKind::OutputTemplate:
        return "an output template";
    case ReadKind::XmlFile:
        return "an XML file";
    case ReadKind::Export:
        return "an export";
    }
    return "a file";
}

} // namespace tsl
