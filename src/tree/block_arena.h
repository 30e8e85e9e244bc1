#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace tsl {

// Memory for the tree's many blocks of a few sizes (rows of cells, slots of
// nodes). A year of readings is millions of cells: taking them from large
// chunks that the kernel backs with huge pages where it can costs a page fault
// per two megabytes instead of one per four kilobytes, and no allocator header
// per block. A freed block is kept for the next block of its size; chunks go
// back to the system with the arena.
//
// Under the address sanitizer every block is an allocation of its own, so
// that the sanitizer still sees each one.
class BlockArena {
public:
    BlockArena() = default;
    ~BlockArena();
    BlockArena(const BlockArena&) = delete;
    BlockArena& operator=(const BlockArena&) = delete;

    // A block of size bytes, aligned for any node; throws std::bad_alloc.
    void* allocate(std::size_t size);
    // Gives back a block that allocate(size) returned.
    void release(void* block, std::size_t size);

    static constexpr std::size_t chunkSize = std::size_t{2} << 20;
    // Larger blocks are allocations of their own.
    static constexpr std::size_t largestCarved = chunkSize / 8;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    static std::size_t rounded(std::size_t size);
    void newChunk();

    std::vector<void*> chunks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::unordered_map<std::size_t, FreeBlock*> freeBySize_;
};

} // namespace tsl
