#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tree/block_arena.h"

namespace tsl {

class DataTree;

// One data line as the helper thread of ReadAhead prepared it.
//
// The text is the line as a text-mode read hands it over: NUL-terminated,
// its length stopping at a NUL byte in it. The rest is what the reader would
// work out from that text alone: whether it is a line to pass over, and, when
// it is not, where its fields start when it is split at `delimiter` (the
// delimiter the file has at that line) and the reading each field starts
// with. They are shortcuts, used only where the reader's own state agrees.
struct PreparedLine {
    const char* text = nullptr;
    std::size_t length = 0;
    bool passedOver = false;
    // '\0' when no fields were prepared.
    char delimiter = '\0';
    // Field k starts at text + fieldStarts[k]: the first at 0, each other
    // just past a delimiter; readings[k] is parseReadingBeforeNul from there.
    const std::uint32_t* fieldStarts = nullptr;
    const double* readings = nullptr;
    std::uint32_t fieldCount = 0;
    // Whether these are all the fields of the line, or only its first ones.
    bool allFields = false;
};

// The data lines of a file, read, cut and prepared on a second thread while
// the reader works on the lines before them.
//
// Nothing the helper thread does depends on anything that can change during
// a read: it sees the file's bytes, the line limit and the delimiter of the
// header, and it follows the delimiter from line to line by the same rule as
// the reader. The reader keeps every decision (the date layout and its
// search, the time grid, Stop Reading): it takes the lines in their order and
// uses the prepared parts as shortcuts. The thread reads at most a few blocks
// ahead and ends with this object, wherever the read stops.
//
// The thread shares the work of a line with the reader: it prepares fewer of
// a line's fields while the reader waits for its blocks, and more while it
// waits for the reader, so that neither waits long for the other. A third
// thread makes memory ready for the tree, so that the kernel's work of
// finding and clearing the pages of new rows is not done on the reader's
// time (see ChunkSupplier).
class ReadAhead : private ChunkSupplier {
public:
    struct Setup {
        int descriptor = -1;  // read from `from` on; its offset moves as the file is read
        std::size_t from = 0;
        std::size_t fileSize = 0; // as the read began
        std::size_t lineLimit = 0;
        char delimiter = ',';
        // Fields prepared per line at most.
        std::size_t fieldsPerLine = 0;
        // Whether the fields prepared per line follow the balance of work
        // between the threads; if not, every line gets fieldsPerLine.
        bool shareFields = true;
        std::size_t linesPerBlock = 256;
    };

    // Everything the thread needs is allocated here: may throw
    // std::bad_alloc or std::system_error, and then no thread runs. The tree
    // takes its new memory from here while this lives.
    ReadAhead(const Setup& setup, DataTree& tree);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next line, or null at the end of the file. It stays valid until
    // the next call.
    const PreparedLine* next();

private:
    struct LineRecord {
        std::uint32_t textOffset;
        std::uint32_t length;
        std::uint32_t firstField;
        std::uint32_t fieldCount;
        char delimiter;
        bool passedOver;
        bool allFields;
    };
    // Sized once: filling a block allocates nothing. Each on cache lines of
    // its own: the thread writes to one at every line while the reader reads
    // the one before.
    struct alignas(64) Block {
        std::unique_ptr<char[]> text;
        std::size_t textSize = 0;
        std::size_t textUsed = 0;
        std::vector<LineRecord> lines;
        std::unique_ptr<std::uint32_t[]> fieldStarts;
        std::unique_ptr<double[]> readings;
        std::size_t fieldsUsed = 0;
        // The file's offset after the block's last line.
        std::size_t endOffset = 0;
        bool last = false;
    };
    static constexpr std::size_t blockCount = 3;

    void chunkSoonWanted(std::size_t carved, std::size_t left) override;
    void* takeChunk() override;
    void run() noexcept;
    void makeChunks() noexcept;
    void fillBlock(Block& block, std::size_t fieldsPerLine);
    bool refill();
    void prepare(Block& block, LineRecord& record, const char* line, std::size_t fieldsPerLine);
    std::size_t fieldCapacity() const { return setup_.linesPerBlock * setup_.fieldsPerLine; }

    const Setup setup_;
    // The helper thread's own state.
    std::unique_ptr<char[]> raw_;
    std::size_t rawSize_ = 0;
    std::size_t rawBegin_ = 0;
    std::size_t rawEnd_ = 0;
    std::size_t offset_ = 0; // of rawBegin_ in the file
    bool atEnd_ = false;
    char delimiter_;

    Block blocks_[blockCount];
    std::mutex mutex_;
    std::condition_variable filled_;
    std::condition_variable consumed_;
    std::size_t producedCount_ = 0; // blocks filled
    std::size_t consumedCount_ = 0; // blocks the reader is done with
    // Fields the thread prepares per line, for the blocks it fills next.
    std::size_t fieldShare_ = 0;
    std::atomic<bool> stop_ = false;

    // Ready for the tree: one chunk at a time, made by the memory thread
    // when the tree's arena says it will want one.
    std::condition_variable chunkWanted_;
    std::condition_variable chunkMade_;
    void* readyChunk_ = nullptr;
    bool wantsChunk_ = false;
    bool makingChunk_ = false;
    DataTree& tree_;

    // The reader's side, written at every line: away from what the thread
    // reads as often (stop_).
    alignas(64) std::size_t taken_ = 0;
    const Block* current_ = nullptr;
    std::size_t index_ = 0;
    PreparedLine line_;
    // Where the tree's arena had carved how much at its first call, once
    // it made one: the tree's growth per byte of the file since then.
    std::size_t firstCarved_ = 0;
    std::size_t firstOffset_ = 0;
    bool growthKnown_ = false;

    std::thread thread_;
    std::thread memoryThread_;
};

} // namespace tsl
