#pragma once

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace tsl {

// Chunks for a BlockArena made ready ahead of need, elsewhere: finding and
// clearing the pages of a large tree is much of the kernel's work for it,
// and another thread can do it before the tree needs them.
class ChunkSupplier {
public:
    // The arena's chunk is three quarters used: a ready chunk will be taken
    // soon, if the arena is to carve more than the `left` bytes its chunk
    // still has. A supplier makes a chunk only then, so that a read which
    // makes no more rows leaves none unused. `carved` is every byte the
    // arena has carved from its chunks so far.
    virtual void chunkSoonWanted(std::size_t carved, std::size_t left) = 0;
    // A chunk from BlockArena::readyChunk (the one being made, once it is
    // made), or null when there is none.
    virtual void* takeChunk() = 0;

protected:
    ~ChunkSupplier() = default;
};

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

    // Whether blocks are carved from chunks (not under the sanitizer).
    static bool carvesChunks();
    // A chunk of chunkSize bytes with its pages already in place, from any
    // thread; null when the system has no memory for it.
    static void* readyChunk() noexcept;
    // New chunks are taken from the supplier while it has them (none: the
    // arena maps its own).
    void setSupplier(ChunkSupplier* supplier) { supplier_ = supplier; }
    // A chunk from readyChunk that the arena keeps for its next blocks.
    void adoptChunk(void* chunk) noexcept;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    static std::size_t rounded(std::size_t size);
    void newChunk();

    static void* mapChunk() noexcept;
    static void populate(void* chunk) noexcept;

    std::vector<void*> chunks_;
    std::vector<void*> spare_;
    ChunkSupplier* supplier_ = nullptr;
    char* next_ = nullptr;
    std::size_t left_ = 0;
    std::size_t carved_ = 0;
    bool supplierTold_ = false;
    std::unordered_map<std::size_t, FreeBlock*> freeBySize_;
};

} // namespace tsl
