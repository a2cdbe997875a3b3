#include "frontend/ScreenElementManagerScriptAPI.h"

#include "core/Vec2.h"
#include "frontend/ScreenElementManager.h"
#include "script/ScriptArguments.h"

namespace
{
const ScriptVarDesc kManagerMembers[] = {
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_HORIZONTAL_LEFT", 0),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_HORIZONTAL_RIGHT", 1),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_HORIZONTAL_CENTER", 2),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_HORIZONTAL_MAX", 3),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_VERTICAL_TOP", 0),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_VERTICAL_BOTTOM", 1),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_VERTICAL_MIDDLE", 2),
    ScriptVarConstantValue("TEXT_ALIGN_TYPE_VERTICAL_MAX", 3),
    ScriptVarEnd(),
};

constexpr const char* kClass = "ScreenElementManager";

SQInteger ScreenElementManager_constructor(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<ScreenElementManager>(vm))
        return sq_throwerror(vm, "the instance holds no native object");
    return 0;
}

ScreenElementManager* This(HSQUIRRELVM vm)
{
    ScreenElementManager* manager = nullptr;
    return SQ_SUCCEEDED(GetInstancePtrOfClass(vm, 1, kClass, &manager)) ? manager : nullptr;
}

// A third argument, of any value, keeps one variant per element.
SQInteger ScreenElementManager_Load(HSQUIRRELVM vm)
{
    ScreenElementManager* manager = This(vm);
    const char* folder = nullptr;
    const char* file = nullptr;
    if (!manager)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, folder) || !ScriptArgString(vm, 3, file))
        return ScriptBadArgument(vm);
    manager->Load(folder, file, sq_gettop(vm) >= 4);
    return 0;
}

SQInteger ScreenElementManager_SetScreenProperties(HSQUIRRELVM vm)
{
    ScreenElementManager* manager = This(vm);
    int values[4] = {};
    if (!manager)
        return SQ_ERROR;
    for (int i = 0; i < 4; ++i)
        if (!ScriptArgInt(vm, 2 + i, values[i]))
            return ScriptBadArgument(vm);
    manager->SetScreenProperties(values[0], values[1], values[2], values[3]);
    return 0;
}

SQInteger WriteOut(HSQUIRRELVM vm, float x, float y)
{
    Vec2* out = nullptr;
    if (SQ_FAILED(GetInstancePtrOfClass(vm, 2, "Vec2", &out)))
        return SQ_ERROR;
    out->x = x;
    out->y = y;
    return 0;
}

SQInteger ScreenElementManager_GetScreenWidthAndHeight(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    return manager ? WriteOut(vm, manager->Screen().width, manager->Screen().height) : SQ_ERROR;
}

SQInteger ScreenElementManager_GetScreenPosition(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    return manager ? WriteOut(vm, manager->Screen().x, manager->Screen().y) : SQ_ERROR;
}

SQInteger ScreenElementManager_GetAspectRatio(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    return manager ? ScriptReturnFloat(vm, manager->GetAspectRatio()) : SQ_ERROR;
}
} // namespace

void RegisterScreenElementManagerScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kClass, sizeof(ScreenElementManager), kManagerMembers,
                    ScreenElementManager_constructor)
        .AddMethod("Load", ScreenElementManager_Load, "xss.", -3)
        .AddMethod("SetScreenProperties", ScreenElementManager_SetScreenProperties, "xnnnn")
        .AddMethod("GetScreenWidthAndHeight", ScreenElementManager_GetScreenWidthAndHeight, "xx")
        .AddMethod("GetScreenPosition", ScreenElementManager_GetScreenPosition, "xx")
        .AddMethod("GetAspectRatio", ScreenElementManager_GetAspectRatio, "x");
}
