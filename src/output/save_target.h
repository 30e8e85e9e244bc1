#pragma once

#include <optional>
#include <string>

namespace tsl {

class CommandContext;
class FilesRead;
class MessageLog;

// What a save would write over at the path the user named.
struct SaveTarget {
    // The file to write: the named path, or the one its symbolic links lead to.
    std::string path;
    // Why no save may write there ("it is a folder"); empty when one may.
    std::string refusal;
    // Further names (hard links) of the file a save would replace: they
    // keep its earlier content.
    unsigned otherNames = 0;
};

// A save never replaces a file read in this session (known by device and
// inode, whatever name it is given), nor writes to a folder, a device, a
// FIFO or a socket; it writes through symbolic links to the file they name.
SaveTarget examineSaveTarget(const std::string& path, const FilesRead& filesRead);

// For a command about to save to path: the target, or nothing when the save
// is refused, which is logged with the last line shown.
std::optional<SaveTarget> admitSaveTarget(CommandContext& context, const std::string& path);

// After a save that replaced a file with other names: says that those keep
// the earlier content.
void noteOtherNames(MessageLog& log, const std::string& path, const SaveTarget& target);

// "it is a data file read in this session", when the file at path is one
// (symbolic links followed); else empty.
std::string readInSession(const std::string& path, const FilesRead& filesRead);

} // namespace tsl
