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

} // namespace

namespace {

// Powers of ten that a double holds exactly.
constexpr double exactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                  1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads the run of digits at q into mantissa (times ten per digit) and
// returns where it ends.
const char* readDigits(const char* q, const char* end, std::uint64_t& mantissa)
{
    std::uint64_t m = mantissa;
    for (unsigned digit; q < end && (digit = static_cast<unsigned char>(*q) - unsigned{'0'}) < 10; ++q)
        m = m * 10 + digit;
    mantissa = m;
    return q;
}

} // namespace

double parseReading(const char* text, const char* end, const char*& stop)
{
    const char* p = text;
    while (p < end && isCSpace(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-'))
        negative = *p++ == '-';

    // The digits are gathered on the way: up to 19 of them fit the mantissa.
    const char* number = p;
    std::uint64_t mantissa = 0;
    const char* q = readDigits(p, end, mantissa);
    std::ptrdiff_t digitCount = q - number;
    bool digits = digitCount > 0;
    int scale = 0; // the power of ten of the mantissa's last digit
    if (q < end && *q == '.') {
        const char* fraction = q + 1;
        std::uint64_t withFraction = mantissa;
        const char* r = readDigits(fraction, end, withFraction);
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
    int exponent = 0;
    if (q < end && (*q == 'e' || *q == 'E')) {
        const char* r = q + 1;
        bool negativeExponent = false;
        if (r < end && (*r == '+' || *r == '-'))
            negativeExponent = *r++ == '-';
        const char* exponentDigits = r;
        for (; r < end && isDigit(*r); ++r)
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

double parseReading(const char* text, const char* end)
{
    const char* stop;
    return parseReading(text, end, stop);
}

std::size_t formatCell(float value, char (&out)[cellTextCapacity])
{
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    const bool negative = (bits >> 31) != 0;
    const int biasedExponent = static_cast<int>((bits >> 23) & 0xFF);
    const std::uint32_t fraction = bits & 0x7FFFFF;

    // Infinities, NaNs and very large values are rare: the C library writes them.
    if (biasedExponent == 0xFF || std::fabs(value) >= 1e9f) {
        ClassicNumbers numbers;
        int n = std::snprintf(out, cellTextCapacity, "%5.2f", static_cast<double>(value));
        return n < 0 ? 0 : static_cast<std::size_t>(n);
    }

    // |value| = mantissa * 2^exponent exactly; hundredths rounded to nearest,
    // an exact tie to even, as printf rounds.
    std::uint64_t mantissa = biasedExponent == 0 ? fraction : (fraction | 0x800000u);
    int exponent = (biasedExponent == 0 ? 1 : biasedExponent) - 150;
    std::uint64_t hundredths;
    if (exponent >= 0) {
        hundredths = (mantissa << exponent) * 100;
    } else {
        const int shift = -exponent;
        const std::uint64_t scaled = mantissa * 100; // below 2^31
        if (shift >= 40) {
            hundredths = 0; // far below half a hundredth
        } else {
            hundredths = scaled >> shift;
            const std::uint64_t remainder = scaled & ((std::uint64_t{1} << shift) - 1);
            const std::uint64_t half = std::uint64_t{1} << (shift - 1);
            if (remainder > half || (remainder == half && (hundredths & 1)))
                ++hundredths;
        }
    }

    char digits[32];
    std::size_t n = 0;
    std::uint64_t whole = hundredths / 100;
    const unsigned cents = static_cast<unsigned>(hundredths % 100);
    digits[n++] = static_cast<char>('0' + cents % 10);
    digits[n++] = static_cast<char>('0' + cents / 10);
    digits[n++] = '.';
    do {
        digits[n++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    if (negative)
        digits[n++] = '-';

    std::size_t length = 0;
    for (std::size_t pad = n; pad < 5; ++pad)
        out[length++] = ' ';
    while (n)
        out[length++] = digits[--n];
    out[length] = '\0';
    return length;
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
