#include "input/log_lines.h"

#include "app/message_log.h"

namespace tsl {

std::string cappedLogText(std::string_view bytes, std::size_t maxCharacters)
{
    std::string text = logText(bytes);
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character starts at every byte that is not a UTF-8 continuation.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == maxCharacters) {
                text.resize(i);
                break;
            }
            ++characters;
        }
    }
    return text;
}

std::string cutToBytes(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    std::size_t end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

} // namespace tsl
