#pragma once
// Particles emitted in batches: a batch's particles are born together and
// share its age, size, colour and spin; each keeps its own position and
// velocity. Batches and particles come from pools shared by every system.

#include "core/Interp.h"
#include "core/Vec3.h"
#include "fx/FXInstance.h"
#include "fx/FXelementBase.h"

#include <cstdint>

constexpr int kFXMaxParticleSystems = 512;
constexpr int kFXMaxParticleBatches = 4112;
constexpr int kFXMaxParticles = 15000;

struct FXParticle
{
    Vec3 position{0, 0, 0};
    Vec3 velocity{0, 0, 0};
    FXParticle* next = nullptr;
    int32_t liveIndex = -1;
};

// Curves the emitter follows by the effect's age, by their number among the
// definition's particle curves (curve n is particleCurves[n - 1]). The
// pairs are the low and high ends of the range a particle's value is drawn from.
enum FXEmitterCurve
{
    kFXEmitInterval = 1,
    kFXEmitRate = 10,
    kFXEmitDistanceLow,
    kFXEmitDistanceHigh,
    kFXEmitSpeedLow,
    kFXEmitSpeedHigh,
    kFXEmitOffsetConeLow,
    kFXEmitOffsetConeHigh,
    kFXEmitVelocityConeLow,
    kFXEmitVelocityConeHigh,
    kFXEmitDirectionX,
    kFXEmitDirectionY,
    kFXEmitDirectionZ,
};

// Curves a batch follows by its own age.
enum FXBatchCurve
{
    kFXBatchSize,
    kFXBatchStretch,
    kFXBatchRed,
    kFXBatchGreen,
    kFXBatchBlue,
    kFXBatchAlpha,
    kFXBatchSpin,
    kFXBatchP2,
    kFXBatchCurveCount = kFXBatchP2 + 8,
};

struct FXParticleBatch
{
    FXParticle* particles = nullptr;
    float size = 0.0f;
    float stretch = 1.0f;
    uint8_t colour[4] = {0, 0, 0, 0};
    float spin = 0.0f;
    float sizeAdd = 0.0f;
    Interp cursors[kFXBatchCurveCount];
    FXTimer timer;
    FXParticleBatch* next = nullptr;
    int32_t liveIndex = -1;
};

// The kind 3 parameter: points the particles start from, owned by the caller.
struct FXEmitPositions
{
    int32_t count;
    const Vec3* positions;
};

class EParticleSystem : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& instanceMatrix) override;
    void Start() override;
    void Stop() override;
    void SetParam2(const void* value, int32_t kind) override;
    void SetParam3(const Vec3* value, int32_t kind) override;
    void SetParamScalar(float value, int32_t kind) override;

    int BatchCount() const;
    int ParticleCount() const;

    // P1, then P10 to P21.
    Interp cursors[kFXEmitDirectionZ - kFXEmitRate + 2]; // the interval's, then the rate's and on
    int32_t emitPositionCount = 0;
    const Vec3* emitPositions = nullptr;
    FXParticleBatch* batches = nullptr;
    uint8_t started = 0;
    FXTimer intervalTimer;
    float rate = 0.0f;
    float attractorSet = 0.0f;
    Vec3 attractorPoint{0, 0, 0};
    Vec3 colourMultiply{1, 1, 1};

private:
    float Curve(FXEmitterCurve curve, float age);
    void ExpireAndUpdateBatches(float dt);
    void UpdateBatch(FXParticleBatch& batch, float dt);
    void MoveParticles(FXParticleBatch& batch, float dt);
    void OpenBatch(int count, float age);
    int Emit(FXParticleBatch& batch, int count, float age);
    void RenderBatch(const FXParticleBatch& batch, const Mat4& instanceMatrix, float factor) const;
};

int FXFreeParticleCount();
int FXFreeParticleBatchCount();
void EParticleSystemInstallPool();
