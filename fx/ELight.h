#pragma once
// One point light of the light manager, at the instance's position, its
// values read from eight curves at the element's age. The light lives from
// the element's first update to its stop.

#include "core/Interp.h"
#include "fx/FXDefinitions.h"
#include "fx/FXelementBase.h"

constexpr int kELightPoolSize = 1000;
constexpr uint32_t kELightNone = 0xFFFFFFFFu;

class ELight : public FXelementBase
{
public:
    void Update(float dt) override;
    void Render(const Mat4& /*instanceMatrix*/) override {}
    void Start() override;
    void Stop() override { DeleteLight(); }
    void SetParamScalar(float /*value*/, int32_t /*kind*/) override {}
    void KillInstant() override { DeleteLight(); }

    uint32_t Light() const { return m_light; }

private:
    void DeleteLight();

    uint32_t m_light = kELightNone;
    Interp m_curves[kFXLightCurves];
};
