#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace tsl::cli {

// A progress bar on a terminal for the running read: which file of the batch,
// and how much of its bytes have been read. It finds the file among the
// process's open files, so the reader need not know about it.
class ReadProgress {
public:
    explicit ReadProgress(std::FILE* terminal);

    void startBatch(std::vector<std::string> files);
    // Called often; redraws at most a few times a second.
    void update();
    // Takes the bar off the screen, so that a log line can be written there.
    void erase();
    void endBatch();

private:
    bool locate(std::size_t& index, long long& position, long long& size) const;
    void draw(std::size_t index, long long position, long long size);

    std::FILE* terminal_;
    std::vector<std::string> files_;      // as given
    std::vector<std::string> realPaths_;  // resolved, to match open files
    std::chrono::steady_clock::time_point nextDraw_{};
    unsigned calls_ = 0;
    bool drawn_ = false;
};

} // namespace tsl::cli
