// The bounds of a model's vertices take the C library's fmin and fmax
// answers, bit for bit, on seeded values with NaNs, infinities and zeros of
// both signs among them.
#include "cross/ModelFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace
{
uint32_t Bits(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    return bits;
}

float SeededValue(std::mt19937& random)
{
    const float specials[] = {0.0f,
                              -0.0f,
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(),
                              std::nanf(""),
                              -std::nanf(""),
                              std::numeric_limits<float>::max(),
                              -std::numeric_limits<float>::max(),
                              std::numeric_limits<float>::denorm_min(),
                              1.0f};
    if (random() % 3 == 0)
        return specials[random() % 10];
    return std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(random);
}
} // namespace

TEST(ModelFileBounds, MinAndMaxAnswerAsTheCLibraryDoes)
{
    std::mt19937 random(11);
    for (int i = 0; i < 200000; ++i)
    {
        const float a = SeededValue(random);
        const float b = SeededValue(random);
        ASSERT_EQ(Bits(ModelFileMin(a, b)), Bits(std::fmin(a, b))) << a << " " << b;
        ASSERT_EQ(Bits(ModelFileMax(a, b)), Bits(std::fmax(a, b))) << a << " " << b;
    }
}
