#include "app/edit_text.h"

namespace tsl {

namespace {

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

} // namespace

std::string leadingCharacters(std::string_view text, std::size_t count)
{
    std::size_t end = 0;
    for (std::size_t taken = 0; taken < count && end < text.size(); ++taken) {
        ++end;
        while (end < text.size() && isContinuationByte(text[end]))
            ++end;
    }
    return std::string(text.substr(0, end));
}

} // namespace tsl
