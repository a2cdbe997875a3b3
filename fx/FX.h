#pragma once
// The handle game code and scripts hold instead of an effect instance: safe
// to use after the instance died and its slot was reused, because the serial
// numbers then differ. Also the effect system's step and life cycle.

#include "core/Mat4.h"
#include "core/Vec3.h"
#include "fx/FXInstance.h"

#include <cstdint>

class FX
{
public:
    static void CreateFX(uint32_t nameHash, FX& handle);
    static void KillAllEffectsInstant();

    bool IsValid() const { return instance != nullptr && instance->serial == serial; }
    bool StillAlive() const { return IsValid() && instance->alive; }
    void SetPos(const Vec3& position) const;
    void SetMat(const Mat4& matrix) const;
    void SetVelocity(const Vec3& velocity) const;
    void KillInstant() const;
    // Exactly 0 kills at once.
    void KillByFadeOut(float seconds) const;
    void SetParticleRateAddNthPrimitive(float value, int32_t kind, int n) const;
    void SetRGBMultiplyNthPrimitive(const Vec3& colour, int32_t kind, int n) const;
    void SetEmitPositionsNthPrimitive(const void* positions, int32_t kind, int n) const;

    FXInstance* instance = nullptr;
    uint32_t serial = kFXNoSerial;

private:
    FXelementBase* NthElement(int n) const;
};

constexpr int kFXMaxInstances = 1028;
constexpr int kFXMaxElementNodes = 1028;

void FXStep(float dt);
void FXSystemReset();
void FXSystemShutdown();
// Every pool to its start; live instances are destroyed first.
void FXResetPools();

float FXGetLodScale();
void FXSetLodScale(float scale);
int FXLiveInstanceCount();
FXInstance* FXGetLiveInstance(int index);
int FXLiveNodeCount();
