#pragma once

#include <cstdio>
#include <string>

namespace tsl {

// Writes a file through a temporary file in the same folder. The file it
// replaces stays as it was until the new one is complete, and a failed or
// killed write leaves nothing behind: the temporary file has no name at all
// where the file system allows that (O_TMPFILE), else a short one that marks
// it as ours (".tessaloom-save-XXXXXX"), removed by the next save in that
// folder when its writer has gone.
class SafeFileWriter {
public:
    // What commit() does with a file that has the path already.
    enum class Existing { Replace, Keep };

    explicit SafeFileWriter(std::string path, Existing existing = Existing::Replace);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // How the temporary file is made: without a name when the file system
    // can, or always with one (the way of file systems that cannot).
    enum class Temporary { Unnamed, Named };

    // Creates the temporary file; false when the folder cannot take it.
    bool open(Temporary kind = Temporary::Unnamed);
    std::FILE* file() const { return file_; }
    // Flushes, syncs and puts the file under its path, replacing what is
    // there (or, with Existing::Keep, only when nothing is). False when
    // anything failed: then the temporary file is gone and the path untouched.
    bool commit();
    // The same under newPath, which must not exist: when it does, false with
    // nameTaken() set and the file still pending, to be committed under
    // another name (or discarded). The path is never replaced.
    bool commitAsNew(const std::string& newPath);
    bool nameTaken() const { return nameTaken_; }
    void discard();

    const std::string& path() const { return path_; }
    // A name that opens the temporary file while it is open (for one without
    // a name of its own, its descriptor's). A library that writes files only
    // by name writes there; commit() then syncs and puts in place what it wrote.
    std::string temporaryPath() const;
    // Why open() or commit() failed, as the system says it ("No space left on device").
    const std::string& errorText() const { return errorText_; }

private:
    bool fail();
    bool flushed();
    bool linkUnder(const std::string& name);
    bool giveTemporaryName();

    std::string path_;
    Existing existing_;
    std::string folder_;
    std::string temporaryPath_; // empty for an unnamed file
    std::FILE* file_ = nullptr;
    bool synced_ = false;
    bool nameTaken_ = false;
    std::string errorText_;
};

// Renames a file unless the new name is taken; never replaces a file.
bool renameWithoutReplacing(const std::string& from, const std::string& to);

} // namespace tsl
