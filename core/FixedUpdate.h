#pragma once
// The fixed-step driver: calls Step once per whole step of elapsed wall time,
// at most maxSteps times a call, carrying the remainder below one step to the
// next call and dropping any backlog beyond the limit.

#include <cstdint>

class FixedUpdate
{
public:
    virtual ~FixedUpdate() = default;
    virtual void Step(float seconds) = 0;

    void Run(float stepSeconds, int32_t maxSteps, bool fixed, bool noConsume);
    void Reset();
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused != 0; }
    uint32_t GetStepCount() const { return m_steps; }

private:
    uint64_t m_last = 0;
    uint8_t m_paused = 0;
    uint32_t m_steps = 0;
};
