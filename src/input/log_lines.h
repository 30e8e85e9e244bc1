#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tsl {

// 8-bit text from a file as a log line of at most maxCharacters characters:
// the lines the reader and the template commands compose from file text are
// cut at the size of the buffer they are composed in.
std::string cappedLogText(std::string_view bytes, std::size_t maxCharacters);

// Text cut to at most maxBytes bytes, never inside a UTF-8 character: a
// path or label as a fixed narrow buffer holds it.
std::string cutToBytes(std::string_view text, std::size_t maxBytes);

// The reader's composed lines hold at most this many characters; the template
// commands' lines one fewer.
inline constexpr std::size_t readerLineCap = 200;
inline constexpr std::size_t templateLineCap = 199;

} // namespace tsl
