#include "frontend/FrontendScriptAPI.h"

#include "core/FixedString.h"
#include "core/Vec2.h"
#include "core/rgba8888.h"
#include "cross/Render.h"
#include "frontend/BasicText.h"
#include "frontend/BarsScriptAPI.h"
#include "frontend/Draw2D.h"
#include "frontend/HudScriptAPI.h"
#include "frontend/ScreenElementManagerScriptAPI.h"
#include "frontend/ScriptBasicText.h"
#include "frontend/TextureMeterScriptAPI.h"
#include "frontend/ElementScriptAPI.h"
#include "frontend/FrontendElement.h"
#include "frontend/SystemUserMessageQueue.h"
#include "frontend/UIInterface.h"
#include "frontend/UIWidget.h"
#include "core/Hash.h"
#include "script/ScriptArguments.h"

#include <cstdio>
#include <cstring>

namespace
{
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

// `button.Text = BasicText(name)`: the member takes the same font, with a
// reference of its own.
SQInteger BasicText_assign(HSQUIRRELVM vm)
{
    ScriptBasicText* text = nullptr;
    if (!ScriptCheckInstance(vm, 1, text))
        return SQ_ERROR;
    const ScriptBasicText* given = ScriptCheckInstance<ScriptBasicText>(vm, 2);
    if (!given)
        return SQ_ERROR;
    if (given == text)
        return 0;
    if (given->font)
        text->Load(given->name);
    else
    {
        text->Release();
        text->name = given->name;
    }
    return 0;
}

SQInteger BasicText_GetStringLength(HSQUIRRELVM vm)
{
    ScriptBasicText* text = nullptr;
    const char* string = nullptr;
    if (!ScriptCheckInstance(vm, 1, text))
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
    if (!ScriptCheckInstance(vm, 1, text))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, string) || !ScriptArgInt(vm, 3, width))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, text->font ? text->font->GetStringHeight(string, width) : 0);
}

// Text in a sprite's rectangle with a script font; the two integers are the
// alignments across and down.
SQInteger Sprite_DrawText(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    int alignX = 0, alignY = 0;
    float scale = 1.0f;
    const Sprite* sprite = ElementScriptSprite(vm, 1);
    const rgba8888* colour = ScriptCheckInstance<rgba8888>(vm, 3, "rgba8888");
    const ScriptBasicText* font = ScriptCheckInstance<ScriptBasicText>(vm, 4, "BasicText");
    if (!sprite || !colour || !font)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, text) || !ScriptArgInt(vm, 5, alignX) || !ScriptArgInt(vm, 6, alignY))
        return ScriptBadArgument(vm);
    if (sq_gettop(vm) >= 7 && !ScriptArgFloat(vm, 7, scale))
        return ScriptBadArgument(vm);
    if (sprite->ShouldRender && font->font)
        font->font->DrawString(text, PackColour(*colour), sprite->x, sprite->y, sprite->width, sprite->height,
                               -1, alignX, alignY, scale, -1);
    return 0;
}

// A Vec2, or a Vec3 or Mat4 whose first two floats are x and y.
bool ArgPoint(HSQUIRRELVM vm, SQInteger index, Vec2& point)
{
    const Vec2* given = ScriptCheckInstance<Vec2>(vm, index);
    if (given)
        point = *given;
    return given != nullptr;
}

bool ArgColour(HSQUIRRELVM vm, SQInteger index, uint32_t& colour)
{
    const rgba8888* object = ScriptCheckInstance<rgba8888>(vm, index);
    if (!object)
        return false;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(object);
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
// ---- the UI screen system

template <void (UIInterface::*Input)()> SQInteger UIInterface_Input(HSQUIRRELVM)
{
    (GetUIInterface().*Input)();
    return 0;
}

SQInteger UIInterface_ClickInput(HSQUIRRELVM)
{
    GetUIInterface().ClickInput(false);
    return 0;
}

SQInteger UIInterface_Enable(HSQUIRRELVM vm)
{
    bool on = false;
    if (!ScriptArgBool(vm, 2, on))
        return ScriptBadArgument(vm);
    GetUIInterface().Enable(on);
    return 0;
}

SQInteger UIInterface_ChangeScreenByName(HSQUIRRELVM vm)
{
    const char* name = nullptr;
    bool instant = false;
    if (!ScriptArgString(vm, 2, name) || !ScriptArgBool(vm, 3, instant))
        return ScriptBadArgument(vm);
    GetUIInterface().ChangeScreenByName(HashString(name), instant);
    return 0;
}

SQInteger UIInterface_GetCurrentScreenName(HSQUIRRELVM vm)
{
    return ScriptReturnString(vm, GetUIInterface().GetCurrentScreenName());
}

// The proxy's native object: the item it points at.
struct UIItemProxy
{
    UIItem* item = nullptr;
};
} // namespace

PENDREL_SCRIPT_CLASS(UIItemProxy, "UIItemInterfaceProxy");

namespace
{

SQInteger UIItemInterfaceProxy_constructor(HSQUIRRELVM vm)
{
    return ScriptConstructInPlace<UIItemProxy>(vm) ? 0 : sq_throwerror(vm, "the instance holds no native object");
}

SQInteger ProxyError(HSQUIRRELVM vm, const char* what, int key)
{
    char text[96];
    snprintf(text, sizeof text, "UIItemInterfaceProxy: %s (key %d)", what, key);
    return sq_throwerror(vm, text);
}

// The property of the key and kind on the proxied item; null after a script error.
void* ProxyProperty(HSQUIRRELVM vm, int key, UIPropertyKind kind, SQInteger& error)
{
    UIItemProxy* proxy = nullptr;
    error = 0;
    if (!ScriptCheckInstance(vm, 1, proxy))
    {
        error = SQ_ERROR;
        return nullptr;
    }
    if (!proxy->item)
        error = ProxyError(vm, "no item", key);
    else if (key < 0 || key >= kUIPropertyKeys || proxy->item->properties[key].kind == kUIPropertyNone)
        error = ProxyError(vm, "no such property", key);
    else if (proxy->item->properties[key].kind != kind)
        error = ProxyError(vm, "a property of another kind", key);
    return error ? nullptr : proxy->item->properties[key].field;
}

SQInteger UIItemInterfaceProxy_SetToItemByName(HSQUIRRELVM vm)
{
    UIItemProxy* proxy = nullptr;
    const char* name = nullptr;
    if (!ScriptCheckInstance(vm, 1, proxy))
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    proxy->item = GetUIInterface().FindItemByName(HashString(name));
    return 0;
}

bool ArgKey(HSQUIRRELVM vm, SQInteger index, int& key)
{
    float value = 0.0f;
    if (ScriptArgInt(vm, index, key))
        return true;
    if (!ScriptArgFloat(vm, index, value))
        return false;
    key = int(value);
    return true;
}

SQInteger UIItemInterfaceProxy_GetUIPropertyInt(HSQUIRRELVM vm)
{
    int key = 0;
    SQInteger error = 0;
    if (!ArgKey(vm, 2, key))
        return ScriptBadArgument(vm);
    const void* field = ProxyProperty(vm, key, kUIPropertyInt, error);
    return field ? ScriptReturnInt(vm, *static_cast<const int32_t*>(field)) : error;
}

SQInteger UIItemInterfaceProxy_GetUIPropertyBool(HSQUIRRELVM vm)
{
    int key = 0;
    SQInteger error = 0;
    if (!ArgKey(vm, 2, key))
        return ScriptBadArgument(vm);
    const void* field = ProxyProperty(vm, key, kUIPropertyBool, error);
    return field ? ScriptReturnBool(vm, *static_cast<const uint8_t*>(field) != 0) : error;
}

SQInteger UIItemInterfaceProxy_GetUIPropertyString(HSQUIRRELVM vm)
{
    int key = 0;
    SQInteger error = 0;
    if (!ArgKey(vm, 2, key))
        return ScriptBadArgument(vm);
    const void* field = ProxyProperty(vm, key, kUIPropertyString, error);
    return field ? ScriptReturnString(vm, static_cast<const FixedString256*>(field)->c_str()) : error;
}

SQInteger UIItemInterfaceProxy_SetUIPropertyInt(HSQUIRRELVM vm)
{
    int value = 0, key = 0;
    SQInteger error = 0;
    if (!ArgKey(vm, 2, value) || !ArgKey(vm, 3, key))
        return ScriptBadArgument(vm);
    void* field = ProxyProperty(vm, key, kUIPropertyInt, error);
    if (field)
        *static_cast<int32_t*>(field) = value;
    return error;
}

SQInteger UIItemInterfaceProxy_SetUIPropertyBool(HSQUIRRELVM vm)
{
    bool value = false;
    int key = 0;
    SQInteger error = 0;
    if (!ScriptArgBool(vm, 2, value) || !ArgKey(vm, 3, key))
        return ScriptBadArgument(vm);
    void* field = ProxyProperty(vm, key, kUIPropertyBool, error);
    if (field)
        *static_cast<uint8_t*>(field) = value ? 1 : 0;
    return error;
}

SQInteger UIItemInterfaceProxy_SetUIPropertyString(HSQUIRRELVM vm)
{
    const char* value = nullptr;
    int key = 0;
    SQInteger error = 0;
    if (!ScriptArgString(vm, 2, value) || !ArgKey(vm, 3, key))
        return ScriptBadArgument(vm);
    void* field = ProxyProperty(vm, key, kUIPropertyString, error);
    if (field)
        *static_cast<FixedString256*>(field) = value;
    return error;
}

UIList* ProxyList(HSQUIRRELVM vm, SQInteger& error)
{
    UIItemProxy* proxy = nullptr;
    error = 0;
    if (!ScriptCheckInstance(vm, 1, proxy))
        error = SQ_ERROR;
    else if (!proxy->item)
        error = ProxyError(vm, "no item", -1);
    else if (proxy->item->type != kUIList)
        error = ProxyError(vm, "a list call on an item that is no list", -1);
    return error ? nullptr : static_cast<UIList*>(proxy->item->widget.get());
}

SQInteger UIItemInterfaceProxy_AddItemToBack(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    SQInteger error = 0;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    UIList* list = ProxyList(vm, error);
    if (list)
        list->AddRow(text);
    return error;
}

SQInteger UIItemInterfaceProxy_RemoveAllItems(HSQUIRRELVM vm)
{
    SQInteger error = 0;
    UIList* list = ProxyList(vm, error);
    if (list)
        list->Reset();
    return error;
}

SQInteger UIItemInterfaceProxy_GetItemsPerPage(HSQUIRRELVM vm)
{
    SQInteger error = 0;
    UIList* list = ProxyList(vm, error);
    return list ? ScriptReturnInt(vm, list->RowsPerPage()) : error;
}
} // namespace

void RegisterFrontendGeneralScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "DrawQuad2D", DrawQuad2D, ".xxxxxxxx");
    ScriptBindGlobalFunction(vm, "SystemUserMessage", SystemUserMessage, ".sb");
    RegisterBarsScriptAPI(vm);
    RegisterScreenElementManagerScriptAPI(vm);
}

void RegisterFrontendScriptAPI(HSQUIRRELVM vm)
{
    RegisterElementScriptAPI(vm);
    RegisterHudScriptAPI(vm);
    RegisterTextureMeterScriptAPI(vm);
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "BasicText", sizeof(ScriptBasicText), nullptr, BasicText_constructor)
        .AddMethod("__assign", BasicText_assign, "xx")
        .AddMethod("GetStringLength", BasicText_GetStringLength, "xs")
        .AddMethod("GetStringHeight", BasicText_GetStringHeight, "xsi");
    ScriptBindMethod(vm, "Sprite", "DrawText", Sprite_DrawText, false, "xsxxnnn", -6);
    ScriptBindGlobalFunction(vm, "DrawLine", DrawLine, ".xxx");
    ScriptBindGlobalFunction(vm, "UIInterface_ChangeScreenByName", UIInterface_ChangeScreenByName, ".sb");
    ScriptBindGlobalFunction(vm, "UIInterface_GetCurrentScreenName", UIInterface_GetCurrentScreenName, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_Enable", UIInterface_Enable, ".b");
    ScriptBindGlobalFunction(vm, "UIInterface_ClickInput", UIInterface_ClickInput, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_TabForward", UIInterface_Input<&UIInterface::TabForward>, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_TabBack", UIInterface_Input<&UIInterface::TabBack>, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_InputLeft", UIInterface_Input<&UIInterface::InputLeft>, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_InputRight", UIInterface_Input<&UIInterface::InputRight>, ".");
    ScriptBindGlobalFunction(vm, "UIInterface_InputBack", UIInterface_Input<&UIInterface::InputBack>, ".");
    ScriptBindClass(handle, vm, "UIItemInterfaceProxy", sizeof(UIItemProxy), nullptr,
                    UIItemInterfaceProxy_constructor)
        .AddMethod("SetToItemByName", UIItemInterfaceProxy_SetToItemByName, "xs")
        .AddMethod("GetUIPropertyInt", UIItemInterfaceProxy_GetUIPropertyInt, "xn")
        // The key is the argument these take as well.
        .AddMethod("GetUIPropertyBool", UIItemInterfaceProxy_GetUIPropertyBool, "xn")
        .AddMethod("GetUIPropertyString", UIItemInterfaceProxy_GetUIPropertyString, "xn")
        .AddMethod("SetUIPropertyInt", UIItemInterfaceProxy_SetUIPropertyInt, "xnn")
        .AddMethod("SetUIPropertyBool", UIItemInterfaceProxy_SetUIPropertyBool, "xbn")
        .AddMethod("SetUIPropertyString", UIItemInterfaceProxy_SetUIPropertyString, "xsn")
        .AddMethod("AddItemToBack", UIItemInterfaceProxy_AddItemToBack, "xs")
        .AddMethod("RemoveAllItems", UIItemInterfaceProxy_RemoveAllItems, "x")
        .AddMethod("GetItemsPerPage", UIItemInterfaceProxy_GetItemsPerPage, "x");
}
