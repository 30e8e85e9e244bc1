#pragma once

#include <cstdio>
#include <string>

namespace tsl {

// Writes a file through a temporary file in the same folder. The file it
// replaces stays as it was until the new one is complete, and a failed write
// leaves nothing behind.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string path);
    ~SafeFileWriter();
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file; false when the folder cannot take it.
    bool open();
    std::FILE* file() const { return file_; }
    // Flushes, syncs and renames the temporary file over the path. False when
    // anything failed: then the temporary file is gone and the path untouched.
    bool commit();
    void discard();

    const std::string& path() const { return path_; }
    // The temporary file while it is open. A library that writes files only
    // by name writes there; commit() then syncs and renames what it wrote.
    const std::string& temporaryPath() const { return temporaryPath_; }
    // Why open() or commit() failed, as the system says it ("No space left on device").
    const std::string& errorText() const { return errorText_; }

private:
    bool fail();

    std::string path_;
    std::string temporaryPath_;
    std::FILE* file_ = nullptr;
    std::string errorText_;
};

} // namespace tsl
