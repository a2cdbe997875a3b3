#include "game/StepTimes.h"

#include "core/pd_ofstream.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

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

namespace
{
constexpr uint32_t kSampleLinesPerFlush = 10000;

void WriteText(pd_ofstream& log, const char* text)
{
    log.Write(text, strlen(text));
}
} // namespace

void StepTimes::WriteSampleLog(pd_ofstream& log) const
{
    const uint32_t n = m_sampleCount;
    if (n <= 3)
        return;
    uint64_t sum = 0;
    for (uint32_t i = 2; i <= n - 2; ++i)
        sum += m_samples[i];
    char line[96];
    snprintf(line, sizeof line, "avg: %lld microseconds (%d steps)\n", static_cast<long long>(sum / (n - 3)),
             static_cast<int>(n - 3));
    WriteText(log, line);

    uint64_t endAverage = 0;
    if (n >= kStepEndSamples)
    {
        uint64_t endSum = 0;
        for (uint32_t i = n - kStepEndSamples; i < n; ++i)
            endSum += m_samples[i];
        endAverage = endSum / kStepEndSamples;
    }
    snprintf(line, sizeof line, "avg at end: %lld microseconds (900 steps)\n", static_cast<long long>(endAverage));
    WriteText(log, line);

    for (uint32_t i = 2; i <= n - 2; ++i)
    {
        snprintf(line, sizeof line, "%lld\n", static_cast<long long>(m_samples[i]));
        WriteText(log, line);
        if (i % kSampleLinesPerFlush == 0)
            log.Flush();
    }
    log.Flush();
}
