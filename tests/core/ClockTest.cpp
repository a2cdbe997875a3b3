#include "core/Clock.h"
#include "core/GameTimer.h"
#include "core/RealTimer.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

TEST(Clock, ConversionAroundEachMultiplierBoundary)
{
    struct Case
    {
        int64_t counter;
        int64_t frequency;
        uint64_t expected;
    };
    // k = 1000 below 9223372036854775, then 100, 10 and 1: the divisor is the
    // frequency divided down, truncated.
    const int64_t f = 3579545; // an old ACPI timer rate
    const Case cases[] = {
        {0, f, 0},
        {3579545, f, 1000152}, // one second, less precise through the truncated divisor
        {9223372036854774, f, static_cast<uint64_t>((9223372036854774LL * 1000) / (f / 1000))},
        {9223372036854775, f, static_cast<uint64_t>((9223372036854775LL * 100) / (f / 10000))},
        {92233720368547757, f, static_cast<uint64_t>((92233720368547757LL * 100) / (f / 10000))},
        {92233720368547758, f, static_cast<uint64_t>((92233720368547758LL * 10) / (f / 100000))},
        {922337203685477580, f, static_cast<uint64_t>(922337203685477580LL / (f / 1000000))},
        {1000000000, 1000000000, 1000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClockMicrosecondsFromCounter(c.counter, c.frequency), c.expected) << c.counter;
}

TEST(Clock, DegenerateFrequenciesGiveDefinedValues)
{
    EXPECT_EQ(ClockMicrosecondsFromCounter(1000, 0), 0u);
    EXPECT_EQ(ClockMicrosecondsFromCounter(1000, -5), 0u);
    // A counter slower than the divisor's grain would divide by zero.
    EXPECT_EQ(ClockMicrosecondsFromCounter(100, 500), 200000u);
    EXPECT_EQ(ClockMicrosecondsFromCounter(922337203685477580LL, 1000), UINT64_MAX);
}

TEST(Clock, ReplaceableSource)
{
    ManualClock clock(5000);
    EXPECT_EQ(ClockNow(), 5000u);
    clock.Advance(250);
    EXPECT_EQ(ClockNow(), 5250u);
    ClockTick();
    EXPECT_EQ(ClockLastTick(), 5250u);
}

TEST(Timers, GameTimerFollowsItsChannelOnly)
{
    GameTimeChannelsReset();
    GameTimer timer(0);
    EXPECT_EQ(timer.GetTime(), 0.0f);
    timer.Start();
    GameTimeChannelAdvance(0, 0.5f);
    GameTimeChannelAdvance(1, 3.0f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 0.5f);
    timer.AddTime(2.0f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 2.5f);
    GameTimer effects(1);
    effects.Start();
    GameTimeChannelAdvance(1, 0.25f);
    EXPECT_FLOAT_EQ(effects.GetTime(), 0.25f);
}

TEST(Timers, RealTimerRunsOnTheWallClock)
{
    ManualClock clock;
    RealTimer timer;
    timer.Start();
    clock.Advance(1500000);
    EXPECT_EQ(timer.ElapsedMicroseconds(), 1500000);
    EXPECT_FLOAT_EQ(timer.GetTime(), 1.5f);
    timer.AddTime(2.0f);
    EXPECT_FLOAT_EQ(timer.GetTime(), 3.5f);
}
