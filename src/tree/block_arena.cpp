#include "tree/block_arena.h"

#include "tree/address_sanitizer.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace tsl {

namespace {

constexpr std::size_t blockAlignment = alignof(std::max_align_t);

} // namespace

BlockArena::~BlockArena()
{
    for (void* chunk : chunks_)
        ::munmap(chunk, chunkSize);
}

std::size_t BlockArena::rounded(std::size_t size)
{
    if (size < sizeof(FreeBlock))
        size = sizeof(FreeBlock);
    return (size + blockAlignment - 1) / blockAlignment * blockAlignment;
}

bool BlockArena::carvesChunks()
{
    return !addressSanitizerBuild;
}

void* BlockArena::mapChunk() noexcept
{
    // Twice the size, to cut an aligned chunk out of it: huge pages need the
    // alignment.
    void* mapped = ::mmap(nullptr, 2 * chunkSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + chunkSize - 1) & ~(std::uintptr_t{chunkSize} - 1);
    if (aligned > start)
        ::munmap(mapped, aligned - start);
    const std::uintptr_t tail = aligned + chunkSize;
    if (tail < start + 2 * chunkSize)
        ::munmap(reinterpret_cast<void*>(tail), start + 2 * chunkSize - tail);
    void* chunk = reinterpret_cast<void*>(aligned);
    // Only advice: where the kernel has no huge page to give, small pages serve.
    ::madvise(chunk, chunkSize, MADV_HUGEPAGE);
    return chunk;
}

void* BlockArena::readyChunk() noexcept
{
    void* chunk = mapChunk();
    if (chunk)
        populate(chunk);
    return chunk;
}

void BlockArena::populate(void* chunk) noexcept
{
    // One call has the kernel find and clear every page of the chunk; a fault
    // per page costs far more where page faults are dear (virtual machines),
    // and more still when no huge page was to be had. Kernels before 5.14
    // lack the call: there a write to each page does it.
#ifdef MADV_POPULATE_WRITE
    if (::madvise(chunk, chunkSize, MADV_POPULATE_WRITE) == 0)
        return;
#endif
    auto* bytes = static_cast<volatile char*>(chunk);
    for (std::size_t offset = 0; offset < chunkSize; offset += 4096)
        bytes[offset] = 0;
}

void BlockArena::adoptChunk(void* chunk) noexcept
{
    if (!chunk)
        return;
    try {
        spare_.reserve(spare_.size() + 1);
        chunks_.push_back(chunk);
    } catch (const std::bad_alloc&) {
        ::munmap(chunk, chunkSize); // not kept, not lost
        return;
    }
    spare_.push_back(chunk);
}

void BlockArena::newChunk()
{
    void* chunk = nullptr;
    if (!spare_.empty()) {
        chunk = spare_.back();
        spare_.pop_back();
    } else if (supplier_ && (chunk = supplier_->takeChunk())) {
        chunks_.push_back(chunk);
    } else {
        chunk = readyChunk();
        if (!chunk)
            throw std::bad_alloc();
        chunks_.push_back(chunk);
    }
    next_ = static_cast<char*>(chunk);
    left_ = chunkSize;
    supplierTold_ = false;
}

void* BlockArena::allocate(std::size_t size)
{
    if (addressSanitizerBuild || size > largestCarved)
        return ::operator new(size);
    size = rounded(size);
    auto found = freeBySize_.find(size);
    if (found != freeBySize_.end() && found->second) {
        FreeBlock* block = found->second;
        found->second = block->next;
        return block;
    }
    if (left_ < size)
        newChunk(); // the rest of the old chunk is too small for this size
    void* block = next_;
    next_ += size;
    left_ -= size;
    carved_ += size;
    if (left_ < chunkSize / 4 && supplier_ && !supplierTold_) {
        supplierTold_ = true;
        supplier_->chunkSoonWanted(carved_, left_);
    }
    return block;
}

void BlockArena::release(void* block, std::size_t size)
{
    if (!block)
        return;
    if (addressSanitizerBuild || size > largestCarved) {
        ::operator delete(block);
        return;
    }
    auto* freed = static_cast<FreeBlock*>(block);
    FreeBlock*& head = freeBySize_[rounded(size)];
    freed->next = head;
    head = freed;
}

} // namespace tsl
