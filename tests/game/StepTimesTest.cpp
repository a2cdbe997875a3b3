#include "game/StepTimes.h"

#include <gtest/gtest.h>
#include <memory>

TEST(StepTimes, RingAdvancesBeforeStoringAndWraps)
{
    auto times = std::make_unique<StepTimes>();
    times->Record(kStepPhasePhysics, 1.0f);
    EXPECT_EQ(times->Get(kStepPhasePhysics, 1), 1.0f);
    EXPECT_EQ(times->Get(kStepPhasePhysics, 0), 0.0f);
    for (int i = 0; i < kStepRingSize - 1; ++i)
        times->Record(kStepPhasePhysics, 2.0f);
    EXPECT_EQ(times->Get(kStepPhasePhysics, 0), 2.0f); // the 30th write wrapped to slot 0
    EXPECT_EQ(times->Get(kStepPhaseScript, 1), 0.0f);  // phases keep their own cursors
    EXPECT_EQ(times->Get(kStepPhasePhysics, 99), 0.0f);
}

TEST(StepTimes, SamplesStopAtCapacity)
{
    auto times = std::make_unique<StepTimes>();
    for (int i = 0; i < kStepSampleCapacity + 50; ++i)
        times->AddSample(static_cast<uint64_t>(i));
    EXPECT_EQ(times->GetSampleCount(), static_cast<uint32_t>(kStepSampleCapacity));
    EXPECT_EQ(times->GetSample(kStepSampleCapacity - 1), static_cast<uint64_t>(kStepSampleCapacity - 1));
    EXPECT_EQ(times->GetSample(kStepSampleCapacity), 0u);
}
