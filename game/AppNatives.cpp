#include "game/AppNatives.h"
#include "game/AppUI.h"

#include "core/LogError.h"
#include "core/Scalar.h"
#include "core/Vec2.h"
#include "core/Vec3.h"
#include "core/pd_ofstream.h"
#include "cross/CameraBase.h"
#include "cross/CameraController.h"
#include "cross/CameraController2Point.h"
#include "cross/CameraScriptAPI.h"
#include "cross/LightManager.h"
#include "cross/Render.h"
#include "game/App.h"
#include "game/AppScriptCalls.h"
#include "game/StepTimes.h"
#include "game/StreamListener.h"
#include "game/TolvanFixedUpdate.h"
#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "platform/Input.h"
#include "platform/Shell.h"
#include "script/ScriptArguments.h"
#include "script/SmallBlockPool.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace
{
// The display options ChangeScreenSize added last, taken out again before
// the next ones go in, so repeated changes never fill the command line.
std::string g_addedDisplayOptions;

void ReplaceDisplayOptions(const char* options)
{
    std::string line = CommandLineGet();
    if (!g_addedDisplayOptions.empty())
    {
        const size_t at = line.rfind(g_addedDisplayOptions);
        if (at != std::string::npos)
            line.erase(at, g_addedDisplayOptions.size());
    }
    CommandLineSet(line.c_str());
    CommandLineAppend(options);
    g_addedDisplayOptions = options;
}

// A missing or wrong-typed optional argument reads as 0 or false.
float FloatOr0(HSQUIRRELVM vm, SQInteger index)
{
    float value = 0.0f;
    return ScriptArgFloat(vm, index, value) ? value : 0.0f;
}

int IntOr0(HSQUIRRELVM vm, SQInteger index)
{
    int value = 0;
    return ScriptArgInt(vm, index, value) ? value : 0;
}

bool BoolOrFalse(HSQUIRRELVM vm, SQInteger index)
{
    bool value = false;
    return ScriptArgBool(vm, index, value) && value;
}

uint32_t LightIdArg(HSQUIRRELVM vm, SQInteger index)
{
    return static_cast<uint32_t>(IntOr0(vm, index));
}

// The Vec3 arguments from the index on; false after a script error.
bool Vec3Args(HSQUIRRELVM vm, SQInteger first, Vec3* out[], int count)
{
    for (int i = 0; i < count; ++i)
        if (!ScriptCheckInstance(vm, first + i, out[i]))
            return false;
    return true;
}

SQInteger QuitGame(HSQUIRRELVM)
{
    RequestQuit();
    return 0;
}

SQInteger IsPaused(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, g_fixedUpdate.IsPaused());
}

SQInteger SetPaused(HSQUIRRELVM vm)
{
    AppSetPaused(BoolOrFalse(vm, 2));
    return 0;
}

SQInteger SetInGame(HSQUIRRELVM vm)
{
    AppSetInGame(BoolOrFalse(vm, 2));
    return 0;
}

SQInteger HotloadNative(HSQUIRRELVM vm)
{
    const char* pattern = nullptr;
    if (sq_gettop(vm) < 2 || !ScriptArgString(vm, 2, pattern))
        pattern = nullptr;
    Hotload(pattern);
    return 0;
}

SQInteger SetRenderOverlayOffset(HSQUIRRELVM vm)
{
    Vec2* topLeft = nullptr;
    Vec2* bottomRight = nullptr;
    if (!ScriptCheckInstance(vm, 2, topLeft) || !ScriptCheckInstance(vm, 3, bottomRight))
        return SQ_ERROR;
    RenderOverlaySetOffset(*topLeft, *bottomRight);
    return 0;
}

SQInteger SetNearFarPlanes(HSQUIRRELVM vm)
{
    AppSetNearFarPlanes(FloatOr0(vm, 2), FloatOr0(vm, 3));
    return 0;
}

SQInteger ChangeScreenSize(HSQUIRRELVM vm)
{
    AppChangeScreenSize(SaturatingIntFromFloat(FloatOr0(vm, 2)), SaturatingIntFromFloat(FloatOr0(vm, 3)),
                        BoolOrFalse(vm, 4));
    return 0;
}

SQInteger SetAmbientOcclusion(HSQUIRRELVM vm)
{
    RenderSetAmbientOcclusion(BoolOrFalse(vm, 2));
    return 0;
}

SQInteger SetLightMode(HSQUIRRELVM vm)
{
    const int mode = IntOr0(vm, 2);
    if (mode < LIGHT_MODE_TYPE_DAY || mode >= kLightModeCount)
        LogError("Error: Invalid light mode type \n");
    RenderSetLightMode(mode);
    return 0;
}

SQInteger DoesNothing(HSQUIRRELVM)
{
    return 0;
}

SQInteger CreatePointLight(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, static_cast<int>(LightManagerInstance().AddPointLight(PointLight())));
}

SQInteger CreateDirectionalLight(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, static_cast<int>(LightManagerInstance().AddDirectionalLight(DirectionalLight())));
}

SQInteger DeleteLight(HSQUIRRELVM vm)
{
    LightManagerInstance().DeleteLight(LightIdArg(vm, 2));
    return 0;
}

SQInteger DeleteAllLights(HSQUIRRELVM)
{
    LightManagerInstance().DeleteAll();
    return 0;
}

SQInteger ActivateLight(HSQUIRRELVM vm)
{
    LightManagerInstance().ActivateLight(LightIdArg(vm, 2), BoolOrFalse(vm, 3));
    return 0;
}

// Position, colour, second colour, radius and intensity, in argument order.
SQInteger SetPointLight(HSQUIRRELVM vm)
{
    Vec3* v[3] = {};
    if (!Vec3Args(vm, 3, v, 3))
        return SQ_ERROR;
    const float values[8] = {v[1]->x, v[1]->y, v[1]->z, v[2]->x, v[2]->y, v[2]->z, FloatOr0(vm, 6),
                             FloatOr0(vm, 7)};
    LightManagerInstance().SetPointLight(LightIdArg(vm, 2), *v[0], values);
    return 0;
}

SQInteger SetPointLightPos(HSQUIRRELVM vm)
{
    Vec3* position = nullptr;
    if (!ScriptCheckInstance(vm, 3, position))
        return SQ_ERROR;
    LightManagerInstance().SetPointLightPos(LightIdArg(vm, 2), *position);
    return 0;
}

SQInteger SetDirectionalLight(HSQUIRRELVM vm)
{
    Vec3* v[3] = {};
    if (!Vec3Args(vm, 3, v, 3))
        return SQ_ERROR;
    LightManagerInstance().SetDirectionalLight(LightIdArg(vm, 2), *v[0], *v[1], *v[2], Vec3(0.0f, 0.0f, 0.0f),
                                               FloatOr0(vm, 6));
    return 0;
}

// Direction, diffuse, specular, ambient, power and the point colour.
template <void (*Store)(const float[16])> SQInteger SetGlobalLight(HSQUIRRELVM vm)
{
    Vec3* v[4] = {};
    Vec3* point = nullptr;
    if (!Vec3Args(vm, 2, v, 4) || !ScriptCheckInstance(vm, 7, point))
        return SQ_ERROR;
    float values[16];
    for (int i = 0; i < 4; ++i)
    {
        values[i * 3] = v[i]->x;
        values[i * 3 + 1] = v[i]->y;
        values[i * 3 + 2] = v[i]->z;
    }
    values[12] = FloatOr0(vm, 6);
    values[13] = point->x;
    values[14] = point->y;
    values[15] = point->z;
    Store(values);
    return 0;
}

// Both controller classes derive from the same base; the main camera
// follows the controller given last, so the engine's own stops driving it.
template <class Controller> SQInteger SetAsCurrentCamera(HSQUIRRELVM vm)
{
    Controller* controller = nullptr;
    if (!ScriptCheckInstance(vm, 1, controller))
        return SQ_ERROR;
    GetGlobalCameraController().SetCamera(nullptr);
    static_cast<CameraControllerBase*>(controller)->SetCamera(&GetGlobalCamera());
    return 0;
}

// A class of static integers, read as LightModeTypeEnum.LIGHT_MODE_TYPE_NIGHT.
void RegisterLightModeTypeEnum(HSQUIRRELVM vm)
{
    const struct
    {
        const char* name;
        int value;
    } values[] = {
        {"LIGHT_MODE_TYPE_DAY", LIGHT_MODE_TYPE_DAY},
        {"LIGHT_MODE_TYPE_DAY_SNOW", LIGHT_MODE_TYPE_DAY_SNOW},
        {"LIGHT_MODE_TYPE_NIGHT", LIGHT_MODE_TYPE_NIGHT},
    };
    sq_pushroottable(vm);
    sq_pushstring(vm, "LightModeTypeEnum", -1);
    sq_newclass(vm, SQFalse);
    for (const auto& value : values)
    {
        sq_pushstring(vm, value.name, -1);
        sq_pushinteger(vm, value.value);
        sq_newslot(vm, -3, SQTrue);
    }
    sq_newslot(vm, -3, SQFalse);
    sq_pop(vm, 1);
}

void RegisterLightNatives(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "CreatePointLight", CreatePointLight);
    ScriptBindGlobalFunction(vm, "CreateDirectionalLight", CreateDirectionalLight);
    ScriptBindGlobalFunction(vm, "DeleteLight", DeleteLight, ".n");
    ScriptBindGlobalFunction(vm, "DeleteAllLights", DeleteAllLights);
    ScriptBindGlobalFunction(vm, "ActivateLight", ActivateLight, ".nb");
    ScriptBindGlobalFunction(vm, "SetPointLight", SetPointLight, ".nxxxnn");
    ScriptBindGlobalFunction(vm, "SetPointLightPos", SetPointLightPos, ".nx");
    ScriptBindGlobalFunction(vm, "SetDirectionalLight", SetDirectionalLight, ".nxxxn");
    ScriptBindGlobalFunction(vm, "SetDefaultGlobalLight", SetGlobalLight<LightSetDefaultGlobal>, ".xxxxnx");
    ScriptBindGlobalFunction(vm, "SetSnowGlobalLight", SetGlobalLight<LightSetSnowGlobal>, ".xxxxnx");
    ScriptBindGlobalFunction(vm, "SetNightGlobalLight", SetGlobalLight<LightSetNightGlobal>, ".xxxxnx");
}
} // namespace

void RegisterAppNatives(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "QuitGame", QuitGame);
    ScriptBindGlobalFunction(vm, "IsPaused", IsPaused);
    ScriptBindGlobalFunction(vm, "SetPaused", SetPaused, ".b");
    ScriptBindGlobalFunction(vm, "SetInGame", SetInGame, ".b");
    // The pattern may be left out: every name matches.
    ScriptBindGlobalFunction(vm, "Hotload", HotloadNative, ".s", -1);
    ScriptBindGlobalFunction(vm, "SetRenderOverlayOffset", SetRenderOverlayOffset, ".xx");
    ScriptBindGlobalFunction(vm, "SetNearFarPlanes", SetNearFarPlanes, ".nn");
    ScriptBindGlobalFunction(vm, "ChangeScreenSize", ChangeScreenSize, ".nnb");
    ScriptBindGlobalFunction(vm, "SetAmbientOcclusion", SetAmbientOcclusion, ".b");
    ScriptBindGlobalFunction(vm, "SetLightMode", SetLightMode, ".i");
    ScriptBindGlobalFunction(vm, "InitializeSaveLoadSystem", DoesNothing);
    ScriptBindGlobalFunction(vm, "SetUpTrophySystem", DoesNothing);
    RegisterLightNatives(vm);
    ScriptBindMethod(vm, "CameraController", "SetAsCurrentCamera", SetAsCurrentCamera<CameraController>, false,
                     "x", SQ_MATCHTYPEMASKSTRING);
    ScriptBindMethod(vm, "CameraController2Point", "SetAsCurrentCamera",
                     SetAsCurrentCamera<CameraController2Point>, false, "x", SQ_MATCHTYPEMASKSTRING);
    RegisterLightModeTypeEnum(vm);
}

void AppSetPaused(bool paused)
{
    if (paused == g_fixedUpdate.IsPaused())
        return;
    g_fixedUpdate.SetPaused(paused);
    AppCallScript(paused ? "OnPause" : "OnUnpause");
}

void AppSetInGame(bool inGame)
{
    const bool wasInGame = GetInGameFlag();
    if (wasInGame == inGame)
        return;
    if (inGame)
    {
        SmallBlockPoolSwitchOn();
        g_stepTimes.ClearSamples();
    }
    else if (AppGetOptions().logStepTime && AppLogFile())
    {
        g_stepTimes.WriteSampleLog(*AppLogFile());
    }
    SetInGameFlag(inGame);
}

bool AppSetNearFarPlanes(float nearPlane, float farPlane)
{
    // Written so that a NaN fails too.
    if (!(nearPlane > 0.0f && farPlane > nearPlane))
    {
        LogError("SetNearFarPlanes: near %g and far %g make no view volume; the planes stay.\n", nearPlane,
                 farPlane);
        return false;
    }
    RenderSetNearFarPlanes(nearPlane, farPlane);
    return true;
}

void AppChangeScreenSize(int width, int height, bool fullScreen)
{
    if (width <= 0 || height <= 0)
    {
        LogError("ChangeScreenSize: %d x %d is no screen size.\n", width, height);
        return;
    }
    char options[64];
    snprintf(options, sizeof options, " -rsize %d %d%s", width, height, fullScreen ? " -fullscreen" : " -windowed");
    ReplaceDisplayOptions(options);
    DisplaySetScreenSize(width, height);
    DisplayReleaseWindow();
    QuitDisallow();
    DestroyMainWindow();
    QuitAllow();
    CreateMainWindow(fullScreen);
    InputShutdown();
    InputInit();
    if (DisplayAdoptWindow(width, height, fullScreen))
    {
        RenderResize();
        AppUIResize();
    }
}
