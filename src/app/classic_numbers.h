#pragma once

#include <locale.h>

namespace tsl {

// While one lives, the C library reads and writes numbers on this thread as
// in the "C" locale (a decimal point, no grouping), whatever locale the
// program runs in: for the few places that need strtod or printf's "%f".
class ClassicNumbers {
public:
    ClassicNumbers();
    ~ClassicNumbers();
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

private:
    locale_t previous_ = nullptr;
};

} // namespace tsl
