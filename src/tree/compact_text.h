#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

namespace tsl {

// A byte string in eight bytes. Cell readings such as "21.50" or "-3.75" fit
// inline; longer texts live in one heap block. The tree holds one of these for
// every node, so a cell costs no more than its node.
class CompactText {
public:
    CompactText() = default;
    explicit CompactText(std::string_view text) { assign(text); }
    ~CompactText() { release(); }

    CompactText(const CompactText&) = delete;
    CompactText& operator=(const CompactText&) = delete;
    CompactText(CompactText&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
    CompactText& operator=(CompactText&& other) noexcept
    {
        if (this != &other) {
            release();
            bits_ = other.bits_;
            other.bits_ = 0;
        }
        return *this;
    }

    // Inline for the common case, a short text in place of a short one: the
    // reader stores every cell through it.
    void assign(std::string_view text)
    {
        if (text.size() > inlineCapacity || (bits_ != 0 && !isInline())) {
            assignSlowly(text);
            return;
        }
        std::uint64_t bits = 0;
        if (!text.empty()) {
            bits = 1u | (static_cast<std::uint64_t>(text.size()) << 1);
            for (std::size_t i = 0; i < text.size(); ++i)
                bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(text[i])) << (8 * (i + 1));
        }
        bits_ = bits;
    }
    // Inline: the writer and the chart read every cell through it.
    std::string_view view() const
    {
        if (bits_ == 0)
            return {};
        if (isInline())
            return {reinterpret_cast<const char*>(&bits_) + 1, static_cast<std::size_t>((bits_ >> 1) & 7u)};
        const auto* block = reinterpret_cast<const HeapBlock*>(static_cast<std::uintptr_t>(bits_));
        return {block->bytes(), block->size};
    }
    bool empty() const { return bits_ == 0; }
    void clear()
    {
        release();
        bits_ = 0;
    }

    static constexpr std::size_t inlineCapacity = 7;

private:
    static_assert(std::endian::native == std::endian::little,
                  "inline texts sit in the upper bytes of the word");
    // A heap text: its length, then its bytes.
    struct HeapBlock {
        std::uint32_t size;
        const char* bytes() const { return reinterpret_cast<const char*>(this) + sizeof(HeapBlock); }
        char* bytes() { return reinterpret_cast<char*>(this) + sizeof(HeapBlock); }
    };

    bool isInline() const { return (bits_ & 1u) != 0; }
    void assignSlowly(std::string_view text);
    void release();

    // 0: empty. Low bit 1: inline, length in bits 1..3, bytes 1..7 hold the text.
    // Low bit 0 and not 0: pointer to a HeapBlock.
    std::uint64_t bits_ = 0;
};

} // namespace tsl
