#pragma once

#include <cstddef>

namespace tsl {

// The reading at text: leading white space is skipped, then the longest
// prefix of the form [sign] digits [. digits] [e [sign] digits] is taken
// (".5" and "5." included); 0 when there is none. Never reads "inf", "nan"
// or hexadecimal. The value is the C library's conversion of that prefix;
// readings stored with two decimals are then held in single precision.
double parseReading(const char* text, const char* end);
// The same, telling where the number ended (text when there was none).
double parseReading(const char* text, const char* end, const char*& stop);
// The same for a text whose end is a NUL byte, as every line read is.
double parseReadingBeforeNul(const char* text, const char*& stop);

// Whether c can be part of a reading as parseReading takes it, the white
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

} // namespace tsl
