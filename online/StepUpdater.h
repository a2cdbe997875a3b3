#pragma once
// The lock-step state of a network game. The host releases a step every
// stepDelta seconds once every live node has reported the last one; a client
// releases a step when the host's go arrives. Each release gives the game
// stepDelta seconds of budget that its fixed steps spend scriptStepDelta at a
// time, so a node may run up to one stepDelta ahead of the release.

#include <cstdint>

struct StepUpdater
{
    int32_t stepNumber = -1;
    float accumulator = 0.0f;
    float budget = 0.0f;
    float stepDelta = 0.0f;
    float scriptStepDelta = 0.0f;
    uint8_t reportDue = 0;
    uint8_t released = 0;

    void Clear() { *this = StepUpdater(); }
    void SetDeltas(float delta, float scriptDelta);
    // Adds the fixed step's time; false while no step delta is set.
    bool Accumulate(float dt);
    bool HasStepDue() const { return accumulator >= stepDelta; }
    // The release that follows a report or a go.
    void Release();
    void Consume();
};
