#include "core/FixedUpdate.h"

#include "core/Clock.h"

void FixedUpdate::Run(float stepSeconds, int32_t maxSteps, bool fixed, bool noConsume)
{
    const uint64_t now = ClockNow();
    uint64_t elapsed = now - m_last;
    float stepArgument = stepSeconds;
    uint64_t stepUs = static_cast<uint64_t>(static_cast<double>(stepSeconds) * 1e6);

    if (!fixed)
    {
        stepArgument = static_cast<float>(static_cast<double>(elapsed) / 1e6);
        stepUs = elapsed;
    }
    else if (m_steps == 0 && elapsed < stepUs)
    {
        elapsed = stepUs; // the first call after a reset always runs one step
    }

    if (!fixed || m_steps == 0 || elapsed >= stepUs)
    {
        int32_t count = 0;
        do
        {
            Step(stepArgument);
            ++m_steps;
            if (!noConsume)
                elapsed -= stepUs;
            ++count;
        } while (count < maxSteps && elapsed >= stepUs);
    }

    m_last = now - elapsed;
    if (elapsed >= stepUs)
        m_last = now; // drop the backlog rather than catch it up in later frames
}

void FixedUpdate::Reset()
{
    m_last = ClockNow();
    m_paused = 0;
    m_steps = 0;
}

void FixedUpdate::SetPaused(bool paused)
{
    if (paused == IsPaused())
        return;
    if (!paused)
        m_last = ClockNow(); // never step the time spent paused
    m_paused = paused ? 1 : 0;
}
