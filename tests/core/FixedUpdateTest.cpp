#include "core/FixedUpdate.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>
#include <vector>

namespace
{
constexpr float kStep = 0.03333f;
constexpr uint64_t kStepUs = 33330;

class CountingUpdate : public FixedUpdate
{
public:
    void Step(float seconds) override { steps.push_back(seconds); }
    std::vector<float> steps;
};

class FixedUpdateTest : public ::testing::Test
{
protected:
    ManualClock clock{10000000};
    CountingUpdate update;

    void SetUp() override
    {
        update.Reset();
        update.Run(kStep, 5, true, false); // the first run after a reset always steps once
        update.steps.clear();
    }
};
} // namespace

TEST_F(FixedUpdateTest, FirstRunAfterResetStepsOnceWithNoTimeElapsed)
{
    CountingUpdate fresh;
    fresh.Reset();
    fresh.Run(kStep, 5, true, false);
    ASSERT_EQ(fresh.steps.size(), 1u);
    EXPECT_FLOAT_EQ(fresh.steps[0], kStep);
}

TEST_F(FixedUpdateTest, CarriesTheRemainderBelowOneStep)
{
    clock.Advance(kStepUs * 5 / 2);
    update.Run(kStep, 5, true, false);
    EXPECT_EQ(update.steps.size(), 2u);
    // Half a step is in hand: another half makes the third step due.
    clock.Advance(kStepUs / 2);
    update.Run(kStep, 5, true, false);
    EXPECT_EQ(update.steps.size(), 3u);
}

TEST_F(FixedUpdateTest, NothingDueRunsNothing)
{
    clock.Advance(kStepUs - 1);
    update.Run(kStep, 5, true, false);
    EXPECT_TRUE(update.steps.empty());
}

TEST_F(FixedUpdateTest, CapsAtMaxStepsAndDropsTheBacklog)
{
    clock.Advance(kStepUs * 7);
    update.Run(kStep, 5, true, false);
    EXPECT_EQ(update.steps.size(), 5u);
    // The two steps over the limit are not caught up later.
    clock.Advance(kStepUs - 1);
    update.Run(kStep, 5, true, false);
    EXPECT_EQ(update.steps.size(), 5u);
}

TEST_F(FixedUpdateTest, NoConsumeRunsExactlyNStepsWhenDue)
{
    clock.Advance(kStepUs);
    update.Run(kStep, 3, true, true);
    EXPECT_EQ(update.steps.size(), 3u);
    clock.Advance(kStepUs - 1);
    update.Run(kStep, 3, true, true);
    EXPECT_EQ(update.steps.size(), 3u);
    clock.Advance(1);
    update.Run(kStep, 3, true, true);
    EXPECT_EQ(update.steps.size(), 6u);
}

TEST_F(FixedUpdateTest, NotFixedCoversTheWholeElapsedTimeOnce)
{
    clock.Advance(250000);
    update.Run(kStep, 5, false, false);
    ASSERT_EQ(update.steps.size(), 1u);
    EXPECT_FLOAT_EQ(update.steps[0], 0.25f);
    update.steps.clear();
    update.Run(kStep, 4, false, false); // no time: steps of zero up to the limit
    ASSERT_EQ(update.steps.size(), 4u);
    EXPECT_EQ(update.steps[0], 0.0f);
}

TEST_F(FixedUpdateTest, PausedTimeIsNeverStepped)
{
    update.SetPaused(true);
    clock.Advance(10000000);
    update.SetPaused(false);
    update.Run(kStep, 5, true, false);
    EXPECT_TRUE(update.steps.empty());
    clock.Advance(kStepUs);
    update.Run(kStep, 5, true, false);
    EXPECT_EQ(update.steps.size(), 1u);
}

TEST_F(FixedUpdateTest, ZeroOrNegativeMaxStepsRunsOne)
{
    clock.Advance(kStepUs * 3);
    update.Run(kStep, 0, true, false);
    EXPECT_EQ(update.steps.size(), 1u);
}
