#include "input/text_line_reader.h"

#include <cstring>
#include <sys/stat.h>

namespace tsl {

TextLineReader::~TextLineReader()
{
    close();
}

bool TextLineReader::open(const std::string& path)
{
    close();
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        return false;
    // A folder opens on Linux but holds no lines.
    struct stat info {};
    if (::fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
        close();
        return false;
    }
    if (!buffer_)
        buffer_ = std::make_unique<char[]>(capacity);
    begin_ = end_ = 0;
    atEof_ = false;
    position_ = 0;
    return true;
}

void TextLineReader::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
}

bool TextLineReader::rewind()
{
    if (!file_ || std::fseek(file_, 0, SEEK_SET) != 0)
        return false;
    std::clearerr(file_);
    begin_ = end_ = 0;
    atEof_ = false;
    position_ = 0;
    return true;
}

void TextLineReader::fill(std::size_t wanted)
{
    if (end_ - begin_ >= wanted || atEof_)
        return;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    while (end_ < wanted && !atEof_) {
        std::size_t got = std::fread(buffer_.get() + end_, 1, capacity - end_, file_);
        end_ += got;
        if (got == 0)
            atEof_ = true;
    }
}

bool TextLineReader::readLine(char* line, std::size_t limit, std::size_t& length)
{
    length = 0;
    line[0] = '\0';
    if (!file_ || limit == 0)
        return false;
    // One byte more than the line may hold, to see whether a CR is the first
    // half of a line end.
    const std::size_t wanted = limit + 2 < capacity ? limit + 2 : capacity;
    fill(wanted);
    if (begin_ == end_)
        return false;
    const char* data = buffer_.get() + begin_;
    const LineCut cut = cutLine(data, end_ - begin_, limit);
    length = copyLine(data, cut, line);
    begin_ += cut.consumed;
    position_ += cut.consumed;
    return true;
}

LineCut cutLine(const char* data, std::size_t available, std::size_t limit)
{
    const std::size_t scan = available < limit + 1 ? available : limit + 1;
    const char* newline = static_cast<const char*>(std::memchr(data, '\n', scan));
    LineCut cut;
    if (newline) {
        const auto content = static_cast<std::size_t>(newline - data);
        const bool crlf = content > 0 && data[content - 1] == '\r';
        const std::size_t visible = crlf ? content - 1 : content;
        if (visible + 1 <= limit) {
            cut.copied = visible;
            cut.newline = true;
            cut.consumed = content + 1;
        } else {
            cut.copied = cut.consumed = limit;
        }
    } else {
        // No line end within reach: a piece of a long line, or the last line.
        // A CR LF split by the limit arrives as "\n" with the next piece.
        cut.copied = cut.consumed = available < limit ? available : limit;
    }
    return cut;
}

std::size_t copyLine(const char* data, const LineCut& cut, char* line)
{
    std::memcpy(line, data, cut.copied);
    const void* nul = std::memchr(line, '\0', cut.copied);
    if (cut.newline)
        line[cut.copied] = '\n';
    line[cut.taken()] = '\0';
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - line) : cut.taken();
}

} // namespace tsl
