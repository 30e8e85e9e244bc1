#include "input/cell_number.h"

#include "app/classic_numbers.h"
#include "app/tool_settings.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <fast_float/fast_float.h>

namespace tsl {

namespace {

bool isCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c)
{
    return static_cast<unsigned char>(c - '0') < 10;
}

double convert(const char* begin, const char* end)
{
    double value = 0;
    fast_float::from_chars(begin, end, value);
    return value;
}

using cell_number_detail::exactPowers;
using cell_number_detail::readDigitsBeforeNul;

} // namespace

// Every form the inline path leaves: white space, '+', a point without digits
// before it, exponents, long mantissas.
double cell_number_detail::parseAnyReadingBeforeNul(const char* text, const char*& stop)
{
    const char* p = text;
    while (isCSpace(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';

    // The digits are gathered on the way: up to 19 of them fit the mantissa.
    const char* number = p;
    std::uint64_t mantissa = 0;
    const char* q = readDigitsBeforeNul(p, mantissa);
    std::ptrdiff_t digitCount = q - number;
    bool digits = digitCount > 0;
    int scale = 0; // the power of ten of the mantissa's last digit
    if (*q == '.') {
        const char* fraction = q + 1;
        std::uint64_t withFraction = mantissa;
        const char* r = readDigitsBeforeNul(fraction, withFraction);
        if (digits || r > fraction) {
            digits = true;
            mantissa = withFraction;
            digitCount += r - fraction;
            scale = -static_cast<int>(r - fraction);
            q = r;
        }
    }
    if (!digits) {
        stop = text;
        return 0.0;
    }
    if (*q == 'e' || *q == 'E') {
        const char* r = q + 1;
        bool negativeExponent = false;
        if (*r == '+' || *r == '-')
            negativeExponent = *r++ == '-';
        const char* exponentDigits = r;
        int exponent = 0;
        for (; isDigit(*r); ++r)
            if (exponent < 10000)
                exponent = exponent * 10 + (*r - '0');
        if (r > exponentDigits) {
            q = r;
            scale += negativeExponent ? -exponent : exponent;
        }
    }
    stop = q;

    // A mantissa and a power of ten that are both exact doubles give the
    // correctly rounded value in one operation, as the full conversion does.
    double value;
    if (digitCount <= 19 && mantissa <= (std::uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
        const double m = static_cast<double>(mantissa);
        value = scale < 0 ? m / exactPowers[-scale] : m * exactPowers[scale];
    } else {
        value = convert(number, q);
    }
    return negative ? -value : value;
}

std::size_t formatCell(float value, char (&out)[cellTextCapacity])
{
    const bool negative = std::signbit(value);
    const float magnitude = std::fabs(value);
    // Infinities, NaNs and very large values are rare: the C library writes them.
    if (!(magnitude < 1e9f)) {
        ClassicNumbers numbers;
        int n = std::snprintf(out, cellTextCapacity, "%5.2f", static_cast<double>(value));
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

    // A float times 100 is exact in double precision; adding and taking away
    // 2^52 rounds it to a whole number of hundredths, an exact tie to even,
    // as printf rounds.
    constexpr double twoToThe52 = 4503599627370496.0;
    const double scaled = static_cast<double>(magnitude) * 100.0;
    const auto hundredths = static_cast<std::uint64_t>((scaled + twoToThe52) - twoToThe52);

    static constexpr char pairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                    "4041424344454647484950515253545556575859606162636465666768697071727374757677787980"
                                    "81828384858687888990919293949596979899";
    const std::uint64_t whole = hundredths / 100;
    const auto cents = static_cast<unsigned>(hundredths % 100);
    int wholeDigits = 1;
    for (std::uint64_t rest = whole; rest >= 10; rest /= 10)
        ++wholeDigits;
    const int length = wholeDigits + 3 + (negative ? 1 : 0);
    const int pad = length < 5 ? 5 - length : 0;
    char* p = out;
    for (int i = 0; i < pad; ++i)
        *p++ = ' ';
    if (negative)
        *p++ = '-';
    // The whole part from its last digit back, two at a time.
    char* digit = p + wholeDigits;
    std::uint64_t rest = whole;
    for (; rest >= 100; rest /= 100) {
        digit -= 2;
        digit[0] = pairs[2 * (rest % 100)];
        digit[1] = pairs[2 * (rest % 100) + 1];
    }
    if (rest >= 10) {
        digit[-2] = pairs[2 * rest];
        digit[-1] = pairs[2 * rest + 1];
    } else {
        digit[-1] = static_cast<char>('0' + rest);
    }
    p += wholeDigits;
    p[0] = '.';
    p[1] = pairs[2 * cents];
    p[2] = pairs[2 * cents + 1];
    p[3] = '\0';
    return static_cast<std::size_t>(pad + length);
}

std::size_t formatCell(double value, int decimals, char (&out)[preciseCellTextCapacity])
{
    constexpr std::size_t width = 5;
    char digits[preciseCellTextCapacity];
    const auto written = std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::fixed,
                                       std::clamp(decimals, 0, maxDecimals));
    const std::size_t n = written.ec == std::errc{} ? static_cast<std::size_t>(written.ptr - digits) : 0;
    const std::size_t pad = n < width ? width - n : 0;
    std::memset(out, ' ', pad);
    std::memcpy(out + pad, digits, n);
    out[pad + n] = '\0';
    return pad + n;
}

} // namespace tsl
