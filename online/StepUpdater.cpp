#include "online/StepUpdater.h"

namespace
{
// A node this far behind gives up on catching up step by step.
constexpr float kCatchUpLimitSteps = 11.0f;
} // namespace

void StepUpdater::SetDeltas(float delta, float scriptDelta)
{
    accumulator = 0.0f;
    stepDelta = delta;
    stepNumber = -1;
    scriptStepDelta = scriptDelta;
}

bool StepUpdater::Accumulate(float dt)
{
    if (stepDelta == 0.0f)
        return false;
    accumulator += dt;
    return true;
}

void StepUpdater::Release()
{
    released = 1;
    budget += stepDelta;
    accumulator -= stepDelta;
    // Cut to one step, so the next release is due at once and the game keeps
    // stepping (a negative cut would freeze every peer for seconds).
    if (accumulator > kCatchUpLimitSteps * stepDelta)
        accumulator = stepDelta;
    ++stepNumber;
    reportDue = 0;
}

void StepUpdater::Consume()
{
    budget -= scriptStepDelta;
    if (budget < -stepDelta)
        released = 0;
}
