#include "tree/compact_text.h"

#include <cstring>
#include <new>

namespace tsl {

// A heap text: its length, then its bytes.
struct CompactText::HeapBlock {
    std::uint32_t size;
    char* bytes() { return reinterpret_cast<char*>(this) + sizeof(HeapBlock); }
    const char* bytes() const { return reinterpret_cast<const char*>(this) + sizeof(HeapBlock); }
};

void CompactText::release()
{
    if (bits_ != 0 && !isInline())
        ::operator delete(reinterpret_cast<void*>(static_cast<std::uintptr_t>(bits_)));
}

void CompactText::assign(std::string_view text)
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

std::string_view CompactText::view() const
{
    if (bits_ == 0)
        return {};
    if (isInline())
        return {reinterpret_cast<const char*>(&bits_) + 1, static_cast<std::size_t>((bits_ >> 1) & 7u)};
    const auto* block = reinterpret_cast<const HeapBlock*>(static_cast<std::uintptr_t>(bits_));
    return {block->bytes(), block->size};
}

} // namespace tsl
