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

    void assign(std::string_view text);
    std::string_view view() const;
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
    struct HeapBlock;

    bool isInline() const { return (bits_ & 1u) != 0; }
    void release();

    // 0: empty. Low bit 1: inline, length in bits 1..3, bytes 1..7 hold the text.
    // Low bit 0 and not 0: pointer to a HeapBlock.
    std::uint64_t bits_ = 0;
};

} // namespace tsl
