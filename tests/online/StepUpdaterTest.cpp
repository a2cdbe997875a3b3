#include "online/StepUpdater.h"

#include <gtest/gtest.h>

TEST(StepUpdater, OneReleaseCoversThreeScriptStepsOfTheSameDelta)
{
    StepUpdater steps;
    steps.SetDeltas(0.1f, 0.1f);
    steps.Release();
    int syncs = 0;
    while (steps.released && syncs < 10)
    {
        ++syncs;
        steps.Consume();
    }
    EXPECT_EQ(syncs, 3);
}

TEST(StepUpdater, NothingAccumulatesWithoutADelta)
{
    StepUpdater steps;
    EXPECT_FALSE(steps.Accumulate(1.0f));
    EXPECT_EQ(steps.accumulator, 0.0f);
    steps.SetDeltas(0.2f, 0.1f);
    EXPECT_TRUE(steps.Accumulate(0.25f));
    EXPECT_TRUE(steps.HasStepDue());
}

TEST(StepUpdater, FallingFarBehindCutsToOneStepNotBelowZero)
{
    StepUpdater steps;
    steps.SetDeltas(0.1f, 0.1f);
    steps.Accumulate(5.0f); // fifty steps behind
    steps.Release();
    EXPECT_FLOAT_EQ(steps.accumulator, 0.1f);
    EXPECT_TRUE(steps.HasStepDue()) << "the next release is due at once";
    StepUpdater near;
    near.SetDeltas(0.1f, 0.1f);
    near.Accumulate(1.0f); // ten steps behind: left to catch up
    near.Release();
    EXPECT_NEAR(near.accumulator, 0.9f, 1e-5f);
}

TEST(StepUpdater, ClearedStateStartsAtStepMinusOne)
{
    StepUpdater steps;
    steps.SetDeltas(0.1f, 0.1f);
    steps.Release();
    steps.Clear();
    EXPECT_EQ(steps.stepNumber, -1);
    EXPECT_EQ(steps.stepDelta, 0.0f);
    EXPECT_EQ(steps.released, 0);
}
