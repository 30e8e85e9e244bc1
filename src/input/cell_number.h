#pragma once

#include <cstddef>
#include <cstdint>

namespace tsl {

// The reading at text, a text that ends at a NUL byte as every line read
// does: leading white space is skipped, then the longest prefix of the form
// [sign] digits [. digits] [e [sign] digits] is taken (".5" and "5."
// included); 0 when there is none. Never reads "inf", "nan" or hexadecimal.
// The value is the C library's conversion of that prefix; readings stored
// with two decimals are then held in single precision. stop tells where the
// number ended (text when there was none). Inline: the reader takes every
// reading of a file through it.
inline double parseReadingBeforeNul(const char* text, const char*& stop);

// Whether c can be part of a reading as parseReadingBeforeNul takes it, the white
// space before it included: a search for a delimiter that cannot be may
// start where the reading ended.
constexpr bool mayBeInReading(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' ||
           c == 'e' || c == 'E';
}

// Writes value as printf's "%5.2f" writes it, NUL-terminated, and returns
// the number of characters (at most 63 plus the NUL need fit in 64 bytes).
constexpr std::size_t cellTextCapacity = 64;
std::size_t formatCell(float value, char (&out)[cellTextCapacity]);

// Writes value as printf's "%5.Nf" writes it in the C locale, N being
// decimals (0 to maxDecimals), NUL-terminated, and returns the number of
// characters. The largest double takes 309 digits before the point.
constexpr std::size_t preciseCellTextCapacity = 320;
std::size_t formatCell(double value, int decimals, char (&out)[preciseCellTextCapacity]);

// ---- inline -----------------------------------------------------------------

namespace cell_number_detail {

// Powers of ten that a double holds exactly.
inline constexpr double exactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                         1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads the run of digits at q into mantissa (times ten per digit) and
// returns where it ends; a NUL byte ends every run.
inline const char* readDigitsBeforeNul(const char* q, std::uint64_t& mantissa)
{
    std::uint64_t m = mantissa;
    for (unsigned digit; (digit = static_cast<unsigned char>(*q) - unsigned{'0'}) < 10; ++q)
        m = m * 10 + digit;
    mantissa = m;
    return q;
}

// Every other form: white space, '+', exponents, long mantissas.
double parseAnyReadingBeforeNul(const char* text, const char*& stop);

} // namespace cell_number_detail

inline double parseReadingBeforeNul(const char* text, const char*& stop)
{
    using namespace cell_number_detail;
    // Most readings are a few digits with a point and some decimals: at most
    // 15 digits make a mantissa below 2^53, and that over an exact power of
    // ten is the correctly rounded value, as the full conversion finds it.
    const char* p = text;
    const bool negative = *p == '-';
    p += negative;
    std::uint64_t mantissa = 0;
    const char* q = readDigitsBeforeNul(p, mantissa);
    const char* r = q;
    if (*q == '.')
        r = readDigitsBeforeNul(q + 1, mantissa);
    const std::ptrdiff_t decimals = r > q ? r - q - 1 : 0;
    if (q == p || (q - p) + decimals > 15 || *r == 'e' || *r == 'E')
        return parseAnyReadingBeforeNul(text, stop);
    stop = r;
    const double value = static_cast<double>(mantissa) / exactPowers[decimals];
    return negative ? -value : value;
}

} // namespace tsl
