#pragma once
// Replaces the engine clock for the life of the object, so tests step time
// instead of sleeping. The counter runs in microseconds.

#include <cstdint>

class ManualClock
{
public:
    explicit ManualClock(uint64_t startMicroseconds = 1000000);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void Advance(uint64_t microseconds);
    void Set(uint64_t microseconds);
    uint64_t Now() const;
};
