#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace tsl {

// A line of an export may hold at most as many bytes as the reader's line
// buffer; a longer one is cut there and the rest of it passed over.
inline constexpr std::size_t exportLineLimit = 19989;

// What the bytes of an export turned out to be.
struct ExportEncoding {
    enum class Form { EightBit, Utf16Le, Utf16Be };
    Form form = Form::EightBit;
    bool byteOrderMark = false;
    bool utf16Guessed = false;       // UTF-16 without a byte order mark, from its NUL bytes
    std::size_t utf8Lines = 0;       // lines with bytes above 127 that are UTF-8
    std::size_t latin1Lines = 0;     // lines that are not UTF-8, read as Latin-1
    std::size_t loneCrEnds = 0;      // lines ended by a CR alone
    std::size_t crLfEnds = 0;
    std::size_t lfEnds = 0;

    // "ASCII", "UTF-8 with byte order mark", "UTF-16LE", "UTF-8 and Latin-1", ...
    std::string describe() const;
};

// Reads an export line by line as UTF-8 text, whatever its encoding (UTF-8,
// Latin-1, UTF-16 with or without a byte order mark) and line ends (CR LF,
// LF or a CR alone), holding one block and one line in memory at a time.
class ExportLines {
public:
    ExportLines();
    ~ExportLines();
    ExportLines(const ExportLines&) = delete;
    ExportLines& operator=(const ExportLines&) = delete;

    // Opens a regular file and looks at its first block. False, with the
    // reason, for a folder, a device or pipe (it could not be read twice),
    // an empty file, or one whose first block holds NUL bytes that are not
    // UTF-16 (a binary or sparse file).
    bool open(const std::string& path, std::string& refusal);

    // The same, reading the file from its last line to its first (an export
    // written newest first); lines is how many a read from the top found,
    // so that every line keeps its number.
    bool openBackwards(const std::string& path, std::size_t lines, std::string& refusal);

    // The next line without its end; false at the end of the file (at its
    // start, read backwards).
    bool next(std::string& line);

    // 1-based number of the line last returned.
    std::size_t lineNumber() const { return lineNumber_; }
    // The line last returned was longer than exportLineLimit and was cut.
    bool lineCut() const { return cut_; }
    // The line last returned held a NUL byte (or character).
    bool lineHasNul() const { return nul_; }
    // A read of the file failed; the lines so far are all there is.
    bool readFailed() const { return readFailed_; }
    const ExportEncoding& encoding() const { return encoding_; }

private:
    std::size_t unitBytes() const;
    bool fill();
    unsigned unitAt(std::size_t offset) const;
    void settleLineEnd();
    bool nextRaw();
    bool previousUnit(unsigned& code);
    bool previousRaw();
    void decode(std::string& line);

    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEof_ = false;
    bool readFailed_ = false;
    bool pendingCr_ = false;
    std::string raw_;
    std::size_t lineNumber_ = 0;
    bool cut_ = false;
    bool nul_ = false;
    ExportEncoding encoding_;
    // Read backwards, the unread text is [dataStart_, cursor_) of the file
    // and the buffer holds its part [low_, high_).
    bool backwards_ = false;
    bool lineEndsHere_ = false;
    long long dataStart_ = 0;
    long long cursor_ = 0;
    long long low_ = 0;
    long long high_ = 0;
};

// Text without blanks or TABs at either end.
std::string_view trimmed(std::string_view text);

// Text with the letters A to Z made lower case.
std::string lowered(std::string_view text);

} // namespace tsl
