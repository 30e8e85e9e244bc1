#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tsl {

// Where a running read is: which file of the batch, and how far through it.
struct ReadPosition {
    std::size_t fileIndex = 0; // 0-based
    std::size_t fileCount = 0;
    double fraction = 0.0;     // 0..1 of the file's bytes
};

// Follows a read from outside the reader: it looks for the batch's files among
// the process's open files and takes the read position the kernel keeps for
// them. Costs a few directory reads per look, so call it a few times a second
// at most.
class ReadProgressWatcher {
public:
    void startBatch(const std::vector<std::string>& paths);
    void endBatch();
    bool active() const { return !realPaths_.empty(); }

    // The open file of the batch and its position; nothing when none of the
    // batch's files is open (between two files, or before the first).
    std::optional<ReadPosition> poll() const;

private:
    std::vector<std::string> realPaths_;
    mutable std::size_t lastIndex_ = 0;
};

} // namespace tsl
