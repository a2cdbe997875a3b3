#pragma once
// What every element kind of an effect instance is: the instance calls the
// same operations on each, whatever its kind.

#include <cstdint>

struct FXElementDef;
struct FXInstance;
struct Mat4;
struct Vec3;

// The kinds of parameter the Nth-element calls pass.
enum FXParamKind : int32_t
{
    kFXParamSizeAdd = 0,
    kFXParamAttractor = 1,
    kFXParamRateAdd = 2,
    kFXParamEmitPositions = 3,
    kFXParamColourMultiply = 4,
};

class FXelementBase
{
public:
    virtual ~FXelementBase() = default;
    virtual void Update(float dt) = 0;
    virtual bool IsDrawnInPass(int pass) const { return pass == 1; }
    virtual void Render(const Mat4& instanceMatrix) = 0;
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual void SetParam2(const void* /*value*/, int32_t /*kind*/) {}
    virtual void SetParam3(const Vec3* /*value*/, int32_t /*kind*/) {}
    virtual void SetParamScalar(float value, int32_t kind) = 0;
    virtual void KillInstant() {}
    virtual void KillByFadeOut(float /*seconds*/) {}

    // The owner's element time less this element's start delay.
    float Age() const;

    const FXElementDef* def = nullptr;
    FXInstance* owner = nullptr;
    int32_t liveIndex = -1;
};

// A random number in [0, 1] from the engine's generator.
float FXRandomUnit();
