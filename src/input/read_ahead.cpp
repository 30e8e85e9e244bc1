#include "input/read_ahead.h"

#include "input/cell_number.h"
#include "input/line_rules.h"
#include "input/text_line_reader.h"
#include "tree/data_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <system_error>
#include <utility>
#include <unistd.h>

namespace tsl {

namespace {

// Bytes of the file read at a time.
constexpr std::size_t rawCapacity = std::size_t{128} << 10;
// Bytes of line text a block holds (at least two of the longest lines).
constexpr std::size_t blockText = std::size_t{256} << 10;

} // namespace

ReadAhead::ReadAhead(const Setup& setup, DataTree& tree)
    : setup_(setup), delimiter_(setup.delimiter), fieldShare_(setup.fieldsPerLine), tree_(tree)
{
    // Left uninitialised: memory that the lines do not reach costs nothing.
    rawSize_ = std::max(rawCapacity, 2 * (setup_.lineLimit + 2));
    raw_ = std::make_unique_for_overwrite<char[]>(rawSize_);
    for (Block& block : blocks_) {
        block.textSize = std::max(blockText, 2 * (setup_.lineLimit + 2));
        block.text = std::make_unique_for_overwrite<char[]>(block.textSize);
        block.lines.reserve(setup_.linesPerBlock);
        block.fieldStarts = std::make_unique_for_overwrite<std::uint32_t[]>(fieldCapacity());
        block.readings = std::make_unique_for_overwrite<double[]>(fieldCapacity());
    }
    offset_ = setup_.from;
    if (::lseek(setup_.descriptor, static_cast<off_t>(setup_.from), SEEK_SET) < 0)
        atEnd_ = true; // as a read that fails: no more lines
    thread_ = std::thread([this] { run(); });
    if (!BlockArena::carvesChunks())
        return;
    // Without the memory thread the tree maps its own memory, as it does
    // without a read.
    try {
        memoryThread_ = std::thread([this] { makeChunks(); });
    } catch (const std::system_error&) {
        return;
    }
    tree_.setChunkSupplier(this);
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    consumed_.notify_all();
    chunkWanted_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (memoryThread_.joinable())
        memoryThread_.join();
    tree_.setChunkSupplier(nullptr);
    tree_.adoptChunk(readyChunk_);
}

// Called on the reader's thread. Once the tree's growth per byte of the
// file is known, a chunk is made only when the rest of the file is expected
// to need it, by a margin: a chunk that the read ends without using would
// only add to its peak memory.
void ReadAhead::chunkSoonWanted(std::size_t carved, std::size_t left)
{
    const std::size_t offset = current_ ? current_->endOffset : setup_.from;
    if (!growthKnown_) {
        growthKnown_ = true;
        firstCarved_ = carved;
        firstOffset_ = offset;
    } else if (offset > firstOffset_) {
        const double perByte = static_cast<double>(carved - firstCarved_) / static_cast<double>(offset - firstOffset_);
        const std::size_t rest = setup_.fileSize > offset ? setup_.fileSize - offset : 0;
        constexpr std::size_t margin = BlockArena::chunkSize / 16;
        if (perByte * static_cast<double>(rest) < static_cast<double>(left + margin))
            return; // the arena maps its own if the estimate falls short
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wantsChunk_ = true;
    }
    chunkWanted_.notify_one();
}

// A chunk that is being made is waited for rather than made twice: a
// second one would be left over at the end of the read.
void* ReadAhead::takeChunk()
{
    std::unique_lock<std::mutex> lock(mutex_);
    wantsChunk_ = false; // too late to start one
    chunkMade_.wait(lock, [this] { return !makingChunk_; });
    return std::exchange(readyChunk_, nullptr);
}

// The memory thread: a chunk each time the tree says it will want one. The
// scheduler fits its work in between the other two threads' (or gives it a
// core of its own), so that neither waits for the whole of it.
void ReadAhead::makeChunks() noexcept
{
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            chunkWanted_.wait(lock, [this] { return stop_ || (wantsChunk_ && !readyChunk_); });
            if (stop_)
                return;
            wantsChunk_ = false;
            makingChunk_ = true;
        }
        void* chunk = BlockArena::readyChunk();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            readyChunk_ = chunk;
            makingChunk_ = false;
        }
        chunkMade_.notify_all();
    }
}

const PreparedLine* ReadAhead::next()
{
    while (!current_ || index_ == current_->lines.size()) {
        if (current_) {
            if (current_->last)
                return nullptr;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                consumedCount_ = taken_;
            }
            consumed_.notify_one();
            current_ = nullptr;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        // The reader is ahead: it takes on more of each line from now on.
        if (producedCount_ == taken_ && setup_.shareFields && fieldShare_ > 0)
            --fieldShare_;
        filled_.wait(lock, [this] { return producedCount_ > taken_; });
        current_ = &blocks_[taken_ % blockCount];
        ++taken_;
        index_ = 0;
    }
    const LineRecord& record = current_->lines[index_++];
    line_.text = current_->text.get() + record.textOffset;
    line_.length = record.length;
    line_.passedOver = record.passedOver;
    line_.delimiter = record.delimiter;
    line_.fieldStarts = current_->fieldStarts.get() + record.firstField;
    line_.readings = current_->readings.get() + record.firstField;
    line_.fieldCount = record.fieldCount;
    line_.allFields = record.allFields;
    return &line_;
}

// The helper thread: fills the blocks in turn, never more than blockCount
// ahead of the reader, until the file ends or the reader goes.
void ReadAhead::run() noexcept
{
    for (std::size_t n = 0;;) {
        std::size_t fieldsPerLine;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (n - consumedCount_ == blockCount) {
                // Ahead of the reader: this thread takes on more of each line.
                if (setup_.shareFields && fieldShare_ < setup_.fieldsPerLine)
                    ++fieldShare_;
                consumed_.wait(lock, [&] { return stop_ || n - consumedCount_ < blockCount; });
            }
            if (stop_)
                return;
            fieldsPerLine = fieldShare_;
        }
        Block& block = blocks_[n % blockCount];
        fillBlock(block, fieldsPerLine);
        if (stop_)
            return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            producedCount_ = ++n;
        }
        filled_.notify_one();
        if (block.last)
            return;
    }
}

// Makes at least a line's worth of bytes available unless the file ends
// first; false when nothing is left.
bool ReadAhead::refill()
{
    const std::size_t wanted = setup_.lineLimit + 2;
    if (rawEnd_ - rawBegin_ < wanted && !atEnd_) {
        std::memmove(raw_.get(), raw_.get() + rawBegin_, rawEnd_ - rawBegin_);
        rawEnd_ -= rawBegin_;
        rawBegin_ = 0;
        while (rawEnd_ < wanted && !atEnd_) {
            const ssize_t got = ::read(setup_.descriptor, raw_.get() + rawEnd_, rawSize_ - rawEnd_);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                atEnd_ = true; // a read error ends the lines, as with a stream
            else
                rawEnd_ += static_cast<std::size_t>(got);
        }
    }
    return rawEnd_ > rawBegin_;
}

void ReadAhead::fillBlock(Block& block, std::size_t fieldsPerLine)
{
    block.textUsed = 0;
    block.lines.clear();
    block.fieldsUsed = 0;
    block.endOffset = offset_;
    block.last = false;
    // Room is checked before each line, so that nothing here allocates.
    while (block.lines.size() < setup_.linesPerBlock) {
        if (stop_)
            return;
        if (!refill()) {
            block.last = true;
            return;
        }
        const char* data = raw_.get() + rawBegin_;
        const LineCut cut = cutLine(data, rawEnd_ - rawBegin_, setup_.lineLimit);
        if (block.textUsed + cut.taken() + 1 > block.textSize ||
            block.fieldsUsed + fieldsPerLine > fieldCapacity())
            return; // the block is full
        char* line = block.text.get() + block.textUsed;
        LineRecord& record = block.lines.emplace_back();
        record.textOffset = static_cast<std::uint32_t>(block.textUsed);
        record.length = static_cast<std::uint32_t>(copyLine(data, cut, line));
        record.firstField = static_cast<std::uint32_t>(block.fieldsUsed);
        rawBegin_ += cut.consumed;
        offset_ += cut.consumed;
        block.endOffset = offset_;
        block.textUsed += cut.taken() + 1;
        prepare(block, record, line, fieldsPerLine);
    }
}

void ReadAhead::prepare(Block& block, LineRecord& record, const char* line, std::size_t fieldsPerLine)
{
    const std::string_view text(line, record.length);
    record.passedOver = isPassedOverLine(text);
    if (record.passedOver)
        return;
    const LineDelimiter found = delimiterOfLine(delimiter_, text);
    delimiter_ = found.delimiter;
    if (found.passOver)
        return;
    record.delimiter = delimiter_;
    const char d = delimiter_;
    const bool searchFromNumberEnd = !mayBeInReading(d);
    std::uint32_t* starts = block.fieldStarts.get() + block.fieldsUsed;
    double* readings = block.readings.get() + block.fieldsUsed;
    const char* end = line + record.length;
    const char* field = line;
    for (;;) {
        if (record.fieldCount == fieldsPerLine) {
            block.fieldsUsed += record.fieldCount;
            return;
        }
        // The line ends at a NUL byte, which ends every number.
        const char* stop;
        starts[record.fieldCount] = static_cast<std::uint32_t>(field - line);
        readings[record.fieldCount] = parseReadingBeforeNul(field, stop);
        ++record.fieldCount;
        const char* from = searchFromNumberEnd ? stop : field;
        const char* next;
        if (from < end && *from == d)
            next = from;
        else
            next = static_cast<const char*>(std::memchr(from, d, static_cast<std::size_t>(end - from)));
        if (!next)
            break;
        field = next + 1;
    }
    block.fieldsUsed += record.fieldCount;
    record.allFields = true;
}

} // namespace tsl
