#include "script/InputScriptAPI.h"

#include "platform/Controllers.h"
#include "platform/Input.h"
#include "script/ScriptArguments.h"

namespace
{
#define PENDREL_INPUT_CONSTANT(name) ScriptVarConstantValue(#name, name)

// Key and mouse codes are the input layer's own, fixed when the class is made.
const ScriptVarDesc kInputConstants[] = {
    ScriptVarConstantValue("JOY_X", 0),
    ScriptVarConstantValue("JOY_Y", 1),
    ScriptVarConstantValue("JOY_Z", 2),
    ScriptVarConstantValue("JOY_ALT_X", 3),
    ScriptVarConstantValue("JOY_ALT_Y", 4),
    ScriptVarConstantValue("JOY_ALT_Z", 5),
    ScriptVarConstantValue("JOY_ButtonA", 0),
    ScriptVarConstantValue("JOY_ButtonB", 1),
    ScriptVarConstantValue("JOY_L1", 3),
    ScriptVarConstantValue("JOY_L2", 4),
    ScriptVarConstantValue("JOY_R1", 5),
    ScriptVarConstantValue("JOY_R2", 6),
    ScriptVarConstantValue("JOY_ButtonX", 7),
    ScriptVarConstantValue("JOY_ButtonY", 8),
    ScriptVarConstantValue("BUMP_LEFT", 11),
    ScriptVarConstantValue("BUMP_RIGHT", 12),
    ScriptVarConstantValue("JOY_CIRCLE", 13),
    ScriptVarConstantValue("JOY_CROSS", 14),
    ScriptVarConstantValue("TRIG_LEFT", 15),
    ScriptVarConstantValue("TRIG_RIGHT", 16),
    ScriptVarConstantValue("JOY_SELECT", 21),
    ScriptVarConstantValue("JOY_SQUARE", 22),
    ScriptVarConstantValue("JOY_START", 23),
    ScriptVarConstantValue("JOY_TRIANGLE", 24),
    ScriptVarConstantValue("THUMB_LEFT", 25),
    ScriptVarConstantValue("THUMB_RIGHT", 26),
    ScriptVarConstantValue("DPAD_UP", 29),
    ScriptVarConstantValue("DPAD_DOWN", 30),
    ScriptVarConstantValue("DPAD_LEFT", 31),
    ScriptVarConstantValue("DPAD_RIGHT", 32),
    ScriptVarConstantValue("INITIALIZE_BUTTON_MODE_DEFAULT", 0),
    ScriptVarConstantValue("INITIALIZE_BUTTON_MODE_EMULATION", 1),
    ScriptVarConstantValue("INITIALIZE_BUTTON_MODE_NONE", 2),
    ScriptVarConstantValue("INITIALIZE_BUTTON_MODE_MAX", 3),
    PENDREL_INPUT_CONSTANT(KEY_ESCAPE),
    PENDREL_INPUT_CONSTANT(KEY_TAB),
    PENDREL_INPUT_CONSTANT(KEY_BACKSPACE),
    PENDREL_INPUT_CONSTANT(KEY_SPACE),
    PENDREL_INPUT_CONSTANT(KEY_RETURN),
    PENDREL_INPUT_CONSTANT(KEY_PRINTSCREEN),
    PENDREL_INPUT_CONSTANT(KEY_SCROLLLOCK),
    PENDREL_INPUT_CONSTANT(KEY_PAUSE),
    PENDREL_INPUT_CONSTANT(KEY_F1),
    PENDREL_INPUT_CONSTANT(KEY_F2),
    PENDREL_INPUT_CONSTANT(KEY_F3),
    PENDREL_INPUT_CONSTANT(KEY_F4),
    PENDREL_INPUT_CONSTANT(KEY_F5),
    PENDREL_INPUT_CONSTANT(KEY_F6),
    PENDREL_INPUT_CONSTANT(KEY_F7),
    PENDREL_INPUT_CONSTANT(KEY_F8),
    PENDREL_INPUT_CONSTANT(KEY_F9),
    PENDREL_INPUT_CONSTANT(KEY_F10),
    PENDREL_INPUT_CONSTANT(KEY_F11),
    PENDREL_INPUT_CONSTANT(KEY_F12),
    PENDREL_INPUT_CONSTANT(KEY_UP),
    PENDREL_INPUT_CONSTANT(KEY_DOWN),
    PENDREL_INPUT_CONSTANT(KEY_LEFT),
    PENDREL_INPUT_CONSTANT(KEY_RIGHT),
    PENDREL_INPUT_CONSTANT(KEY_INSERT),
    PENDREL_INPUT_CONSTANT(KEY_NUMINSERT),
    PENDREL_INPUT_CONSTANT(KEY_DELETE),
    PENDREL_INPUT_CONSTANT(KEY_HOME),
    PENDREL_INPUT_CONSTANT(KEY_END),
    PENDREL_INPUT_CONSTANT(KEY_PAGEUP),
    PENDREL_INPUT_CONSTANT(KEY_PAGEDOWN),
    PENDREL_INPUT_CONSTANT(KEY_LCONTROL),
    PENDREL_INPUT_CONSTANT(KEY_LALT),
    PENDREL_INPUT_CONSTANT(KEY_LSHIFT),
    PENDREL_INPUT_CONSTANT(KEY_RCONTROL),
    PENDREL_INPUT_CONSTANT(KEY_RALT),
    PENDREL_INPUT_CONSTANT(KEY_RSHIFT),
    PENDREL_INPUT_CONSTANT(KEY_CAPSLOCK),
    PENDREL_INPUT_CONSTANT(MOUSE_BUTTON1),
    PENDREL_INPUT_CONSTANT(MOUSE_BUTTON2),
    PENDREL_INPUT_CONSTANT(MOUSE_BUTTON3),
    PENDREL_INPUT_CONSTANT(MOUSE_BUTTON4),
    PENDREL_INPUT_CONSTANT(MOUSE_BUTTON5),
    PENDREL_INPUT_CONSTANT(MOUSE_WHEELUP),
    PENDREL_INPUT_CONSTANT(MOUSE_WHEELDOWN),
    ScriptVarEnd(),
};

#undef PENDREL_INPUT_CONSTANT

SQInteger Input_GetJoyAxis(HSQUIRRELVM vm)
{
    int pad = 0, axis = 0;
    if (!ScriptArgTwoInts(vm, pad, axis))
        return ScriptBadArgument(vm);
    return ScriptReturnFloat(vm, InputGetJoyAxis(pad, axis));
}

SQInteger Input_IsButtonDown(HSQUIRRELVM vm)
{
    int pad = 0, button = 0;
    if (!ScriptArgTwoInts(vm, pad, button))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, InputIsButtonDown(pad, button));
}

// Only the key's low byte names it.
SQInteger Input_IsKeyNewlyDown(HSQUIRRELVM vm)
{
    int key = 0;
    if (!ScriptArgInt(vm, 2, key))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, InputIsKeyNewlyDown(key & 0xFF));
}

SQInteger Input_IsControllerAvailable(HSQUIRRELVM vm)
{
    int pad = 0;
    if (!ScriptArgInt(vm, 2, pad))
        return ScriptBadArgument(vm);
    return ScriptReturnBool(vm, InputIsControllerAvailable(pad));
}

// Pads here have no motors: the arguments are read and nothing else happens.
SQInteger VibrateController(HSQUIRRELVM)
{
    return 0;
}

SQInteger GetLastUsed(HSQUIRRELVM vm)
{
    return ScriptReturnInt(vm, InputGetLastUsed());
}

SQInteger SetLastUsed(HSQUIRRELVM vm)
{
    int kind = 0;
    if (!ScriptArgInt(vm, 2, kind))
        return ScriptBadArgument(vm);
    InputSetLastUsed(kind);
    return 0;
}

SQInteger SetInitializeButtonMode(HSQUIRRELVM vm)
{
    float mode = 0.0f;
    if (!ScriptArgFloat(vm, 2, mode))
        return ScriptBadArgument(vm);
    InputSetButtonMode(static_cast<int>(mode));
    return 0;
}
} // namespace

void RegisterInputScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Input", 0, kInputConstants, nullptr)
        .AddStaticMethod("GetJoyAxis", Input_GetJoyAxis)
        .AddStaticMethod("IsButtonDown", Input_IsButtonDown)
        .AddStaticMethod("IsKeyNewlyDown", Input_IsKeyNewlyDown)
        .AddStaticMethod("IsControllerAvailable", Input_IsControllerAvailable);
    ScriptBindGlobalFunction(vm, "VibrateController", VibrateController, ".ibn");
    ScriptBindGlobalFunction(vm, "GetLastUsed", GetLastUsed);
    ScriptBindGlobalFunction(vm, "SetLastUsed", SetLastUsed);
    ScriptBindGlobalFunction(vm, "SetInitializeButtonMode", SetInitializeButtonMode, ".n");
}
