#pragma once
// How a fire cell heats, burns and cools: temperatures, fuel, the reach of its
// heat and six curves. Scripts fill the same block through the class
// "FireProperties", so the member order is fixed.

#include "core/InterpDef.h"

struct FireProperties
{
    float m_initialTemperature = 0.0f;
    float m_ignitionTemperature = 0.0f;
    float m_initialfuelamount = 0.0f;
    InterpDef m_FuelRateVsTempInterpD;
    InterpDef m_BurnIntensityVsTempInterpD;
    float m_AffectRadius = 0.0f;
    // Carried for the scripts; the simulation does not use them.
    float m_heatcopacity = 0.0f;
    float m_mass = 0.0f;
    InterpDef m_RadianceEnergyVsIntensityInterpD;
    InterpDef m_TempDeltaVsDistanceInterpD;
    InterpDef m_HeatLossVsTempInterpD;
    InterpDef m_SmolderVsTempInterpD;
};
