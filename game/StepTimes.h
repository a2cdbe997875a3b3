#pragma once
// Step-time measurements: four rings of the last 30 unpaused steps' phase
// times in milliseconds, and the in-game samples of the GameStep call.

#include <cstdint>

class pd_ofstream;

enum StepPhase : int
{
    kStepPhaseScript,
    kStepPhasePhysics,
    kStepPhaseCollision,
    kStepPhaseEffects,
    kStepPhaseCount,
};

constexpr int kStepRingSize = 30;
constexpr int kStepSampleCapacity = 20000;
constexpr uint32_t kStepEndSamples = 900;

class StepTimes
{
public:
    // Advances the phase's cursor (wrapping at 30), then stores there.
    void Record(StepPhase phase, float milliseconds);
    float Get(StepPhase phase, int index) const;
    float Average(StepPhase phase) const;

    // Samples stop at the capacity: later ones are dropped.
    void AddSample(uint64_t microseconds);
    void ClearSamples() { m_sampleCount = 0; }
    uint32_t GetSampleCount() const { return m_sampleCount; }
    uint64_t GetSample(uint32_t index) const
    {
        return (index < m_sampleCount && index < kStepSampleCapacity) ? m_samples[index] : 0;
    }

    // The averages of the samples (leaving out the first two and the last)
    // and of the last 900, then those samples one a line. With three
    // samples or fewer there is nothing to average and nothing is written.
    void WriteSampleLog(pd_ofstream& log) const;

private:
    float m_rings[kStepPhaseCount][kStepRingSize] = {};
    int m_cursors[kStepPhaseCount] = {};
    uint64_t m_samples[kStepSampleCapacity] = {};
    uint32_t m_sampleCount = 0;
};

extern StepTimes g_stepTimes;
