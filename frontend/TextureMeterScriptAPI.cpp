#include "frontend/TextureMeterScriptAPI.h"

#include "frontend/TextureMeter.h"
#include "script/ScriptArguments.h"

#include <cstddef>

// The meter holds its images by value and they have virtual operations; GCC
// places members of such classes at fixed offsets all the same.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{
constexpr const char* kClass = "TextureMeter";

const ScriptVarDesc kMeterMembers[] = {
    ScriptVarNested("Background", kScriptVarEmbedded, "Sprite", offsetof(TextureMeter, Background)),
    ScriptVarNested("Bar", kScriptVarEmbedded, "AnimSprite", offsetof(TextureMeter, Bar)),
    ScriptVarNested("Foreground", kScriptVarEmbedded, "Sprite", offsetof(TextureMeter, Foreground)),
    ScriptVarNested("BarMask", kScriptVarEmbedded, "Sprite", offsetof(TextureMeter, BarMask)),
    ScriptVarMember("BarValue", kScriptVarFloat, offsetof(TextureMeter, BarValue)),
    ScriptVarMember("Type", kScriptVarInt, offsetof(TextureMeter, Type)),
    ScriptVarConstantValue("TEXTURE_METER_TYPE_HORIZONTAL_LEFT", TEXTURE_METER_TYPE_HORIZONTAL_LEFT),
    ScriptVarConstantValue("TEXTURE_METER_TYPE_HORIZONTAL_RIGHT", TEXTURE_METER_TYPE_HORIZONTAL_RIGHT),
    ScriptVarConstantValue("TEXTURE_METER_TYPE_VERTICAL_UP", TEXTURE_METER_TYPE_VERTICAL_UP),
    ScriptVarConstantValue("TEXTURE_METER_TYPE_VERTICAL_DOWN", TEXTURE_METER_TYPE_VERTICAL_DOWN),
    ScriptVarEnd(),
};

TextureMeter* This(HSQUIRRELVM vm)
{
    return ScriptCheckThis<TextureMeter>(vm, kClass);
}

SQInteger TextureMeter_Init(HSQUIRRELVM vm)
{
    TextureMeter* meter = This(vm);
    if (!meter)
        return SQ_ERROR;
    meter->Init();
    return 0;
}

SQInteger TextureMeter_Update(HSQUIRRELVM vm)
{
    TextureMeter* meter = This(vm);
    float dt = 0.0f;
    if (!meter)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 2, dt))
        return ScriptBadArgument(vm);
    meter->Update(dt);
    return 0;
}

// The number the script passes is not used.
SQInteger TextureMeter_Render(HSQUIRRELVM vm)
{
    TextureMeter* meter = This(vm);
    if (!meter)
        return SQ_ERROR;
    meter->Render();
    return 0;
}

SQInteger TextureMeter_Terminate(HSQUIRRELVM vm)
{
    TextureMeter* meter = This(vm);
    if (!meter)
        return SQ_ERROR;
    meter->Terminate();
    return 0;
}
} // namespace

void RegisterTextureMeterScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kClass, sizeof(TextureMeter), kMeterMembers, ScriptConstructDefault<TextureMeter>)
        .AddMethod("Init", TextureMeter_Init, "x")
        .AddMethod("Update", TextureMeter_Update, "xn")
        .AddMethod("Render", TextureMeter_Render, "xn")
        .AddMethod("Terminate", TextureMeter_Terminate, "x");
}
