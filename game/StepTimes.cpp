#include "game/StepTimes.h"

StepTimes g_stepTimes;

void StepTimes::Record(StepPhase phase, float milliseconds)
{
    int& cursor = m_cursors[phase];
    cursor = (cursor + 1) % kStepRingSize;
    m_rings[phase][cursor] = milliseconds;
}

float StepTimes::Get(StepPhase phase, int index) const
{
    return (index >= 0 && index < kStepRingSize) ? m_rings[phase][index] : 0.0f;
}

float StepTimes::Average(StepPhase phase) const
{
    float sum = 0.0f;
    for (float milliseconds : m_rings[phase])
        sum += milliseconds;
    return sum / kStepRingSize;
}

void StepTimes::AddSample(uint64_t microseconds)
{
    if (m_sampleCount < kStepSampleCapacity)
        m_samples[m_sampleCount++] = microseconds;
}
