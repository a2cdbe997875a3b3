#include "game/DebugKeys.h"

#include "cross/ActorRenderInstance.h"
#include "game/AppUI.h"
#include "opengl/Screenshot.h"
#include "opengl/Texture.h"
#include "platform/Input.h"
#include "platform/InputMap.h"
#include "platform/ScanCodes.h"
#include "platform/Shell.h"

namespace
{
InputMap g_engineInputMap;
int g_consoleToggle = -1;
bool g_consoleVisible = false;
bool g_stepLogRequest = false;

int AddCommand(int32_t type, int32_t data, int32_t condition)
{
    InputCommand command;
    command.type = type;
    command.data = data;
    command.condition = condition;
    return g_engineInputMap.AddInputCommand(command);
}

bool ShiftHeld()
{
    return InputIsKeyDown(KEY_LSHIFT) || InputIsKeyDown(KEY_RSHIFT);
}
} // namespace

bool AltF4Pressed()
{
    return InputIsKeyNewlyDown(KEY_F4) && (InputIsKeyDown(KEY_LALT) || InputIsKeyDown(KEY_RALT));
}

void AddEngineInputCommands()
{
    g_engineInputMap.Clear();
    AddCommand(INPUT_COMMAND_TYPE_CURSOR_DELTA, 0, INPUT_COMMAND_CONDITION_NONE);
    AddCommand(INPUT_COMMAND_TYPE_CURSOR, 0, INPUT_COMMAND_CONDITION_NONE);
    g_consoleToggle = AddCommand(INPUT_COMMAND_TYPE_KEY, KEY_TAB, INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN);
    AddCommand(INPUT_COMMAND_TYPE_ANALOG_STICK, 0, INPUT_COMMAND_CONDITION_NONE);
    AddCommand(INPUT_COMMAND_TYPE_ANALOG_STICK, 1, INPUT_COMMAND_CONDITION_NONE);
}

void DebugKeyToggles()
{
    InputUpdate();
    if (g_engineInputMap.GetIsInputCommandConditionExecuted(g_consoleToggle))
        g_consoleVisible = !g_consoleVisible;
    if (InputIsKeyNewlyDown(KEY_F9))
        TextureReportNonPowerOfTwo();
    if (InputIsKeyNewlyDown(KEY_F2))
        ActorRenderToggleSkeletonView();
    if (InputIsKeyNewlyDown(KEY_PRINTSCREEN))
        ScreenshotRequest(ShiftHeld());
    if (AltF4Pressed())
        RequestQuit();
    g_stepLogRequest = InputIsKeyNewlyDown(KEY_F3);
}

void MouseToFrontEnd()
{
    AppUIMouseToFrontEnd();
}

bool GetStepLogRequest()
{
    return g_stepLogRequest;
}
bool IsConsoleVisible()
{
    return g_consoleVisible;
}
