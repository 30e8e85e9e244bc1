#include "output/block_writer.h"

#include <algorithm>
#include <fcntl.h>

namespace tsl {

BlockWriter::BlockWriter(std::FILE* file) : block_(new char[blockSize]), file_(file) {}

void BlockWriter::setFile(std::FILE* file)
{
    file_ = file;
    used_ = 0;
    failed_ = false;
}

bool BlockWriter::flush()
{
    if (used_ > 0 && !failed_) {
        if (!file_ || std::fwrite(block_.get(), 1, used_, file_) != used_ || std::fflush(file_) != 0)
            failed_ = true;
        else
            // The disk starts on what is written while the rest is made, so
            // that making the file safe at its end waits for little. Only a
            // hint: files that cannot take it are written all the same.
            ::sync_file_range(::fileno(file_), 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    used_ = 0;
    return !failed_;
}

void BlockWriter::spill(std::string_view text)
{
    while (!text.empty()) {
        if (used_ == blockSize)
            flush();
        std::size_t part = std::min(text.size(), blockSize - used_);
        text.copy(block_.get() + used_, part);
        used_ += part;
        text.remove_prefix(part);
    }
}

} // namespace tsl
