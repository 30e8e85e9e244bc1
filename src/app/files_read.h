#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace tsl {

// What a file was read as, for the line that refuses to save over it.
enum class ReadKind { DataFile, LabelTemplate, OutputTemplate, XmlFile, Export };

// The files read in this session, known by device and inode, so that a save
// recognises one under any of its names (a symbolic or hard link, "./a.csv").
// A save must never replace one of them.
class FilesRead {
public:
    struct Entry {
        dev_t device;
        ino_t inode;
        std::string path; // as it was read
        ReadKind kind;
    };

    // Notes the file open on descriptor fd, read from path.
    void noteOpen(int fd, const std::string& path, ReadKind kind);
    // Notes the file at path, following symbolic links; nothing when it is gone.
    void notePath(const std::string& path, ReadKind kind);

    // The entry of that file when it was read in this session, else null.
    const Entry* find(dev_t device, ino_t inode) const;

private:
    void note(dev_t device, ino_t inode, const std::string& path, ReadKind kind);

    std::vector<Entry> entries_;
};

// "a data file", "a label template", ... as a log line names it.
const char* describe(ReadKind kind);

} // namespace tsl
