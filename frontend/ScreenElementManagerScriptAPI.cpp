#include "frontend/ScreenElementManagerScriptAPI.h"

#include "core/Hash.h"
#include "core/Vec2.h"
#include "frontend/ElementScriptAPI.h"
#include "frontend/FrontendElement.h"
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

ScreenElementManager* This(HSQUIRRELVM vm)
{
    return ScriptCheckThis<ScreenElementManager>(vm, kClass);
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
    if (!ScriptCheckInstance(vm, 2, "Vec2", out))
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
// The name's element into the sprite or animated sprite; the integer is not used.
SQInteger ScreenElementManager_GetScreenElementData(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    Sprite* sprite = manager ? ElementScriptSprite(vm, 2) : nullptr;
    const char* name = nullptr;
    if (!sprite)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 3, name))
        return ScriptBadArgument(vm);
    manager->GetScreenElementData(*sprite, HashString(name));
    return 0;
}

SQInteger ScreenElementManager_GetAnimScreenElementData(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    AnimSprite* sprite = manager ? ScriptCheckInstance<AnimSprite>(vm, 2, "AnimSprite") : nullptr;
    const char* name = nullptr;
    if (!sprite)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 3, name))
        return ScriptBadArgument(vm);
    manager->GetAnimScreenElementData(*sprite, HashString(name));
    return 0;
}

// The scripts' one scratch sprite: it keeps its place from call to call but
// never a texture, so that nothing of the renderer outlives it.
Sprite& ScratchSprite()
{
    static Sprite scratch;
    return scratch;
}

// A new Sprite each call, a copy of the scratch sprite with the element placed
// into it, so that scripts may keep what they get.
SQInteger ScreenElementManager_GetScratchScreenElement(HSQUIRRELVM vm)
{
    const ScreenElementManager* manager = This(vm);
    const char* name = nullptr;
    if (!manager)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    Sprite& scratch = ScratchSprite();
    scratch.Rotation = 0.0f;
    scratch.ReleaseTexture();
    scratch.animated = 0;
    scratch.Scale = 1.0f;
    scratch.Color = rgba8888(255, 255, 255, 255);
    manager->GetScreenElementData(scratch, HashString(name));
    SQUserPointer area = nullptr;
    const bool made = SQ_SUCCEEDED(CreateScriptInstance(vm, "Sprite", &area)) && area;
    if (made)
    {
        new (area) Sprite(scratch);
        sq_setreleasehook(vm, -1, DestroyInPlaceHook<Sprite>);
    }
    scratch.ReleaseTexture();
    return made ? 1 : sq_throwerror(vm, "the object is not a class instance");
}
} // namespace

void RegisterScreenElementManagerScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kClass, sizeof(ScreenElementManager), kManagerMembers,
                    ScriptConstructDefault<ScreenElementManager>)
        .AddMethod("Load", ScreenElementManager_Load, "xss.", -3)
        .AddMethod("SetScreenProperties", ScreenElementManager_SetScreenProperties, "xnnnn")
        .AddMethod("GetScreenWidthAndHeight", ScreenElementManager_GetScreenWidthAndHeight, "xx")
        .AddMethod("GetScreenPosition", ScreenElementManager_GetScreenPosition, "xx")
        .AddMethod("GetAspectRatio", ScreenElementManager_GetAspectRatio, "x")
        .AddMethod("GetScreenElementData", ScreenElementManager_GetScreenElementData, "xxsn")
        .AddMethod("GetAnimScreenElementData", ScreenElementManager_GetAnimScreenElementData, "xxs")
        .AddMethod("GetScratchScreenElement", ScreenElementManager_GetScratchScreenElement, "xsi");
}
