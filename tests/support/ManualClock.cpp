#include "support/ManualClock.h"

#include "core/Clock.h"

namespace
{
int64_t g_counter = 0;
int64_t Counter()
{
    return g_counter;
}
int64_t Frequency()
{
    return 1000000;
}
const ClockSource kManualSource = {Counter, Frequency};
} // namespace

ManualClock::ManualClock(uint64_t startMicroseconds)
{
    g_counter = static_cast<int64_t>(startMicroseconds);
    ClockSetSource(&kManualSource);
}

ManualClock::~ManualClock()
{
    ClockSetSource(nullptr);
}

void ManualClock::Advance(uint64_t microseconds)
{
    g_counter += static_cast<int64_t>(microseconds);
}
void ManualClock::Set(uint64_t microseconds)
{
    g_counter = static_cast<int64_t>(microseconds);
}
uint64_t ManualClock::Now() const
{
    return static_cast<uint64_t>(g_counter);
}
