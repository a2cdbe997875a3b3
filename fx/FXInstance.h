#pragma once
// One running copy of an effect definition, and the node that links each of
// its element objects into its list.

#include "core/GameTimer.h"
#include "core/Mat4.h"
#include "core/MoverOneD.h"
#include "core/Vec3.h"

#include <cstdint>

struct FXEffectDef;
struct FXElementDef;
class FXelementBase;

// Game-time channel 1: only FXStep advances it, so effects freeze with the step.
class FXTimer : public GameTimer
{
public:
    FXTimer() : GameTimer(1) {}
};

struct FXElementNode
{
    FXElementNode* next = nullptr;
    const FXElementDef* def = nullptr;
    FXelementBase* element = nullptr;
    int32_t liveIndex = -1;
};

constexpr uint32_t kFXNoSerial = 0xFFFFFFFFu;

struct FXInstance
{
    uint32_t serial = kFXNoSerial;
    Mat4 matrix = Mat4Identity();
    Vec3 velocity{0, 0, 0};
    Vec3 position{0, 0, 0};
    uint8_t dead = 0;
    FXTimer elementTimer;
    uint8_t lodEvaluated = 0;
    uint8_t fadingOut = 0;
    float fadeOutTime = 0.0f;
    FXTimer fadeOutTimer;
    float lod = 0.0f;
    MoverOneD fade;
    FXElementNode* elements = nullptr;
    const FXEffectDef* def = nullptr;
    uint8_t alive = 0;
    int32_t liveIndex = -1;

    void Update(float dt);
    // Sets dead once no element is before the end of its LIFE_TIME.
    void CheckElementsFinished();
    void EvaluateDistanceFirst();
    void EvaluateDistance();
    void KillInstant();
    void KillByFadeOut(float seconds);
    void Destroy();
    float GetFade() const { return fade.GetValue(); }
    int CountElements() const;
    // The element timer less the element's START_DELAY: what its curves are read at.
    float ElementAge(const FXElementDef& element) const;

private:
    // Both ignored while a kill by fade-out runs, so its ramp cannot be undone.
    void SetFadeNow(float value);
    void SetFadeDestination(float value);
    bool NearestAnchorDistanceSquared(float& distanceSquared) const;
    float LodFromDistanceSquared(float distanceSquared) const;
    void LoseAnchor();
};
