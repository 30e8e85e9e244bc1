// The arena tells a chunk supplier once per chunk, a quarter before its end,
// how much it has carved and has left, and carves its next blocks from the
// chunk the supplier has ready (mapping its own when there is none).
#include "tree/block_arena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace tsl;

namespace {

struct Calls {
    std::size_t carved;
    std::size_t left;
};

class FakeSupplier : public ChunkSupplier {
public:
    void chunkSoonWanted(std::size_t carved, std::size_t left) override { calls.push_back({carved, left}); }
    void* takeChunk() override
    {
        ++taken;
        return giveChunk ? BlockArena::readyChunk() : nullptr;
    }

    std::vector<Calls> calls;
    int taken = 0;
    bool giveChunk = true;
};

bool inChunk(const void* block, const void* chunk)
{
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    const auto start = reinterpret_cast<std::uintptr_t>(chunk);
    return at >= start && at < start + BlockArena::chunkSize;
}

} // namespace

TEST(BlockArena, AsksItsSupplierOnceAChunkAndCarvesFromWhatItGives)
{
    if (!BlockArena::carvesChunks())
        GTEST_SKIP() << "every block is an allocation of its own in this build";
    constexpr std::size_t size = 4096;
    constexpr std::size_t perChunk = BlockArena::chunkSize / size;
    FakeSupplier supplier;
    BlockArena arena;
    arena.setSupplier(&supplier);

    std::vector<void*> blocks;
    for (std::size_t i = 0; i < 3 * perChunk; ++i)
        blocks.push_back(arena.allocate(size));

    // Each chunk: told once, as its last quarter began.
    ASSERT_EQ(supplier.calls.size(), 3u);
    for (std::size_t k = 0; k < supplier.calls.size(); ++k) {
        EXPECT_LT(supplier.calls[k].left, BlockArena::chunkSize / 4);
        EXPECT_GE(supplier.calls[k].left + size, BlockArena::chunkSize / 4);
        EXPECT_EQ(supplier.calls[k].carved, k * BlockArena::chunkSize + BlockArena::chunkSize - supplier.calls[k].left);
    }
    // The first chunk came from the supplier too, and the blocks of each
    // chunk lie together in it.
    EXPECT_EQ(supplier.taken, 3);
    for (std::size_t k = 0; k < 3; ++k)
        for (std::size_t i = 0; i < perChunk; ++i)
            EXPECT_TRUE(inChunk(blocks[k * perChunk + i], blocks[k * perChunk]));

    // A supplier with nothing ready: the arena maps its own and goes on.
    supplier.giveChunk = false;
    void* own = arena.allocate(size);
    EXPECT_EQ(supplier.taken, 4);
    EXPECT_NE(own, nullptr);
    static_cast<char*>(own)[size - 1] = 1; // its pages are there
}
