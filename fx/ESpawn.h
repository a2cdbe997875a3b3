#pragma once
// Starts a child effect by name, once or at a rate, and keeps the child it
// made last placed at an offset from its own instance, turned by two
// direction curves and spun about the child's Z axis. Kills of the parent
// reach that child; the others run on alone.

#include "core/Interp.h"
#include "core/Mat4.h"
#include "core/Rotator.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXelementBase.h"

constexpr int kESpawnPoolSize = 256;

class ESpawn : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& /*instanceMatrix*/) override {}
    void Start() override;
    void Stop() override;
    void SetParamScalar(float /*value*/, int32_t /*kind*/) override {}
    void KillInstant() override;
    void KillByFadeOut(float seconds) override;

    const FX& Child() const { return m_child; }

private:
    // Curves in the order of the SPAWN block.
    enum Curve
    {
        kRate = 0,
        kOffsetX = 1,
        kDirectionX = 4,
        kUpX = 7,
        kSpinSpeed = 10,
    };

    // True when a child was made this step, or the last one is followed.
    bool SpawnIfDue(float age, float dt);
    Vec3 CurveVec3(int first, float age);
    Mat4 OffsetTransform(float age);

    uint8_t m_spawned = 0;
    Rotator m_spin;
    FX m_child;
    Interp m_curves[kFXSpawnCurves];
};
