#include "cross/CameraScriptAPI.h"

#include "core/Vec2.h"
#include "core/Vec3.h"
#include "cross/CameraController.h"
#include "cross/CameraController2Point.h"
#include "opengl/GLCaps.h"
#include "platform/DisplayModeManager.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptArguments.h"
#include "script/ScriptMethodRow.h"

#include <cstddef>

PENDREL_SCRIPT_CLASS(Resolution, "Resolution");

namespace
{
SQInteger NoNativeObject(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "the instance holds no native object");
}

// ---- CameraController

SQInteger CameraController_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<CameraController>(vm) ? 0 : NoNativeObject(vm);
}

size_t OffsetIn(const CameraController& camera, const void* member)
{
    return static_cast<size_t>(static_cast<const char*>(member) - reinterpret_cast<const char*>(&camera));
}

// The controller is not a plain record, so its members' places are measured
// on one made for the purpose.
const ScriptVarDesc* CameraControllerMembers()
{
    static const CameraController sample;
    static const ScriptVarDesc rows[] = {
        ScriptVarNested("right", kScriptVarEmbedded, "Vec3", OffsetIn(sample, &sample.GetRight())),
        ScriptVarNested("up", kScriptVarEmbedded, "Vec3", OffsetIn(sample, &sample.GetUp())),
        ScriptVarNested("forward", kScriptVarEmbedded, "Vec3", OffsetIn(sample, &sample.GetForward())),
        ScriptVarNested("m__Position", kScriptVarEmbedded, "Vec3", OffsetIn(sample, &sample.GetPosition())),
        ScriptVarMember("m__MultipleObjectZoom", kScriptVarFloat, OffsetIn(sample, &sample.m__MultipleObjectZoom)),
        ScriptVarMember("m__MultipleObjectZoomMin", kScriptVarFloat,
                        OffsetIn(sample, &sample.m__MultipleObjectZoomMin)),
        ScriptVarEnd(),
    };
    return rows;
}

typedef void (CameraController::*CameraStep)(float);

// this and one number in degrees, turned into radians.
template <CameraStep Step> SQInteger CameraController_Degrees(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    float value = 0.0f;
    if (!ScriptCheckInstance(vm, 1, camera))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, value))
        return ScriptBadArgument(vm);
    (camera->*Step)(value * kDegreesToRadians);
    return 0;
}

bool CameraAndVector(HSQUIRRELVM vm, CameraController*& camera, Vec3*& v)
{
    return ScriptCheckInstance(vm, 1, camera) && ScriptCheckInstance(vm, 2, v);
}

SQInteger CameraController_RotateCamera(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    Vec3* degrees = nullptr;
    if (!CameraAndVector(vm, camera, degrees))
        return SQ_ERROR;
    const Vec3 radians = *degrees * kDegreesToRadians;
    camera->RotateCamera(radians.x, radians.y, radians.z);
    return 0;
}

SQInteger CameraController_MoveCamera(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    Vec3* v = nullptr;
    if (!CameraAndVector(vm, camera, v))
        return SQ_ERROR;
    camera->MoveCamera(v->x, v->y, v->z);
    return 0;
}

SQInteger CameraController_SetFollow(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    Vec3* target = nullptr;
    Vec3* offset = nullptr;
    float blend = 0.0f, degrees = 0.0f;
    if (!CameraAndVector(vm, camera, target) || !ScriptCheckInstance(vm, 3, offset))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, blend) || !ScriptArgFloat(vm, 5, degrees))
        return ScriptBadArgument(vm);
    camera->SetFollow(*target, *offset, blend, degrees * kDegreesToRadians);
    return 0;
}

// The second value is optional: 1.0 when left out.
SQInteger CameraController_SetSkew(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    float a = 0.0f, b = 1.0f;
    if (!ScriptCheckInstance(vm, 1, camera))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, a) || (sq_gettop(vm) >= 3 && !ScriptArgFloat(vm, 3, b)))
        return ScriptBadArgument(vm);
    camera->SetSkew(a, b);
    return 0;
}

// The out instance takes the view position in its first two floats.
SQInteger CameraController_WorldToView(HSQUIRRELVM vm)
{
    CameraController* camera = nullptr;
    Vec3* point = nullptr;
    Vec2* out = nullptr;
    float aspect = 0.0f;
    if (!ScriptCheckInstance(vm, 1, camera) || !ScriptCheckInstance(vm, 2, point) ||
        !ScriptCheckInstance(vm, 3, out))
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, aspect))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, camera->WorldToView(*point, out->x, out->y, aspect));
}

// Both camera classes: the field of view of the camera the controller drives.
void RegisterCameraController(HSQUIRRELVM vm)
{
    using C = CameraController;
    static const ScriptMethodRow kMethods[] = {
        {"Pan", ScriptMethod<&C::Pan>, "xn"},
        {"Crane", ScriptMethod<&C::Crane>, "xn"},
        {"Dolly", ScriptMethod<&C::Dolly>, "xn"},
        {"Yaw", CameraController_Degrees<&C::Yaw>, "xn"},
        {"Pitch", CameraController_Degrees<&C::Pitch>, "xn"},
        {"Roll", CameraController_Degrees<&C::Roll>, "xn"},
        {"RotateCamera", CameraController_RotateCamera, "xx"},
        {"MoveCamera", CameraController_MoveCamera, "xx"},
        {"CalculateTransforms", ScriptMethod<&C::Update>, "x"},
        {"SetPosition", ScriptMethod<&C::SetPosition>, "xx"},
        {"SetRotation", ScriptMethod<&C::SetRotation>, "xxx"},
        {"SetFOV", ScriptMethod<&CameraControllerBase::SetFOV, C>, "xn"},
        {"SetFollow", CameraController_SetFollow, "xxxnn"},
        {"SetSkew", CameraController_SetSkew, "xnn", -2},
        {"WorldToView", CameraController_WorldToView, "xxxn"},
        {"ResetToDefault", ScriptMethod<&C::ResetToDefault>, "x"},
    };
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "CameraController", sizeof(C), CameraControllerMembers(), CameraController_constructor);
    ScriptAddMethods(handle, kMethods);
}

// ---- CameraController2Point

SQInteger CameraController2Point_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<CameraController2Point>(vm) ? 0 : NoNativeObject(vm);
}

// ---- Resolution and display modes

const ScriptVarDesc kResolutionMembers[] = {
    ScriptVarMember("m_Width", kScriptVarInt, offsetof(Resolution, m_Width)),
    ScriptVarMember("m_Height", kScriptVarInt, offsetof(Resolution, m_Height)),
    ScriptVarEnd(),
};

SQInteger Resolution_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<Resolution>(vm) ? 0 : NoNativeObject(vm);
}

SQInteger DisplayModeManager_GetNumberOfUniqueResolutions(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, GetDisplayModeManager().GetNumberOfUniqueResolutions());
}

SQInteger DisplayModeManager_GetUniqueResolution(HSQUIRRELVM vm)
{
    int index = 0;
    if (!ScriptArgInt(vm, 2, index))
        return ScriptBadArgument(vm);
    return ScriptPushNewValue(vm, "Resolution", GetDisplayModeManager().GetUniqueResolution(index));
}

SQInteger DisplayModeManager_GetIndexOfResolution(HSQUIRRELVM vm)
{
    int width = 0, height = 0;
    if (!ScriptArgTwoInts(vm, width, height))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, GetDisplayModeManager().GetIndexOfResolution(width, height));
}

SQInteger DisplayModeManager_AddUniqueResolution(HSQUIRRELVM vm)
{
    int width = 0, height = 0;
    if (!ScriptArgTwoInts(vm, width, height))
        return ScriptBadArgument(vm);
    GetDisplayModeManager().AddUniqueResolution(width, height);
    return 0;
}

SQInteger DisplayModeManager_SetMinimumUniqueResolution(HSQUIRRELVM vm)
{
    int width = 0, height = 0;
    if (!ScriptArgTwoInts(vm, width, height))
        return ScriptBadArgument(vm);
    GetDisplayModeManager().SetMinimumUniqueResolution(width, height);
    return 0;
}

SQInteger IsPointLightingSupported(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, GLCapsRow(kGLCapDeferred).hardware != 0);
}

// Debug spheres are not drawn: the arguments are checked by the mask only.
SQInteger DrawDebugSphere(HSQUIRRELVM)
{
    return 0;
}

void RegisterDisplayGlobals(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "IsPointLightingSupported", IsPointLightingSupported);
    ScriptBindGlobalFunction(vm, "DrawDebugSphere", DrawDebugSphere, ".xn");
    ScriptBindGlobalFunction(vm, "DisplayModeManager_GetNumberOfUniqueResolutions",
                             DisplayModeManager_GetNumberOfUniqueResolutions, ".");
    ScriptBindGlobalFunction(vm, "DisplayModeManager_GetUniqueResolution", DisplayModeManager_GetUniqueResolution,
                             ".i");
    ScriptBindGlobalFunction(vm, "DisplayModeManager_GetIndexOfResolution",
                             DisplayModeManager_GetIndexOfResolution, ".ii");
    ScriptBindGlobalFunction(vm, "DisplayModeManager_AddUniqueResolution", DisplayModeManager_AddUniqueResolution,
                             ".ii");
    ScriptBindGlobalFunction(vm, "DisplayModeManager_SetMinimumUniqueResolution",
                             DisplayModeManager_SetMinimumUniqueResolution, ".ii");
}
} // namespace

void RegisterCameraScriptAPI(HSQUIRRELVM vm)
{
    RegisterCameraController(vm);
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "CameraController2Point", sizeof(CameraController2Point), nullptr,
                    CameraController2Point_constructor)
        .AddMethod("SetPoints", ScriptMethod<&CameraController2Point::SetPoints>, "xxx")
        .AddMethod("SetFOV", ScriptMethod<&CameraControllerBase::SetFOV, CameraController2Point>, "xn");
    ScriptBindClass(handle, vm, "Resolution", sizeof(Resolution), kResolutionMembers, Resolution_constructor)
        .AddMethod("IsCompatibleWithFullScreen", ScriptMethod<&Resolution::IsCompatibleWithFullScreen>, "x");
    RegisterDisplayGlobals(vm);
}
