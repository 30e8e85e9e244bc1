#include "tree/compact_text.h"

#include <cstring>
#include <new>

namespace tsl {

void CompactText::release()
{
    if (bits_ != 0 && !isInline())
        ::operator delete(reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits_)));
}

void CompactText::assignSlowly(std::string_view text)
{
    std::uint64_t bits = 0;
    if (text.size() <= inlineCapacity) {
        if (!text.empty()) {
            bits = 1u | (static_cast<std::uint64_t>(text.size()) << 1);
            std::memcpy(reinterpret_cast<char*>(&bits) + 1, text.data(), text.size());
        }
    } else {
        // Texts over 4 GB do not occur: lines are read through bounded buffers.
        auto* block = static_cast<HeapBlock*>(
            ::operator new(sizeof(HeapBlock) + text.size()));
        block->size = static_cast<std::uint32_t>(text.size());
        std::memcpy(block->bytes(), text.data(), text.size());
        bits = reinterpret_cast<std::uintptr_t>(block);
    }
    release();
    bits_ = bits;
}

} // namespace tsl
