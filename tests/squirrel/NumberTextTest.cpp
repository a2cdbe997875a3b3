// Number text written without printf must read exactly as printf writes it.
#include "squirrel/src/SqNumberText.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace
{
std::string PrintfFloat(float f)
{
    char buf[NUMBER_TEXT_SIZE];
    snprintf(buf, sizeof buf, "%g", double(f));
    return buf;
}

std::string OurFloat(float f)
{
    char buf[NUMBER_TEXT_SIZE];
    const SQInteger len = FloatText(f, buf);
    EXPECT_EQ(size_t(len), strlen(buf));
    return buf;
}

float FromBits(uint32_t bits)
{
    float f;
    memcpy(&f, &bits, 4);
    return f;
}
} // namespace

TEST(NumberText, IntegersIncludingTheExtremes)
{
    const struct
    {
        SQInteger value;
        const char* text;
    } cases[] = {{0, "0"},
                 {7, "7"},
                 {-7, "-7"},
                 {10, "10"},
                 {99, "99"},
                 {100, "100"},
                 {-12345, "-12345"},
                 {908070605, "908070605"},
                 {1000000, "1000000"},
                 {INT_MAX, "2147483647"},
                 {INT_MIN, "-2147483648"}};
    for (const auto& c : cases)
    {
        char buf[NUMBER_TEXT_SIZE];
        const SQInteger len = IntegerText(c.value, buf);
        EXPECT_STREQ(buf, c.text);
        EXPECT_EQ(size_t(len), strlen(c.text));
    }
}

// Ties, carries into a new digit, the edges of the exponent-free range and values printf hands back.
TEST(NumberText, FloatsReadAsPrintfWritesThem)
{
    const float cases[] = {0.0f,       -0.0f,         0.5f,        -0.25f,    1.0f,       0.1f,
                           1.5f,       2.5f,          999999.5f,   999999.4f, 100000.0f,  999999.0f,
                           1000000.0f, 0.0001f,       0.00009999f, 9.999995f, 0.3333333f, 123456.5f,
                           1234.565f,  3.4028235e38f, 1e-40f,      1e-45f,    16777216.f, 0.000123456f};
    for (float f : cases)
        EXPECT_EQ(OurFloat(f), PrintfFloat(f)) << "bits " << std::hex
                                               << [&]
        {
            uint32_t b;
            memcpy(&b, &f, 4);
            return b;
        }();
    EXPECT_EQ(OurFloat(std::numeric_limits<float>::infinity()), PrintfFloat(INFINITY));
    EXPECT_EQ(OurFloat(std::nanf("")), PrintfFloat(std::nanf("")));
}

// Every float pattern on a stride that visits each exponent many times, both signs.
TEST(NumberText, FloatSweepMatchesPrintf)
{
    for (uint64_t bits = 0; bits <= 0xFFFFFFFFull; bits += 16411)
    {
        const float f = FromBits(uint32_t(bits));
        const std::string ours = OurFloat(f);
        const std::string theirs = PrintfFloat(f);
        if (ours != theirs)
        {
            ADD_FAILURE() << "bits " << std::hex << bits << ": " << ours << " vs " << theirs;
            return;
        }
    }
}

namespace
{
std::string PrintfFixed(float f, int decimals)
{
    char buf[NUMBER_TEXT_SIZE];
    snprintf(buf, sizeof buf, "%.*f", decimals, double(f));
    return buf;
}

std::string OurFixed(float f, int decimals)
{
    char buf[NUMBER_TEXT_SIZE];
    const SQInteger len = FixedText(f, decimals, buf);
    EXPECT_EQ(size_t(len), strlen(buf));
    return buf;
}
} // namespace

// Exact ties (0.125 to two places goes to even), carries through every digit, signs that survive rounding to
// zero, values too small or too large for the exact arithmetic, and the non-finite ones.
TEST(NumberText, FixedDecimalsReadAsPrintfWritesThem)
{
    const float cases[] = {0.0f,        -0.0f,   0.125f,     0.375f,   2.5f,         -2.5f,    0.005f,
                           9.995f,      99.999f, -0.001f,    1e-30f,   -1e-30f,      1e-40f,   0.3333333f,
                           123456.789f, 1e10f,   16777215.f, 1e20f,    3.4e38f,      -3.4e38f, 0.1f,
                           1.0f / 3.0f, 5e-10f,  1.5e-9f,    49999.5f, 2147483647.f, 0.999999f};
    for (float f : cases)
        for (int decimals = 0; decimals <= FIXED_TEXT_MAX_DECIMALS; decimals++)
            EXPECT_EQ(OurFixed(f, decimals), PrintfFixed(f, decimals)) << f << " to " << decimals;
    EXPECT_EQ(OurFixed(std::numeric_limits<float>::infinity(), 2), PrintfFixed(INFINITY, 2));
    EXPECT_EQ(OurFixed(-std::numeric_limits<float>::infinity(), 2), PrintfFixed(-INFINITY, 2));
    EXPECT_EQ(OurFixed(std::nanf(""), 2), PrintfFixed(std::nanf(""), 2));
}

// Float patterns on a stride across every exponent and both signs, at each number of decimals.
TEST(NumberText, FixedDecimalsSweepMatchesPrintf)
{
    for (int decimals = 0; decimals <= FIXED_TEXT_MAX_DECIMALS; decimals++)
    {
        for (uint64_t bits = decimals; bits <= 0xFFFFFFFFull; bits += 65537)
        {
            const float f = FromBits(uint32_t(bits));
            const std::string ours = OurFixed(f, decimals);
            const std::string theirs = PrintfFixed(f, decimals);
            if (ours != theirs)
            {
                ADD_FAILURE() << "bits " << std::hex << bits << " to " << std::dec << decimals << ": " << ours
                              << " vs " << theirs;
                return;
            }
        }
    }
}

// Around each power of ten the decimal exponent changes, and so does the number of decimals kept.
TEST(NumberText, FloatsNearPowersOfTenMatchPrintf)
{
    for (int power = -6; power <= 7; power++)
    {
        const float center = float(std::pow(10.0, power));
        uint32_t centerBits;
        memcpy(&centerBits, &center, 4);
        for (uint32_t bits = centerBits - 3000; bits <= centerBits + 3000; bits++)
        {
            const float f = FromBits(bits);
            ASSERT_EQ(OurFloat(f), PrintfFloat(f)) << "bits " << std::hex << bits;
            ASSERT_EQ(OurFloat(-f), PrintfFloat(-f)) << "bits " << std::hex << bits;
        }
    }
}
