#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string_view>

namespace tsl {

// Collects output text in one large block and hands it to the file a block at
// a time, so that writing a line costs a few copies and no library call.
// Once a write has failed, everything after it is dropped and failed() stays
// true until the next file is set.
class BlockWriter {
public:
    static constexpr std::size_t blockSize = std::size_t{1} << 20;

    explicit BlockWriter(std::FILE* file = nullptr);
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    // Starts writing to another file. What is still buffered must have been
    // flushed to the previous one first.
    void setFile(std::FILE* file);

    void write(std::string_view text)
    {
        if (text.size() <= blockSize - used_) {
            text.copy(block_.get() + used_, text.size());
            used_ += text.size();
        } else {
            spill(text);
        }
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
