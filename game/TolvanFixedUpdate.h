#pragma once
// The game's fixed step: entities, the script's GameStep, the UI, messages,
// physics, collision, effects and game time, once per 33330 microseconds.

#include "core/FixedUpdate.h"

#include <cstdint>

constexpr float kFixedStepSeconds = 0.03333f;
constexpr int32_t kMaxStepsPerFrame = 5;

class TolvanFixedUpdate : public FixedUpdate
{
public:
    void Step(float dt) override;
};

extern TolvanFixedUpdate g_fixedUpdate;

// 1 and 2 alternate at every unpaused step.
uint32_t GetStepParity();
// The paused flag as the renderer saw it at the end of the last step.
bool GetPausedMirror();
// True for a step whose input found F3 newly pressed.
bool GetStepLogRequest();
bool IsConsoleVisible();
void SetInGameFlag(bool inGame);
bool GetInGameFlag();
