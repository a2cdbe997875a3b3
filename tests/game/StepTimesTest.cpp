#include "game/StepTimes.h"

#include "core/FileTable.h"
#include "core/pd_ofstream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

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

namespace
{
std::string SampleLog(int count)
{
    TempDir dir;
    auto times = std::make_unique<StepTimes>();
    for (int i = 0; i < count; ++i)
        times->AddSample(static_cast<uint64_t>(i));
    // The log is written below the data root, as the game's own is.
    FileWatchInit(dir.Root().c_str());
    {
        pd_ofstream log("steps.log", 0, kOutWrite);
        times->WriteSampleLog(log);
    }
    FileWatchInit("");
    return dir.ReadFile("steps.log");
}
} // namespace

TEST(StepTimes, TheLogLeavesOutTheFirstTwoSamplesAndTheLast)
{
    EXPECT_EQ(SampleLog(0), "");
    EXPECT_EQ(SampleLog(3), "") << "three samples leave nothing to average";
    // Samples 2 to 4 of 0..5: average 3 over three steps; too few for the end average.
    EXPECT_EQ(SampleLog(6), "avg: 3 microseconds (3 steps)\navg at end: 0 microseconds (900 steps)\n2\n3\n4\n");
    const std::string log = SampleLog(1000);
    // The last 900 are 100..999, averaging 549 (549.5 truncated).
    EXPECT_EQ(log.substr(0, log.find("\n2\n") + 1),
              "avg: 500 microseconds (997 steps)\navg at end: 549 microseconds (900 steps)\n");
    EXPECT_NE(log.find("\n998\n"), std::string::npos);
    EXPECT_EQ(log.find("\n999\n"), std::string::npos);
}
