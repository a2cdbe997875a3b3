#include "frontend/BarsScriptAPI.h"

#include "core/Vec3.h"
#include "core/rgba8888.h"
#include "frontend/BillboardBars.h"
#include "frontend/ScriptBasicText.h"
#include "script/ScriptArguments.h"

namespace
{
// The font instances that live string bars draw with, by slot.
struct HeldFonts
{
    HSQUIRRELVM vm = nullptr;
    HSQOBJECT instances[kBillboardBarSlots];
    bool held[kBillboardBarSlots] = {};
};
HeldFonts g_held;

void ReleaseHeldFont(int index)
{
    if (!g_held.held[index])
        return;
    g_held.held[index] = false;
    sq_release(g_held.vm, &g_held.instances[index]);
    sq_resetobject(&g_held.instances[index]);
}

void HoldFont(HSQUIRRELVM vm, int index, SQInteger stackIndex)
{
    sq_getstackobj(vm, stackIndex, &g_held.instances[index]);
    sq_addref(vm, &g_held.instances[index]);
    g_held.held[index] = true;
}

bool ArgVec3(HSQUIRRELVM vm, SQInteger index, Vec3& value)
{
    Vec3* vector = nullptr;
    if (!ScriptCheckInstance(vm, index, "Vec3", vector))
        return false;
    value = *vector;
    return true;
}

bool ArgColour(HSQUIRRELVM vm, SQInteger index, rgba8888& value)
{
    rgba8888* colour = nullptr;
    if (!ScriptCheckInstance(vm, index, "rgba8888", colour))
        return false;
    value = *colour;
    return true;
}

// Scripts pass the flag as a bool or as 0 and 1.
bool ArgFlag(HSQUIRRELVM vm, SQInteger index, bool& value)
{
    int number = 0;
    if (ScriptArgBool(vm, index, value))
        return true;
    if (!ScriptArgInt(vm, index, number))
        return false;
    value = number != 0;
    return true;
}

SQInteger BarsClear(HSQUIRRELVM)
{
    GetBillboardBars().Clear();
    return 0;
}

SQInteger BarAdd(HSQUIRRELVM vm)
{
    float fill = 0.0f;
    Vec3 position;
    float width = 0.0f;
    float height = 0.0f;
    rgba8888 fillColour;
    rgba8888 backgroundColour;
    bool horizontal = false;
    if (!ScriptArgFloat(vm, 2, fill) || !ArgVec3(vm, 3, position) || !ScriptArgFloat(vm, 4, width) ||
        !ScriptArgFloat(vm, 5, height) || !ArgColour(vm, 6, fillColour) || !ArgColour(vm, 7, backgroundColour) ||
        !ArgFlag(vm, 8, horizontal))
        return SQ_ERROR;
    return ScriptReturnInt(vm, GetBillboardBars().AddBar(fill, position, width, height, fillColour,
                                                         backgroundColour, horizontal));
}

SQInteger BarStringAdd(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    ScriptBasicText* font = nullptr;
    Vec3 position;
    float scale = 1.0f;
    rgba8888 colour;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    if (!ScriptCheckInstance(vm, 3, "BasicText", font) || !ArgVec3(vm, 4, position) ||
        !ScriptArgFloat(vm, 5, scale) || !ArgColour(vm, 6, colour))
        return SQ_ERROR;
    const int index = GetBillboardBars().AddStringBar(text, font->font, position, scale, colour);
    if (index >= 0)
        HoldFont(vm, index, 3);
    return ScriptReturnInt(vm, index);
}

SQInteger BarTextureAdd(HSQUIRRELVM vm)
{
    int poolIndex = 0;
    Vec3 position;
    float width = 0.0f;
    float height = 0.0f;
    rgba8888 colour;
    if (!ScriptArgInt(vm, 2, poolIndex) || !ArgVec3(vm, 3, position) || !ScriptArgFloat(vm, 4, width) ||
        !ScriptArgFloat(vm, 5, height) || !ArgColour(vm, 6, colour))
        return SQ_ERROR;
    return ScriptReturnInt(vm, GetBillboardBars().AddPictureBarFromPool(poolIndex, position, width, height, colour));
}

SQInteger BarAddTextureToTexturePool(HSQUIRRELVM vm)
{
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, GetBillboardBars().AddTextureToPool(name));
}

// A number as a whole index; values no table holds come out as -1.
bool ArgIndex(HSQUIRRELVM vm, SQInteger index, int& value)
{
    if (sq_gettype(vm, index) == OT_INTEGER)
        return ScriptArgInt(vm, index, value);
    float number = 0.0f;
    if (!ScriptArgFloat(vm, index, number))
        return false;
    value = number >= 0.0f && number < float(kBillboardBarSlots) ? int(number) : -1;
    return true;
}

SQInteger BarDestroyByIndex(HSQUIRRELVM vm)
{
    int kind = 0;
    int index = 0;
    if (!ArgIndex(vm, 2, kind) || !ArgIndex(vm, 3, index))
        return ScriptBadArgument(vm);
    GetBillboardBars().DestroyByIndex(kind, index);
    return 0;
}
} // namespace

void RegisterBarsScriptAPI(HSQUIRRELVM vm)
{
    // Fonts held for an earlier VM went with it; so do the bars that drew with them.
    for (bool& held : g_held.held)
        held = false;
    GetBillboardBars().SetStringBarFreed(ReleaseHeldFont);
    GetBillboardBars().Clear();
    g_held.vm = vm;
    ScriptBindGlobalFunction(vm, "BarsClear", BarsClear, ".");
    ScriptBindGlobalFunction(vm, "BarAdd", BarAdd, ".nxnnxx.");
    ScriptBindGlobalFunction(vm, "BarStringAdd", BarStringAdd, ".sxxnx");
    ScriptBindGlobalFunction(vm, "BarTextureAdd", BarTextureAdd, ".ixnnx");
    ScriptBindGlobalFunction(vm, "BarAddTextureToTexturePool", BarAddTextureToTexturePool, ".s");
    ScriptBindGlobalFunction(vm, "BarDestroyByIndex", BarDestroyByIndex, ".nn");
}
