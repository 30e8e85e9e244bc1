#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace tsl {

// Reads a file line by line the way a text-mode stream hands lines to a
// fixed buffer: CR LF arrives as "\n", which stays at the end of the line; a
// line longer than the limit comes in several pieces; a NUL byte ends the
// visible text of its line (what follows it on that line is lost).
// Where one such line ends in the bytes at data: the first `copied` bytes
// are its text, followed by a "\n" when `newline` (a CR LF or LF of the
// file); it stands for `consumed` bytes of the file. available must reach
// past limit + 1 bytes unless the file ends within it.
struct LineCut {
    std::size_t copied = 0;
    bool newline = false;
    std::size_t consumed = 0;
    std::size_t taken() const { return copied + (newline ? 1 : 0); }
};
LineCut cutLine(const char* data, std::size_t available, std::size_t limit);

// Copies the line cut from data into line (taken() + 1 bytes), NUL-terminated,
// and returns its visible length: up to a NUL byte, if it holds one.
std::size_t copyLine(const char* data, const LineCut& cut, char* line);

class TextLineReader {
public:
    TextLineReader() = default;
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    bool open(const std::string& path);
    bool isOpen() const { return file_ != nullptr; }
    // The open file's descriptor; -1 when none is open.
    int descriptor() const { return file_ ? fileno(file_) : -1; }
    void close();
    // Starts again from the first byte of the file.
    bool rewind();
    // The bytes of the file the lines read so far stand for (where the next
    // line starts).
    std::size_t position() const { return position_; }

    // Reads the next line into line (at most limit characters, its "\n"
    // included) and NUL-terminates it; line must hold limit + 1 bytes.
    // Returns false at the end of the file. length is the visible length.
    bool readLine(char* line, std::size_t limit, std::size_t& length);

private:
    // Makes at least wanted bytes available unless the file ends first.
    void fill(std::size_t wanted);

    std::FILE* file_ = nullptr;
    static constexpr std::size_t capacity = 1 << 16;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEof_ = false;
    std::size_t position_ = 0;
};

} // namespace tsl
