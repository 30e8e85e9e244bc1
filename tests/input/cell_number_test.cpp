#include "input/cell_number.h"

#include "app/tool_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace tsl;

namespace {

// As the reader holds readings stored with two decimals.
float parse(const std::string& text)
{
    const char* stop;
    return static_cast<float>(parseReadingBeforeNul(text.c_str(), stop));
}

} // namespace

TEST(ParseReading, TheLongestDecimalPrefixOrZero)
{
    const std::pair<std::string, float> cases[] = {
        {"21.5,3", 21.5f}, {"  -3.25\n", -3.25f}, {"\t+7", 7.0f}, {".5", 0.5f}, {"5.", 5.0f}, {"-.25x", -0.25f},
        {"1.5e2,", 150.0f}, {"2E-1", 0.2f}, {"3e", 3.0f}, {"3e+,", 3.0f}, {"0x1A", 0.0f}, {"1e-400", 0.0f},
        {std::string(300, '1') + "e-299", 1.1111111f},
        // No number at all, though the C library would read some of these.
        {"", 0.0f}, {".", 0.0f}, {"-", 0.0f}, {"e5", 0.0f}, {"\"21.5\"", 0.0f}, {"inf", 0.0f}, {"nan", 0.0f},
        {"abc", 0.0f},
    };
    for (const auto& [text, value] : cases)
        EXPECT_FLOAT_EQ(parse(text), value) << text;
    EXPECT_TRUE(std::signbit(parse("-0")));
    EXPECT_TRUE(std::isinf(parse("1e39")));
    EXPECT_TRUE(std::isinf(parse("-1e400")));
    EXPECT_FLOAT_EQ(parse(std::string("12\0" "345", 5)), 12.0f); // ends at a NUL byte
    // Exactly the C library's double, on both sides of where a mantissa and
    // a power of ten stop being exact doubles (19 digits, 2^53, 10^22).
    std::vector<std::string> texts = {"9007199254740992", "9007199254740993", "9007199254740993e-3",
                                      "1234567890123456789", "12345678901234567890", "0.1234567890123456789",
                                      "00000000000000000000000012.5", "4.35e22", "4.35e23", "7e-22", "7e-23",
                                      "123456789e-30", "0.000001e-20", "1.7976931348623157e308", "4.9e-324"};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> values(-1e6, 1e6);
    for (int i = 0; i < 40000; ++i) {
        char text[64];
        if (i % 2)
            std::snprintf(text, sizeof text, "%.*f", i % 9, values(random));
        else
            std::snprintf(text, sizeof text, "%.*e", i % 18, values(random) * std::pow(10.0, i % 61 - 30));
        texts.push_back(text);
    }
    for (const std::string& text : texts) {
        const char* stop = nullptr;
        const double value = parseReadingBeforeNul(text.c_str(), stop);
        ASSERT_EQ(value, std::strtod(text.c_str(), nullptr)) << text;
        ASSERT_EQ(stop, text.data() + text.size()) << text;
    }
}

// The short cut for plain decimals gives the same reading and the same end
// as the full reading of every form, on both sides of where it stops (15
// digits, a sign, a point without digits on either side, an exponent).
TEST(ParseReading, PlainDecimalsAsEveryForm)
{
    std::vector<std::string> texts = {
        "21.5,3", "-3.25\n", "-0", "-0.00", "0", "5.", ".5", "-.25x", "-", ".", "", "e5", "12e", "12.5e2,",
        "12.5E-1", "7;8", "  4.5", "\t+7", "+7", "--3", "123456789012345", "1234567890123456", "12345678.9012345",
        "12345678.90123456", "0.000000000000001", "0.0000000000000001", "9007199254740993", "99999999999999.99",
        "00000000000000000000000012.5", std::string(400, '9'), std::string(30, '1') + "." + std::string(30, '2'),
    };
    std::mt19937 random(11);
    std::uniform_real_distribution<double> values(-1e5, 1e5);
    for (int i = 0; i < 20000; ++i)
        texts.push_back(std::to_string(values(random)).substr(0, 3 + i % 14) + (i % 3 ? "," : ""));
    for (const std::string& text : texts) {
        const char* anyEnd = nullptr;
        const char* plainEnd = nullptr;
        const double expected = cell_number_detail::parseAnyReadingBeforeNul(text.c_str(), anyEnd);
        const double value = parseReadingBeforeNul(text.c_str(), plainEnd);
        ASSERT_EQ(value, expected) << text;
        ASSERT_EQ(std::signbit(value), std::signbit(expected)) << text;
        ASSERT_EQ(plainEnd, anyEnd) << text;
    }
}

// Exact ties, signs, non-finite and huge values, every multiple of 1/1024
// over a range (many exact ties) and random bit patterns.
TEST(FormatCell, WritesWhatPrintfWrites)
{
    auto check = [](float value) {
        char expected[128];
        std::snprintf(expected, sizeof expected, "%5.2f", static_cast<double>(value));
        char text[cellTextCapacity];
        const std::size_t length = formatCell(value, text);
        ASSERT_EQ(length, std::strlen(text));
        ASSERT_EQ(std::string(text, length), expected) << value;
    };
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    for (float v : {0.0f, -0.0f, 0.125f, 0.375f, 1.005f, 2.675f, -0.001f, 0.004999f, 0.005f, -0.005f, 99.995f,
                    123456.78f, 1e-30f, -1e-45f, inf, -inf, nan, -nan, std::numeric_limits<float>::max(), -1e9f})
        check(v);
    for (int i = -200000; i <= 200000; ++i)
        check(static_cast<float>(i) / 1024.0f);
    std::mt19937 random(11);
    for (int i = 0; i < 300000; ++i) {
        const std::uint32_t bits = static_cast<std::uint32_t>(random());
        float v;
        std::memcpy(&v, &bits, sizeof v);
        check(v);
    }
}

// With any number of decimals, as printf writes "%5.Nf" in the C locale:
// values that two decimals lose, ties, signs, non-finite and extreme values,
// every multiple of 1/1024 over a range and random values and bit patterns.
TEST(FormatCell, WritesWhatPrintfWritesWithAnyDecimals)
{
    auto check = [](double value, int decimals) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%5.*f", decimals, value);
        char text[preciseCellTextCapacity];
        const std::size_t length = formatCell(value, decimals, text);
        ASSERT_EQ(length, std::strlen(text));
        ASSERT_EQ(std::string(text, length), expected) << value << " with " << decimals;
    };
    using limits = std::numeric_limits<double>;
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> values(-1e5, 1e5);
    for (int decimals = 0; decimals <= maxDecimals; ++decimals) {
        for (double v : {0.0, -0.0, 0.018, 0.0033, 71.2, 0.5, 1.5, 2.5, -0.5, 0.0000005, 0.00000049999, 1e-7,
                         123456.789, 1e15, 1e300, limits::max(), -limits::max(), limits::min(), limits::denorm_min(),
                         limits::infinity(), -limits::infinity(), limits::quiet_NaN(), -limits::quiet_NaN()})
            check(v, decimals);
        for (int i = -20000; i <= 20000; ++i)
            check(static_cast<double>(i) / 1024.0, decimals);
        for (int i = 0; i < 20000; ++i) {
            check(values(random), decimals);
            const std::uint64_t bits = random();
            double v;
            std::memcpy(&v, &bits, sizeof v);
            check(v, decimals);
        }
    }
}
