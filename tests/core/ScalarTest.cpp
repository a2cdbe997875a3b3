#include "core/Scalar.h"
#include "core/rgba8888.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
TEST(Scalar, SaturatingArithmeticStopsAtTheIntRange)
{
    const int most = std::numeric_limits<int>::max();
    const int least = std::numeric_limits<int>::min();
    const struct
    {
        int a, b, sum;
    } sums[] = {{2, 3, 5}, {-7, 2, -5}, {most, 1, most}, {most, most, most}, {least, -1, least},
                {least, most, -1}, {most - 1, 1, most}};
    for (const auto& c : sums)
        EXPECT_EQ(SaturatingAdd(c.a, c.b), c.sum) << c.a << " + " << c.b;
    EXPECT_EQ(SaturatingIntFrom64(-int64_t(least)), most);
    const struct
    {
        float value;
        int result;
    } floats[] = {{2.9f, 2},
                  {-2.9f, -2},
                  {1e30f, most},
                  {-1e30f, least},
                  {std::numeric_limits<float>::infinity(), most},
                  {-std::numeric_limits<float>::infinity(), least},
                  {std::numeric_limits<float>::quiet_NaN(), 0},
                  {2147483520.0f, 2147483520},
                  {-2147483648.0f, least}};
    for (const auto& c : floats)
        EXPECT_EQ(SaturatingIntFromFloat(c.value), c.result) << c.value;
}

TEST(Scalar, ParseUInt64StopsAtTheFirstNonDigit)
{
    const struct
    {
        const char* text;
        uint64_t value;
    } cases[] = {
        {"123x", 123},
        {"76561198000000001", 76561198000000001ull},
        {"18446744073709551615", UINT64_MAX},
        {"", 0},
        {"x12", 0},
        {"-5", 0},
        {" 7", 0},
        {"007", 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseUInt64(c.text), c.value) << c.text;
    EXPECT_EQ(ParseUInt64(nullptr), 0u);
}

TEST(Scalar, ParseUInt64SaturatesInsteadOfWrapping)
{
    EXPECT_EQ(ParseUInt64("18446744073709551616"), UINT64_MAX);
    EXPECT_EQ(ParseUInt64("99999999999999999999999"), UINT64_MAX);
}

TEST(Scalar, FloatSqrt)
{
    EXPECT_EQ(FloatSqrt(16.0f), 4.0f);
    EXPECT_EQ(FloatSqrt(0.0f), 0.0f);
}

TEST(Scalar, ColourHoldsFourBytes)
{
    const rgba8888 colour(1, 2, 3, 255);
    EXPECT_EQ(colour.r, 1);
    EXPECT_EQ(colour.a, 255);
}
} // namespace
