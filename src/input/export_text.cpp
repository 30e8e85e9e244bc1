#include "input/export_text.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace tsl {

namespace {

constexpr std::size_t blockBytes = 1 << 16;
// Bytes of the first block looked at to tell UTF-16 from 8-bit text.
constexpr std::size_t probeBytes = 4096;

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Whether the bytes are well-formed UTF-8; wide tells whether any byte is above 127.
bool validUtf8(std::string_view bytes, bool& wide)
{
    wide = false;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        int follow = 0;
        if (c < 0x80)
            follow = 0;
        else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
            follow = 1;
        else if ((c & 0xF0) == 0xE0)
            follow = 2;
        else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
            follow = 3;
        else
            return false;
        wide = wide || follow > 0;
        for (int k = 1; k <= follow; ++k)
            if (i + k >= bytes.size() || (static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += 1 + follow;
    }
    return true;
}

// UTF-16 without a byte order mark shows as NUL bytes at every other place.
ExportEncoding::Form guessUtf16(const char* data, std::size_t size)
{
    std::size_t pairs = 0, evenNuls = 0, oddNuls = 0;
    for (std::size_t i = 0; i + 1 < size && i < probeBytes; i += 2) {
        ++pairs;
        evenNuls += data[i] == '\0';
        oddNuls += data[i + 1] == '\0';
    }
    if (pairs < 2)
        return ExportEncoding::Form::EightBit;
    if (oddNuls * 10 >= pairs * 4 && evenNuls * 20 < pairs)
        return ExportEncoding::Form::Utf16Le;
    if (evenNuls * 10 >= pairs * 4 && oddNuls * 20 < pairs)
        return ExportEncoding::Form::Utf16Be;
    return ExportEncoding::Form::EightBit;
}

} // namespace

std::string ExportEncoding::describe() const
{
    std::string text;
    switch (form) {
    case Form::Utf16Le:
        text = "UTF-16LE";
        break;
    case Form::Utf16Be:
        text = "UTF-16BE";
        break;
    case Form::EightBit:
        if (latin1Lines && utf8Lines)
            text = "UTF-8 with " + std::to_string(latin1Lines) + (latin1Lines == 1 ? " Latin-1 line" : " Latin-1 lines");
        else if (latin1Lines)
            text = "Latin-1";
        else
            text = (utf8Lines || byteOrderMark) ? "UTF-8" : "ASCII";
        break;
    }
    if (byteOrderMark)
        text += " with byte order mark";
    if (utf16Guessed)
        text += " (no byte order mark)";
    if (loneCrEnds && loneCrEnds >= crLfEnds + lfEnds)
        text += ", lines end with CR";
    return text;
}

ExportLines::ExportLines() : buffer_(std::make_unique<char[]>(blockBytes)) {}

ExportLines::~ExportLines()
{
    if (file_)
        std::fclose(file_);
}

bool ExportLines::open(const std::string& path, std::string& refusal)
{
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) {
        refusal = std::string("the file cannot be opened (") + std::strerror(errno) + ")";
        return false;
    }
    struct stat info {};
    if (::fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
        refusal = "it is a folder";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        refusal = "it is not a regular file (a device, pipe or socket), and the import reads a file more than once";
        return false;
    }
    fill();
    const char* data = buffer_.get();
    if (end_ == 0) {
        refusal = readFailed_ ? "the file cannot be read" : "the file is empty";
        return false;
    }
    if (end_ >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
        encoding_.byteOrderMark = true;
        begin_ = 3;
    } else if (end_ >= 2 && (std::memcmp(data, "\xFF\xFE", 2) == 0 || std::memcmp(data, "\xFE\xFF", 2) == 0)) {
        encoding_.byteOrderMark = true;
        encoding_.form = data[0] == '\xFF' ? ExportEncoding::Form::Utf16Le : ExportEncoding::Form::Utf16Be;
        begin_ = 2;
    } else {
        encoding_.form = guessUtf16(data, end_);
        encoding_.utf16Guessed = encoding_.form != ExportEncoding::Form::EightBit;
    }
    const std::size_t probe = std::min(end_, probeBytes);
    bool onlyNuls = true;
    for (std::size_t i = begin_; i < probe && onlyNuls; ++i)
        onlyNuls = data[i] == '\0';
    if (onlyNuls && probe > begin_) {
        refusal = "it holds only NUL bytes where its text should begin: it is not a text file";
        return false;
    }
    if (encoding_.form == ExportEncoding::Form::EightBit && std::memchr(data + begin_, '\0', end_ - begin_)) {
        refusal = "its first block holds NUL bytes: it is not a text file";
        return false;
    }
    return true;
}

bool ExportLines::openBackwards(const std::string& path, std::size_t lines, std::string& refusal)
{
    if (!open(path, refusal))
        return false;
    backwards_ = true;
    const long long unit = static_cast<long long>(unitBytes());
    dataStart_ = static_cast<long long>(begin_);
    if (std::fseek(file_, 0, SEEK_END) != 0) {
        refusal = "the file cannot be read from its end";
        return false;
    }
    const long long size = std::ftell(file_);
    cursor_ = low_ = high_ = size - (size - dataStart_) % unit;
    lineNumber_ = lines + 1;
    lineEndsHere_ = cursor_ > dataStart_;
    // A line end at the very end closes the last line.
    unsigned code = 0;
    if (previousUnit(code)) {
        if (code == '\n') {
            if (previousUnit(code) && code != '\r')
                cursor_ += unit;
        } else if (code != '\r') {
            cursor_ += unit;
        }
    }
    return true;
}

std::size_t ExportLines::unitBytes() const
{
    return encoding_.form == ExportEncoding::Form::EightBit ? 1 : 2;
}

bool ExportLines::fill()
{
    if (atEof_ || !file_)
        return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    const std::size_t got = std::fread(buffer_.get() + end_, 1, blockBytes - end_, file_);
    end_ += got;
    if (got == 0) {
        atEof_ = true;
        readFailed_ = std::ferror(file_) != 0;
    }
    return got > 0;
}

unsigned ExportLines::unitAt(std::size_t offset) const
{
    const unsigned char* data = reinterpret_cast<const unsigned char*>(buffer_.get()) + offset;
    switch (encoding_.form) {
    case ExportEncoding::Form::Utf16Le:
        return data[0] | (data[1] << 8);
    case ExportEncoding::Form::Utf16Be:
        return (data[0] << 8) | data[1];
    case ExportEncoding::Form::EightBit:
        break;
    }
    return data[0];
}

// A CR ended the last line: it was a line end of its own, or the first half
// of CR LF.
void ExportLines::settleLineEnd()
{
    if (!pendingCr_)
        return;
    const std::size_t unit = unitBytes();
    if (end_ - begin_ < unit)
        fill();
    pendingCr_ = false;
    if (end_ - begin_ >= unit && unitAt(begin_) == '\n') {
        begin_ += unit;
        ++encoding_.crLfEnds;
    } else {
        ++encoding_.loneCrEnds;
    }
}

bool ExportLines::nextRaw()
{
    raw_.clear();
    cut_ = false;
    settleLineEnd();
    const std::size_t unit = unitBytes();
    const std::size_t rawLimit = exportLineLimit * unit;
    bool consumed = false;
    // 8-bit text goes by runs of bytes up to the next line end.
    while (unit == 1) {
        if (begin_ == end_ && !fill())
            return consumed;
        const char* data = buffer_.get();
        std::size_t stop = begin_;
        while (stop < end_ && data[stop] != '\n' && data[stop] != '\r')
            ++stop;
        const std::size_t room = rawLimit - std::min(raw_.size(), rawLimit);
        raw_.append(data + begin_, std::min(stop - begin_, room));
        cut_ = cut_ || stop - begin_ > room;
        consumed = consumed || stop > begin_;
        begin_ = stop;
        if (stop < end_) {
            ++begin_;
            if (data[stop] == '\n')
                ++encoding_.lfEnds;
            else
                pendingCr_ = true;
            return true;
        }
    }
    for (;;) {
        if (end_ - begin_ < unit && !fill()) {
            // The end of the file; an odd last byte of UTF-16 is dropped.
            begin_ = end_;
            return consumed;
        }
        if (end_ - begin_ < unit)
            continue;
        const unsigned code = unitAt(begin_);
        begin_ += unit;
        consumed = true;
        if (code == '\n') {
            ++encoding_.lfEnds;
            return true;
        }
        if (code == '\r') {
            pendingCr_ = true;
            return true;
        }
        if (raw_.size() < rawLimit)
            raw_.append(buffer_.get() + begin_ - unit, unit);
        else
            cut_ = true;
    }
}

bool ExportLines::previousUnit(unsigned& code)
{
    const long long unit = static_cast<long long>(unitBytes());
    if (cursor_ - dataStart_ < unit)
        return false;
    if (cursor_ - low_ < unit) {
        high_ = cursor_;
        low_ = std::max(dataStart_, high_ - static_cast<long long>(blockBytes));
        const std::size_t bytes = static_cast<std::size_t>(high_ - low_);
        if (std::fseek(file_, low_, SEEK_SET) != 0 || std::fread(buffer_.get(), 1, bytes, file_) != bytes) {
            readFailed_ = true;
            low_ = high_;
            return false;
        }
    }
    cursor_ -= unit;
    code = unitAt(static_cast<std::size_t>(cursor_ - low_));
    return true;
}

bool ExportLines::previousRaw()
{
    raw_.clear();
    cut_ = false;
    if (!lineEndsHere_)
        return false;
    const std::size_t unit = unitBytes();
    const std::size_t rawLimit = exportLineLimit * unit;
    for (;;) {
        unsigned code = 0;
        if (!previousUnit(code)) {
            lineEndsHere_ = false;
            break;
        }
        if (code == '\n') {
            unsigned before = 0;
            if (previousUnit(before) && before != '\r')
                cursor_ += static_cast<long long>(unit);
            break;
        }
        if (code == '\r')
            break;
        // A line too long for the reader is passed over whole: its text does not matter.
        if (raw_.size() < rawLimit)
            raw_.append(buffer_.get() + (cursor_ - low_), unit);
        else
            cut_ = true;
    }
    // The units came last first.
    for (std::size_t i = 0, j = raw_.size(); i + unit < j; i += unit, j -= unit)
        std::swap_ranges(raw_.begin() + static_cast<long>(i), raw_.begin() + static_cast<long>(i + unit),
                         raw_.begin() + static_cast<long>(j - unit));
    return true;
}

void ExportLines::decode(std::string& line)
{
    line.clear();
    nul_ = false;
    if (encoding_.form == ExportEncoding::Form::EightBit) {
        nul_ = std::memchr(raw_.data(), '\0', raw_.size()) != nullptr;
        bool wide = false;
        if (validUtf8(raw_, wide)) {
            encoding_.utf8Lines += wide;
            line = raw_;
            return;
        }
        ++encoding_.latin1Lines;
        for (char c : raw_)
            appendUtf8(line, static_cast<unsigned char>(c));
        return;
    }
    const bool little = encoding_.form == ExportEncoding::Form::Utf16Le;
    auto unit = [&](std::size_t i) {
        const unsigned a = static_cast<unsigned char>(raw_[i]);
        const unsigned b = static_cast<unsigned char>(raw_[i + 1]);
        return little ? (b << 8 | a) : (a << 8 | b);
    };
    for (std::size_t i = 0; i + 1 < raw_.size(); i += 2) {
        unsigned code = unit(i);
        if (code >= 0xD800 && code < 0xDC00 && i + 3 < raw_.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        nul_ = nul_ || code == 0;
        appendUtf8(line, code);
    }
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text)
{
    std::string out;
    for (char c : text)
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

bool ExportLines::next(std::string& line)
{
    if (backwards_ ? !previousRaw() : !nextRaw())
        return false;
    backwards_ ? --lineNumber_ : ++lineNumber_;
    decode(line);
    return true;
}

} // namespace tsl
