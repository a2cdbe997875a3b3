#include "frontend/FrontendScriptAPI.h"

#include "core/FixedString.h"
#include "core/Vec2.h"
#include "cross/Render.h"
#include "frontend/BasicText.h"
#include "frontend/Draw2D.h"
#include "frontend/SystemUserMessageQueue.h"
#include "script/ScriptArguments.h"

#include <cstring>

namespace
{
// The script's font: shared through the font cache, let go with the instance.
// Without a display there is no font, and measures are 0.
struct ScriptBasicText
{
    BasicText* font = nullptr;
    FixedString256 name;

    ~ScriptBasicText() { BasicTextRelease(font, name); }
};

SQInteger BasicText_constructor(HSQUIRRELVM vm)
{
    const char* name = nullptr;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    ScriptBasicText* text = ScriptConstructInPlace<ScriptBasicText>(vm);
    if (!text)
        return sq_throwerror(vm, "the instance holds no native object");
    text->name = name;
    if (RenderIsInitialised())
        text->font = BasicTextGet(name);
    return 0;
}

SQInteger BasicText_GetStringLength(HSQUIRRELVM vm)
{
    ScriptBasicText* text = nullptr;
    const char* string = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &text)))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, string))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, text->font ? text->font->GetStringLength(string) : 0);
}

SQInteger BasicText_GetStringHeight(HSQUIRRELVM vm)
{
    ScriptBasicText* text = nullptr;
    const char* string = nullptr;
    int width = 0;
    if (SQ_FAILED(GetInstancePtr(vm, 1, &text)))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, string) || !ScriptArgInt(vm, 3, width))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, text->font ? text->font->GetStringHeight(string, width) : 0);
}

// Any instance whose native object begins with two floats, x and y.
bool ArgPoint(HSQUIRRELVM vm, SQInteger index, Vec2& point)
{
    SQUserPointer object = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, index, &object, SQInteger(sizeof(Vec2)))))
        return false;
    memcpy(&point, object, sizeof point);
    return true;
}

bool ArgColour(HSQUIRRELVM vm, SQInteger index, uint32_t& colour)
{
    SQUserPointer object = nullptr;
    if (SQ_FAILED(GetInstancePtr(vm, index, &object, SQInteger(sizeof colour))))
        return false;
    const uint8_t* bytes = static_cast<const uint8_t*>(object);
    colour = uint32_t(bytes[0]) | (uint32_t(bytes[1]) << 8) | (uint32_t(bytes[2]) << 16) | (uint32_t(bytes[3]) << 24);
    return true;
}

SQInteger DrawLine(HSQUIRRELVM vm)
{
    Vec2 from, to;
    uint32_t colour = 0;
    if (!ArgPoint(vm, 2, from) || !ArgPoint(vm, 3, to) || !ArgColour(vm, 4, colour))
        return SQ_ERROR;
    Draw2D::Line(from, to, colour);
    return 0;
}

SQInteger DrawQuad2D(HSQUIRRELVM vm)
{
    Vec2 corners[4];
    uint32_t colours[4] = {};
    for (int i = 0; i < 4; ++i)
        if (!ArgPoint(vm, 2 + i, corners[i]) || !ArgColour(vm, 6 + i, colours[i]))
            return SQ_ERROR;
    Draw2D::GradientQuad(corners[0], corners[1], corners[2], corners[3], colours[0], colours[1], colours[2],
                         colours[3]);
    return 0;
}

SQInteger SystemUserMessage(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    bool queue = false;
    if (!ScriptArgString(vm, 2, text) || !ScriptArgBool(vm, 3, queue))
        return ScriptBadArgument(vm);
    SysMsgAdd(text, queue);
    return 0;
}
} // namespace

void RegisterFrontendGeneralScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "DrawQuad2D", DrawQuad2D, ".xxxxxxxx");
    ScriptBindGlobalFunction(vm, "SystemUserMessage", SystemUserMessage, ".sb");
}

void RegisterFrontendScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "BasicText", sizeof(ScriptBasicText), nullptr, BasicText_constructor)
        .AddMethod("GetStringLength", BasicText_GetStringLength, "xs")
        .AddMethod("GetStringHeight", BasicText_GetStringHeight, "xsi");
    ScriptBindGlobalFunction(vm, "DrawLine", DrawLine, ".xxx");
}
