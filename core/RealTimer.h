#pragma once
// A stopwatch on the microsecond wall clock; it runs on while the game is paused.

#include <cstdint>

class RealTimer
{
public:
    void Start();
    bool IsStarted() const { return m_started != 0; }
    int64_t ElapsedMicroseconds() const;
    float GetTime() const;
    void AddTime(float seconds);

private:
    uint64_t m_start = 0;
    uint8_t m_started = 0;
};
