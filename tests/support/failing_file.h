#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace tsl::testing {

// A stream that takes the first `capacity` bytes and then fails every write,
// like a disk that fills up.
std::FILE* openFailingFile(std::size_t capacity, std::string* written = nullptr);

} // namespace tsl::testing
