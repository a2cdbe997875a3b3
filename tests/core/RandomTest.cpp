#include "core/Random.h"

#include <gtest/gtest.h>

TEST(Random, MatchesTheClassicSequence)
{
    // The first values of the classic generator seeded with 1.
    RandSeed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(Rand(), value);
}

TEST(Random, StaysInRange)
{
    RandSeed(0xDEADBEEF);
    for (int i = 0; i < 10000; ++i)
    {
        const int value = Rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, kRandMax);
    }
}
