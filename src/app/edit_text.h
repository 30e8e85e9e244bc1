#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tsl {

// The text of an edit control as a command reads it: at most `count`
// characters from the start. Settings hold UTF-8, which on Linux is also the
// narrow form that the tree and the output files use, so a character that
// takes several bytes is kept whole and never split.
std::string leadingCharacters(std::string_view text, std::size_t count);

} // namespace tsl
