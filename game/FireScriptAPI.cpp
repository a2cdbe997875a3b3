#include "game/FireScriptAPI.h"

#include "game/FireAreas.h"
#include "script/ScriptArguments.h"

#include <cstddef>

namespace
{
// A proxy holds the area's id, never the area: after FireAreas_Clear it finds nothing.
struct FireInterfaceProxy
{
    uint32_t id = 0;
};

const char* const kPropertiesClass = "FireProperties";
const char* const kProxyClass = "FireInterfaceProxy";

Vec3* ArgVec3(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* vector = nullptr;
    return ScriptCheckInstance(vm, index, vector) ? vector : nullptr;
}

FireInterfaceProxy* ArgProxy(HSQUIRRELVM vm, SQInteger index)
{
    FireInterfaceProxy* proxy = nullptr;
    return ScriptCheckInstance(vm, index, kProxyClass, proxy) ? proxy : nullptr;
}

SQInteger FireProperties_constructor(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<FireProperties>(vm))
        return sq_throwerror(vm, "FireProperties: the instance holds no properties");
    return 0;
}

SQInteger FireInterfaceProxy_constructor(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<FireInterfaceProxy>(vm))
        return sq_throwerror(vm, "FireInterfaceProxy: the instance holds no proxy");
    return 0;
}

// A proxy pointing at no area makes its methods do nothing.
SQInteger FireInterfaceProxy_SetNextFireProperties(HSQUIRRELVM vm)
{
    FireInterfaceProxy* proxy = ArgProxy(vm, 1);
    FireProperties* properties = nullptr;
    if (!proxy || !ScriptCheckInstance(vm, 2, kPropertiesClass, properties))
        return SQ_ERROR;
    if (FireInterface* area = GetFireAreas().GetProxyFromID(proxy->id))
        area->SetNextFireProperties(*properties);
    return 0;
}

SQInteger FireInterfaceProxy_AddCellPoint(HSQUIRRELVM vm)
{
    FireInterfaceProxy* proxy = ArgProxy(vm, 1);
    const Vec3* point = ArgVec3(vm, 2);
    if (!proxy || !point)
        return SQ_ERROR;
    if (FireInterface* area = GetFireAreas().GetProxyFromID(proxy->id))
        area->AddCellPoint(*point);
    return 0;
}

SQInteger FireAreas_AddFireArea(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, static_cast<int>(GetFireAreas().AddFireArea()));
}

SQInteger FireAreas_Clear(HSQUIRRELVM)
{
    GetFireAreas().Clear();
    return 0;
}

SQInteger FireAreas_Update(HSQUIRRELVM vm)
{
    float dt = 0.0f;
    if (!ScriptArgFloat(vm, 2, dt))
        return ScriptBadArgument(vm);
    GetFireAreas().Update(dt);
    return 0;
}

SQInteger FireAreas_FinaliseAddingInFireArea(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    GetFireAreas().FinaliseAddingInFireArea(static_cast<uint32_t>(id));
    return 0;
}

SQInteger FireAreas_GetProxyFromID(HSQUIRRELVM vm)
{
    FireInterfaceProxy* proxy = ArgProxy(vm, 2);
    int id = 0;
    if (!proxy)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 3, id))
        return ScriptBadArgument(vm);
    proxy->id = GetFireAreas().GetProxyFromID(static_cast<uint32_t>(id)) ? static_cast<uint32_t>(id) : 0;
    return 0;
}

SQInteger FireAreas_StartFires(HSQUIRRELVM vm)
{
    const Vec3* point = ArgVec3(vm, 2);
    float radius = 0.0f;
    if (!point)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 3, radius))
        return ScriptBadArgument(vm);
    GetFireAreas().StartFires(*point, radius);
    return 0;
}

const ScriptVarDesc kPropertyMembers[] = {
    ScriptVarMember("m_initialTemperature", kScriptVarFloat, offsetof(FireProperties, m_initialTemperature)),
    ScriptVarMember("m_ignitionTemperature", kScriptVarFloat, offsetof(FireProperties, m_ignitionTemperature)),
    ScriptVarMember("m_initialfuelamount", kScriptVarFloat, offsetof(FireProperties, m_initialfuelamount)),
    ScriptVarNested("m_FuelRateVsTempInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_FuelRateVsTempInterpD)),
    ScriptVarNested("m_BurnIntensityVsTempInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_BurnIntensityVsTempInterpD)),
    ScriptVarMember("m_AffectRadius", kScriptVarFloat, offsetof(FireProperties, m_AffectRadius)),
    ScriptVarMember("m_heatcopacity", kScriptVarFloat, offsetof(FireProperties, m_heatcopacity)),
    ScriptVarMember("m_mass", kScriptVarFloat, offsetof(FireProperties, m_mass)),
    ScriptVarNested("m_RadianceEnergyVsIntensityInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_RadianceEnergyVsIntensityInterpD)),
    ScriptVarNested("m_TempDeltaVsDistanceInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_TempDeltaVsDistanceInterpD)),
    ScriptVarNested("m_HeatLossVsTempInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_HeatLossVsTempInterpD)),
    ScriptVarNested("m_SmolderVsTempInterpD", kScriptVarEmbedded, "InterpDef",
                    offsetof(FireProperties, m_SmolderVsTempInterpD)),
    ScriptVarEnd(),
};
const ScriptVarDesc kNoMembers[] = {ScriptVarEnd()};
} // namespace

void RegisterFireScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kPropertiesClass, sizeof(FireProperties), kPropertyMembers,
                    FireProperties_constructor);
    ScriptBindClass(handle, vm, kProxyClass, sizeof(FireInterfaceProxy), kNoMembers, FireInterfaceProxy_constructor)
        .AddMethod("SetNextFireProperties", FireInterfaceProxy_SetNextFireProperties)
        .AddMethod("AddCellPoint", FireInterfaceProxy_AddCellPoint);
    ScriptBindGlobalFunction(vm, "FireAreas_AddFireArea", FireAreas_AddFireArea);
    ScriptBindGlobalFunction(vm, "FireAreas_Clear", FireAreas_Clear);
    ScriptBindGlobalFunction(vm, "FireAreas_Update", FireAreas_Update, ".n");
    ScriptBindGlobalFunction(vm, "FireAreas_FinaliseAddingInFireArea", FireAreas_FinaliseAddingInFireArea, ".i");
    ScriptBindGlobalFunction(vm, "FireAreas_GetProxyFromID", FireAreas_GetProxyFromID, ".xi");
    ScriptBindGlobalFunction(vm, "FireAreas_StartFires", FireAreas_StartFires, ".xn");
}
