#include "core/Clock.h"

#include <ctime>

namespace
{
int64_t MonotonicCounter()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int64_t MonotonicFrequency()
{
    return 1000000000;
}

const ClockSource kSystemSource = {MonotonicCounter, MonotonicFrequency};
const ClockSource* g_source = &kSystemSource;
uint64_t g_lastTick = 0;
} // namespace

void ClockSetSource(const ClockSource* source)
{
    g_source = source ? source : &kSystemSource;
}

uint64_t ClockMicrosecondsFromCounter(int64_t counter, int64_t frequency)
{
    if (frequency <= 0 || counter < 0)
        return 0;
    int64_t k = 1;
    if (counter < INT64_MAX / 1000)
        k = 1000;
    else if (counter < INT64_MAX / 100)
        k = 100;
    else if (counter < INT64_MAX / 10)
        k = 10;
    const int64_t divisor = frequency / (1000000 / k);
    if (divisor == 0)
    {
        // A counter slower than the divisor's grain: fall back to floating point.
        const long double microseconds = static_cast<long double>(counter) * 1e6L / frequency;
        return microseconds >= 18446744073709551615.0L ? UINT64_MAX : static_cast<uint64_t>(microseconds);
    }
    return static_cast<uint64_t>((counter * k) / divisor);
}

bool ClockMicroseconds(uint64_t& microseconds)
{
    microseconds = ClockMicrosecondsFromCounter(g_source->counter(), g_source->frequency());
    return true;
}

uint64_t ClockNow()
{
    uint64_t now;
    ClockMicroseconds(now);
    return now;
}

void ClockTick()
{
    g_lastTick = ClockNow();
}

uint64_t ClockLastTick()
{
    return g_lastTick;
}
