#include "fx/ELight.h"

#include "cross/LightManager.h"
#include "fx/FXInstance.h"

void ELight::Start()
{
    m_light = kELightNone;
    for (int i = 0; i < kFXLightCurves; ++i)
        m_curves[i].SetDef(&def->lightCurves[i]);
}

void ELight::Update(float)
{
    LightManager& lights = LightManagerInstance();
    if (m_light == kELightNone)
    {
        m_light = lights.AddPointLight(PointLight());
        if (m_light == kELightNone)
            return;
        lights.ActivateLight(m_light, true);
    }
    const float age = owner->ElementAge(*def);
    float values[kFXLightCurves];
    for (int i = 0; i < kFXLightCurves; ++i)
        values[i] = m_curves[i].GetVatT(age);
    lights.SetPointLight(m_light, owner->position, values);
}

void ELight::DeleteLight()
{
    if (m_light != kELightNone)
        LightManagerInstance().DeleteLight(m_light);
    m_light = kELightNone;
}
