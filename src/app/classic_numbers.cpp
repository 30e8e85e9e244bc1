#include "app/classic_numbers.h"

namespace tsl {

namespace {

// Made once and kept: a locale object costs an allocation, and the "C"
// locale never changes.
locale_t classicLocale()
{
    static const locale_t classic = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return classic;
}

} // namespace

ClassicNumbers::ClassicNumbers()
{
    if (locale_t classic = classicLocale())
        previous_ = ::uselocale(classic);
}

ClassicNumbers::~ClassicNumbers()
{
    if (previous_)
        ::uselocale(previous_);
}

} // namespace tsl
