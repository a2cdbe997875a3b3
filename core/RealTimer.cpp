#include "core/RealTimer.h"

#include "core/Clock.h"

void RealTimer::Start()
{
    m_started = 1;
    m_start = ClockNow();
}

int64_t RealTimer::ElapsedMicroseconds() const
{
    return static_cast<int64_t>(ClockNow() - m_start);
}

float RealTimer::GetTime() const
{
    const uint64_t elapsed = ClockNow() - m_start;
    return static_cast<float>(static_cast<double>(elapsed) / 1e6);
}

void RealTimer::AddTime(float seconds)
{
    m_start += static_cast<int64_t>(seconds * -1e6);
}
