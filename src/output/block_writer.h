#pragma once

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace tsl {

// Collects output text in one large block and hands it to the file a block at
// a time, so that writing a line costs a few copies and no library call.
// Once a write has failed, everything after it is dropped and failed() stays
// true until the next file is set.
class BlockWriter {
public:
    static constexpr std::size_t blockSize = std::size_t{256} << 10;

    explicit BlockWriter(std::FILE* file = nullptr);
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    // Starts writing to another file. What is still buffered must have been
    // flushed to the previous one first.
    void setFile(std::FILE* file);

    void write(std::string_view text)
    {
        const std::size_t n = text.size();
        if (n > blockSize - used_) {
            spill(text);
            return;
        }
        char* to = block_.get() + used_;
        const char* from = text.data();
        // Most texts are cells and delimiters of a few bytes: two overlapping
        // fixed-size copies cost less than a call.
        if (n >= 4 && n <= 8) {
            std::memcpy(to, from, 4);
            std::memcpy(to + n - 4, from + n - 4, 4);
        } else if (n > 0 && n < 4) {
            to[0] = from[0];
            to[n / 2] = from[n / 2];
            to[n - 1] = from[n - 1];
        } else if (n > 8) {
            std::memcpy(to, from, n);
        }
        used_ += n;
    }
    void lineBreak() { write("\r\n"); }

    // Hands the buffered text to the file; false once any write has failed.
    bool flush();
    bool failed() const { return failed_; }
    std::size_t buffered() const { return used_; }

private:
    void spill(std::string_view text);

    std::unique_ptr<char[]> block_;
    std::size_t used_ = 0;
    std::FILE* file_;
    bool failed_ = false;
};

} // namespace tsl
