#include "input/cell_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace tsl {
namespace {

float parse(const std::string& text)
{
    return parseReading(text.data(), text.data() + text.size());
}

std::string reference(float value)
{
    char text[128];
    std::snprintf(text, sizeof text, "%5.2f", static_cast<double>(value));
    return text;
}

std::string formatted(float value)
{
    char text[cellTextCapacity];
    std::size_t length = formatCell(value, text);
    EXPECT_EQ(length, std::strlen(text));
    return std::string(text, length);
}

TEST(ParseReading, DecimalPrefixOnly)
{
    EXPECT_FLOAT_EQ(parse("21.5,3"), 21.5f);
    EXPECT_FLOAT_EQ(parse("  -3.25\n"), -3.25f);
    EXPECT_FLOAT_EQ(parse("\t+7"), 7.0f);
    EXPECT_FLOAT_EQ(parse(".5"), 0.5f);
    EXPECT_FLOAT_EQ(parse("5."), 5.0f);
    EXPECT_FLOAT_EQ(parse("-.25x"), -0.25f);
    EXPECT_FLOAT_EQ(parse("1.5e2,"), 150.0f);
    EXPECT_FLOAT_EQ(parse("2E-1"), 0.2f);
    EXPECT_FLOAT_EQ(parse("3e"), 3.0f);   // an exponent needs digits
    EXPECT_FLOAT_EQ(parse("3e+,"), 3.0f);
    EXPECT_FLOAT_EQ(parse("12abc"), 12.0f);
}

TEST(ParseReading, NoNumberIsZero)
{
    for (const char* text : {"", ".", "-", "+.", "e5", "\"21.5\"", "inf", "nan", "Infinity", "abc", "\n"})
        EXPECT_EQ(parse(text), 0.0f) << text;
    EXPECT_EQ(parse("0x1A"), 0.0f); // the 0 before the x
    EXPECT_EQ(parse("-0"), 0.0f);
    EXPECT_TRUE(std::signbit(parse("-0")));
}

TEST(ParseReading, StaysInsideTheGivenRange)
{
    const std::string text = "12345";
    EXPECT_FLOAT_EQ(parseReading(text.data(), text.data() + 2), 12.0f);
    EXPECT_EQ(parseReading(text.data(), text.data()), 0.0f);
}

TEST(ParseReading, HugeValuesBecomeInfinite)
{
    EXPECT_TRUE(std::isinf(parse("1e39")));
    EXPECT_TRUE(std::isinf(parse("-1e400")));
    EXPECT_EQ(parse("1e-400"), 0.0f);
    EXPECT_FLOAT_EQ(parse(std::string(300, '1') + "e-299"), 1.1111111f);
}

TEST(ParseReading, GoesThroughDoubleLikeTheCLibrary)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<double> values(-1e6, 1e6);
    for (int i = 0; i < 20000; ++i) {
        char text[64];
        std::snprintf(text, sizeof text, "%.*f", i % 9, values(random));
        EXPECT_EQ(parse(text), static_cast<float>(std::strtod(text, nullptr))) << text;
    }
}

TEST(FormatCell, MatchesPrintfOnTiesAndSigns)
{
    for (float v : {0.0f, -0.0f, 0.125f, 0.375f, 2.5f, 1.005f, 2.675f, -0.001f, 0.004999f, 0.005f, -0.005f,
                    99.995f, 99999.99f, 123456.78f, 1e-30f, -1e-45f, 1.0f / 3.0f, 21.5f, -3.75f})
        EXPECT_EQ(formatted(v), reference(v)) << v;
    EXPECT_EQ(formatted(2.0f), " 2.00");
    EXPECT_EQ(formatted(-0.0f), "-0.00");
}

TEST(FormatCell, MatchesPrintfOverASweep)
{
    // Every multiple of 1/1024 over a range, which holds many exact ties.
    for (int i = -200000; i <= 200000; ++i) {
        float v = static_cast<float>(i) / 1024.0f;
        ASSERT_EQ(formatted(v), reference(v)) << v;
    }
    std::mt19937 random(11);
    std::uniform_int_distribution<std::uint32_t> bits;
    for (int i = 0; i < 300000; ++i) {
        float v;
        std::uint32_t b = bits(random);
        std::memcpy(&v, &b, sizeof v);
        ASSERT_EQ(formatted(v), reference(v)) << b;
    }
}

TEST(FormatCell, NonFiniteAndLargeValuesAsPrintf)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (float v : {inf, -inf, nan, -nan, std::numeric_limits<float>::max(), -1e9f, 1e9f, 999999999.0f})
        EXPECT_EQ(formatted(v), reference(v));
}

} // namespace
} // namespace tsl
