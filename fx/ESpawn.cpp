#include "fx/ESpawn.h"

#include "core/Random.h"
#include "fx/FXInstance.h"

void ESpawn::Start()
{
    m_spawned = 0;
    m_child = FX();
    for (int i = 0; i < kFXSpawnCurves; ++i)
        m_curves[i].SetDef(&def->spawnCurves[i]);
    m_spin.Reset();
    // So the spin takes up its speed curve's value at once.
    m_spin.SetAcceleration(1000000.0f);
    m_spin.SetTargetRotVel(0.0f);
}

bool ESpawn::SpawnIfDue(float age, float dt)
{
    if (!m_spawned)
    {
        m_spawned = 1;
        FX::CreateFX(def->spawnHash, m_child);
        return true;
    }
    if (def->spawnOnce)
        return true;
    // A rate of 0 never spawns, even when the draw is 0.
    const float chance = m_curves[kRate].GetVatT(age) * dt;
    if (!(chance > 0.0f) || chance < Rand() / static_cast<float>(kRandMax))
        return false;
    FX::CreateFX(def->spawnHash, m_child);
    return true;
}

Vec3 ESpawn::CurveVec3(int first, float age)
{
    return Vec3(m_curves[first].GetVatT(age), m_curves[first + 1].GetVatT(age), m_curves[first + 2].GetVatT(age));
}

Mat4 ESpawn::OffsetTransform(float age)
{
    const Vec3 z = Vec3Normalized(CurveVec3(kDirectionX, age));
    const Vec3 up = Vec3Normalized(CurveVec3(kUpX, age));
    const Vec3 x = Vec3Normalized(Vec3Cross(up, z));
    const Vec3 y = Vec3Normalized(Vec3Cross(z, x));
    Mat4 offset = Mat4Identity();
    const Vec3 columns[3] = {x, y, z};
    for (int c = 0; c < 3; ++c)
    {
        offset[c * 4 + 0] = columns[c].x;
        offset[c * 4 + 1] = columns[c].y;
        offset[c * 4 + 2] = columns[c].z;
    }
    Mat4SetTranslation(offset, CurveVec3(kOffsetX, age));
    const float spin = m_spin.GetRotation();
    if (spin != 0.0f)
    {
        Mat4 turn = Mat4Identity();
        Mat4SetRotationAxisAngle(turn, spin, Vec3(0.0f, 0.0f, 1.0f));
        offset = Mat4Multiply(offset, turn);
    }
    return offset;
}

void ESpawn::Update(float dt)
{
    // A parent killed this step would make a child that no kill reaches.
    if (owner->dead)
        return;
    const float age = owner->ElementAge(*def);
    if (!SpawnIfDue(age, dt) || !m_child.IsValid())
        return;
    m_spin.SetTargetRotVel(m_curves[kSpinSpeed].GetVatT(age));
    m_spin.Update(dt);
    m_child.SetMat(Mat4Multiply(owner->matrix, OffsetTransform(age)));
    m_child.SetVelocity(owner->velocity);
}

void ESpawn::Stop()
{
    // The child runs on and ends by its own definition.
    m_spawned = 0;
}

void ESpawn::KillInstant()
{
    m_child.KillInstant();
}

void ESpawn::KillByFadeOut(float seconds)
{
    m_child.KillByFadeOut(seconds);
}
