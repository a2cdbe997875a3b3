#include "fx/EParticleSystem.h"

#include "core/Mat4.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementPool.h"
#include "fx/FXPool.h"
#include "fx/FXRenderPass.h"

#include <cmath>

namespace
{
constexpr float kTwoPi = 6.2831854820251465f;
constexpr float kDegreesToRadians = 0.01745329238474369f;
constexpr int kQuadCornerOrder[4] = {0, 1, 3, 2};

struct ParticlePools
{
    FXPool<FXParticleBatch, kFXMaxParticleBatches> batches;
    FXPool<FXParticle, kFXMaxParticles> particles;
};

ParticlePools& Pools()
{
    static ParticlePools pools;
    return pools;
}

// Resetting the systems' pool resets the batches and particles they held.
class ParticleSystemPool : public FXElementPoolOf<EParticleSystem, kFXMaxParticleSystems>
{
public:
    void Reset() override
    {
        FXElementPoolOf::Reset();
        Pools().batches.Reset();
        Pools().particles.Reset();
    }
};

float Lerp(float t, float a, float b)
{
    return a + (b - a) * t;
}

// Clamped to the pool before conversion: a huge curve value must not overflow.
int ClampedCount(float x)
{
    if (!(x > 0.0f))
        return 0;
    if (x >= static_cast<float>(kFXMaxParticles))
        return kFXMaxParticles;
    return static_cast<int>(x);
}

// The fraction becomes one more particle as often as it says.
int StochasticCount(float x)
{
    const int whole = ClampedCount(x);
    if (whole >= kFXMaxParticles || !(x > 0.0f))
        return whole;
    return FXRandomUnit() <= x - static_cast<float>(whole) ? whole + 1 : whole;
}

// Tilts v by the angle about +X, then spins it a random amount about +Z, in
// the sense of Mat4SetRotationAxisAngle: +Z lands on a cone of that
// half-angle. Written out rather than as a matrix product, since emission and
// turns run it per particle.
Vec3 RandomTurn(const Vec3& v, float angle)
{
    if (!(Vec3LengthSquared(v) > 0.0f))
        return v;
    const float spin = FXRandomUnit() * kTwoPi;
    const float c = std::cos(angle), s = std::sin(angle);
    const Vec3 tilted(v.x, c * v.y - s * v.z, s * v.y + c * v.z);
    const float cs = std::cos(spin), ss = std::sin(spin);
    return Vec3(cs * tilted.x - ss * tilted.y, ss * tilted.x + cs * tilted.y, tilted.z);
}

Vec3 ConeDirection(float minDegrees, float maxDegrees)
{
    const float degrees = minDegrees + FXRandomUnit() * (maxDegrees - minDegrees);
    return RandomTurn(Vec3(0, 0, 1), degrees * kDegreesToRadians);
}

float RandomBetween(float low, float high)
{
    return low + FXRandomUnit() * (high - low);
}

void ReleaseParticles(FXParticleBatch& batch)
{
    FXParticle* particle = batch.particles;
    batch.particles = nullptr;
    while (particle != nullptr)
    {
        FXParticle* next = particle->next;
        particle->next = nullptr;
        Pools().particles.Release(particle);
        particle = next;
    }
}

void ReleaseBatch(FXParticleBatch* batch)
{
    ReleaseParticles(*batch);
    batch->next = nullptr;
    Pools().batches.Release(batch);
}

// What every particle of one emission shares: the curves at the element's age.
struct EmissionShape
{
    Vec3 direction;
    Mat4 toDirection;
    bool turned;
    float distance[2], speed[2];
    float offsetCone[2], velocityCone[2];
};
} // namespace

// The interval has cursor 0, the rate and the shape curves the ones after it.
float EParticleSystem::Curve(FXEmitterCurve curve, float age)
{
    return cursors[curve == kFXEmitInterval ? 0 : curve - kFXEmitRate + 1].GetVatT(age);
}

void EParticleSystem::Start()
{
    cursors[0].SetDef(&def->particleCurves[kFXEmitInterval - 1]);
    for (int p = kFXEmitRate; p <= kFXEmitDirectionZ; ++p)
        cursors[p - kFXEmitRate + 1].SetDef(&def->particleCurves[p - 1]);
    emitPositionCount = 0;
    emitPositions = nullptr;
    batches = nullptr;
    started = 0;
    intervalTimer = FXTimer();
    rate = 0.0f;
    attractorSet = 0.0f;
    attractorPoint = Vec3(0, 0, 0);
    colourMultiply = Vec3(1, 1, 1);
}

void EParticleSystem::Stop()
{
    emitPositionCount = 0;
    emitPositions = nullptr;
    while (batches != nullptr)
    {
        FXParticleBatch* next = batches->next;
        ReleaseBatch(batches);
        batches = next;
    }
}

void EParticleSystem::SetParam2(const void* value, int32_t kind)
{
    if (kind != kFXParamEmitPositions)
        return;
    const FXEmitPositions* points = static_cast<const FXEmitPositions*>(value);
    const bool usable = points != nullptr && points->count >= 1 && points->positions != nullptr;
    emitPositionCount = usable ? points->count : 0;
    emitPositions = usable ? points->positions : nullptr;
}

void EParticleSystem::SetParam3(const Vec3* value, int32_t kind)
{
    if (value == nullptr)
        return;
    if (kind == kFXParamAttractor)
    {
        attractorPoint = *value;
        attractorSet = 1.0f;
    }
    else if (kind == kFXParamColourMultiply)
    {
        colourMultiply = *value;
    }
}

void EParticleSystem::SetParamScalar(float value, int32_t kind)
{
    if (kind == kFXParamRateAdd)
        rate = value;
}

void EParticleSystem::Update(float dt)
{
    const float age = Age();
    const float lod = owner->lod;
    bool newBatch = true;
    int count = 0;
    if (!started)
    {
        const float initialFactor = Lerp(lod, def->lowLodMultiply[1], 1.0f);
        count = ClampedCount(static_cast<float>(def->initialParticleCount) * initialFactor);
    }
    else
    {
        const float intervalFactor = Lerp(1.0f - lod, 1.0f, def->lowLodMultiply[0]);
        const float rateFactor = Lerp(lod, def->lowLodMultiply[2], 1.0f);
        newBatch = !intervalTimer.IsStarted() || intervalTimer.GetTime() > Curve(kFXEmitInterval, age) * intervalFactor;
        count = StochasticCount((Curve(kFXEmitRate, age) + rate) * rateFactor);
    }
    ExpireAndUpdateBatches(dt);
    if (count > 0)
    {
        if (!newBatch && batches != nullptr)
            Emit(*batches, count, age);
        else
            OpenBatch(count, age);
    }
    started = 1;
}

void EParticleSystem::ExpireAndUpdateBatches(float dt)
{
    FXParticleBatch** link = &batches;
    while (*link != nullptr)
    {
        FXParticleBatch* batch = *link;
        if (batch->timer.GetTime() > def->particleLifeTime)
        {
            *link = batch->next;
            ReleaseBatch(batch);
            continue;
        }
        UpdateBatch(*batch, dt);
        link = &batch->next;
    }
}

void EParticleSystem::OpenBatch(int count, float age)
{
    FXParticleBatch* batch = Pools().batches.Take();
    if (batch == nullptr)
        return;
    batch->particles = nullptr;
    batch->next = batches;
    batches = batch;
    const InterpDef* curves[kFXBatchP2] = {&def->sizeCurve, &def->stretchCurve, &def->redCurve,
                                           &def->greenCurve, &def->blueCurve, &def->alphaCurve,
                                           &def->spinSpeedCurve};
    for (int i = 0; i < kFXBatchP2; ++i)
        batch->cursors[i].SetDef(curves[i]);
    for (int p = 2; p <= 9; ++p)
        batch->cursors[kFXBatchP2 + p - 2].SetDef(&def->particleCurves[p - 1]);
    batch->timer.Start();
    batch->colour[0] = FXColourByte(batch->cursors[kFXBatchRed].GetVatT(0.0f) * 255.0f * colourMultiply.x);
    batch->colour[1] = FXColourByte(batch->cursors[kFXBatchGreen].GetVatT(0.0f) * 255.0f * colourMultiply.y);
    batch->colour[2] = FXColourByte(batch->cursors[kFXBatchBlue].GetVatT(0.0f) * 255.0f * colourMultiply.z);
    batch->colour[3] = FXColourByte(owner->GetFade() * 255.0f * batch->cursors[kFXBatchAlpha].GetVatT(0.0f));
    batch->spin = batch->cursors[kFXBatchSpin].GetVatT(0.0f);
    batch->sizeAdd = FXRandomUnit() * def->sizeRandomAddMax;
    batch->size = batch->sizeAdd + batch->cursors[kFXBatchSize].GetVatT(0.0f);
    batch->stretch = batch->cursors[kFXBatchStretch].GetVatT(0.0f);
    if (Emit(*batch, count, age) > 0)
    {
        intervalTimer.Start();
        return;
    }
    batches = batch->next;
    ReleaseBatch(batch);
}

int EParticleSystem::Emit(FXParticleBatch& batch, int count, float age)
{
    EmissionShape shape;
    shape.direction = Vec3Normalized(Vec3(Curve(kFXEmitDirectionX, age), Curve(kFXEmitDirectionY, age), Curve(kFXEmitDirectionZ, age)));
    if (Vec3LengthSquared(shape.direction) < 0.1f * 0.1f)
        shape.direction = Vec3(0, 0, 1);
    shape.turned = Vec3NotEqual(shape.direction, Vec3(0, 0, 1));
    if (shape.turned)
    {
        const Vec3 up = std::fabs(shape.direction.y) > 0.9f ? Vec3(0, 0, 1) : Vec3(0, 1, 0);
        shape.toDirection = Mat4Identity();
        Mat4FromForwardUp(shape.toDirection, shape.direction, up);
    }
    shape.distance[0] = Curve(kFXEmitDistanceLow, age);
    shape.distance[1] = Curve(kFXEmitDistanceHigh, age);
    shape.speed[0] = Curve(kFXEmitSpeedLow, age);
    shape.speed[1] = Curve(kFXEmitSpeedHigh, age);
    shape.offsetCone[0] = Curve(kFXEmitOffsetConeLow, age);
    shape.offsetCone[1] = Curve(kFXEmitOffsetConeHigh, age);
    shape.velocityCone[0] = Curve(kFXEmitVelocityConeLow, age);
    shape.velocityCone[1] = Curve(kFXEmitVelocityConeHigh, age);

    const Mat4& matrix = owner->matrix;
    int emitted = 0;
    for (; emitted < count; ++emitted)
    {
        FXParticle* particle = Pools().particles.Take();
        if (particle == nullptr)
            break;
        particle->next = batch.particles;
        batch.particles = particle;

        bool cone = false;
        Vec3 offsetDirection(0, 0, 0);
        if (shape.offsetCone[1] >= 0.0f)
        {
            offsetDirection = ConeDirection(shape.offsetCone[0], shape.offsetCone[1]);
            cone = true;
        }
        Vec3 offset = offsetDirection * RandomBetween(shape.distance[0], shape.distance[1]);
        Vec3 velocityDirection(0, 0, 0);
        if (def->usePosForVelDirection)
        {
            velocityDirection = offsetDirection;
        }
        else if (shape.velocityCone[1] >= 0.0f)
        {
            velocityDirection = ConeDirection(shape.velocityCone[0], shape.velocityCone[1]);
            cone = true;
        }
        Vec3 velocity = velocityDirection * RandomBetween(shape.speed[0], shape.speed[1]);
        if (cone && shape.turned)
        {
            offset = Mat4RotateVec3(shape.toDirection, offset);
            velocity = Mat4RotateVec3(shape.toDirection, velocity);
        }
        if (emitPositionCount > 0)
        {
            int index = static_cast<int>(FXRandomUnit() * static_cast<float>(emitPositionCount));
            if (index >= emitPositionCount)
                index = emitPositionCount - 1;
            offset += emitPositions[index];
        }
        if (def->absoluteParticlePositions)
        {
            particle->position = Mat4TransformPoint(matrix, offset);
            particle->velocity = Mat4RotateVec3(matrix, velocity);
            if (attractorSet != 0.0f)
                particle->position += (attractorPoint - particle->position) * FXRandomUnit();
        }
        else
        {
            particle->position = offset;
            particle->velocity = velocity;
        }
    }
    return emitted;
}

void EParticleSystem::UpdateBatch(FXParticleBatch& batch, float dt)
{
    const float t = batch.timer.GetTime();
    Interp* c = batch.cursors;
    batch.size = batch.sizeAdd + c[kFXBatchSize].GetVatT(t);
    batch.stretch = c[kFXBatchStretch].GetVatT(t);
    batch.colour[0] = FXColourByte(c[kFXBatchRed].GetVatT(t) * 255.0f * colourMultiply.x);
    batch.colour[1] = FXColourByte(c[kFXBatchGreen].GetVatT(t) * 255.0f * colourMultiply.y);
    batch.colour[2] = FXColourByte(c[kFXBatchBlue].GetVatT(t) * 255.0f * colourMultiply.z);
    batch.colour[3] = FXColourByte(owner->GetFade() * 255.0f * c[kFXBatchAlpha].GetVatT(t));
    batch.spin += c[kFXBatchSpin].GetVatT(t) * dt;
    MoveParticles(batch, dt);
}

void EParticleSystem::MoveParticles(FXParticleBatch& batch, float dt)
{
    const float t = batch.timer.GetTime();
    Interp* p = batch.cursors + kFXBatchP2 - 2; // p[n] follows Pn
    const float drag = p[2].GetVatT(t);
    const float limit = p[3].GetVatT(t);
    const float turnChance = p[5].GetVatT(t);
    const float turnAngle = turnChance > 0.0f ? p[4].GetVatT(t) : 0.0f;
    const float pull = p[6].GetVatT(t);
    const bool turns = turnChance > 0.0f && turnAngle != 0.0f;
    if (drag == 1.0f && limit < 0.0f && !turns && pull == 0.0f)
    {
        for (FXParticle* particle = batch.particles; particle != nullptr; particle = particle->next)
            particle->position += particle->velocity * dt;
        return;
    }
    Vec3 point(0, 0, 0);
    if (pull != 0.0f)
    {
        point = Vec3(p[7].GetVatT(t), p[8].GetVatT(t), p[9].GetVatT(t));
        if (def->absoluteParticlePositions)
            point = Mat4TransformPoint(owner->matrix, point);
    }
    for (FXParticle* particle = batch.particles; particle != nullptr; particle = particle->next)
    {
        Vec3& velocity = particle->velocity;
        velocity *= drag;
        if (pull != 0.0f)
            velocity += Vec3Normalized(point - particle->position) * (pull * dt);
        if (turns && FXRandomUnit() <= turnChance)
            velocity = RandomTurn(velocity, turnAngle);
        if (limit >= 0.0f)
        {
            const float speedSquared = Vec3LengthSquared(velocity);
            if (speedSquared > limit * limit)
                velocity *= limit / std::sqrt(speedSquared);
        }
        particle->position += velocity * dt;
    }
}

void EParticleSystem::Render(const Mat4& instanceMatrix)
{
    FXDrawBatch* drawBatch = FXGetDrawBatch();
    if (drawBatch == nullptr)
        return;
    const float factor = FXDistanceScale(*def, Mat4GetTranslation(instanceMatrix));
    drawBatch->BeginItem(def->texture, def->blend);
    for (const FXParticleBatch* batch = batches; batch != nullptr && !drawBatch->IsFull(); batch = batch->next)
        RenderBatch(*batch, instanceMatrix, factor);
    drawBatch->EndItem();
}

void EParticleSystem::RenderBatch(const FXParticleBatch& batch, const Mat4& instanceMatrix, float factor) const
{
    FXDrawBatch& drawBatch = *FXGetDrawBatch();
    drawBatch.SetColour(batch.colour[0], batch.colour[1], batch.colour[2], batch.colour[3]);
    const float s = batch.size * factor;
    const bool pseudo = def->billboardMode == 2;
    if (def->billboardMode == 0)
        FXCornersOriented(instanceMatrix, batch.spin, batch.stretch);
    else if (!pseudo)
        FXCornersFacing(batch.spin, batch.stretch);
    const FXCornerSet& corners = FXGetCorners();
    const bool absolute = def->absoluteParticlePositions != 0;
    for (const FXParticle* particle = batch.particles; particle != nullptr; particle = particle->next)
    {
        const Vec3 p = absolute ? particle->position : Mat4TransformPoint(instanceMatrix, particle->position);
        Vec3 at[4];
        if (pseudo)
        {
            const Vec3 axis = absolute ? particle->velocity : Mat4RotateVec3(instanceMatrix, particle->velocity);
            FXCornersPseudo(p, axis, 0.0f, batch.stretch, s, at);
        }
        else
        {
            for (int i = 0; i < 4; ++i)
                at[i] = p + corners.corners[i] * s;
        }
        for (int corner : kQuadCornerOrder)
        {
            drawBatch.SetTexcoord(corners.uv[corner][0], corners.uv[corner][1]);
            drawBatch.AddVertex(at[corner].x, at[corner].y, at[corner].z);
        }
    }
}

int EParticleSystem::BatchCount() const
{
    int count = 0;
    for (const FXParticleBatch* batch = batches; batch != nullptr; batch = batch->next)
        ++count;
    return count;
}

int EParticleSystem::ParticleCount() const
{
    int count = 0;
    for (const FXParticleBatch* batch = batches; batch != nullptr; batch = batch->next)
        for (const FXParticle* particle = batch->particles; particle != nullptr; particle = particle->next)
            ++count;
    return count;
}

int FXFreeParticleCount()
{
    return Pools().particles.FreeCount();
}

int FXFreeParticleBatchCount()
{
    return Pools().batches.FreeCount();
}

void EParticleSystemInstallPool()
{
    static ParticleSystemPool pool;
    FXSetElementPool(kFXParticleSystem, &pool);
}
