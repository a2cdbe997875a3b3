#include "game/AppUI.h"

#include "cross/Render.h"
#include "frontend/UIInterface.h"
#include "game/AppScriptCalls.h"
#include "platform/Input.h"
#include "platform/ScanCodes.h"

namespace
{
void CallScriptByName(const char* name)
{
    AppCallScript(name);
}
} // namespace

void AppUIStart()
{
    UIInterface& ui = GetUIInterface();
    ui.Shutdown();
    ui.AddAspectRatio(4.0f / 3.0f);
    ui.AddAspectRatio(16.0f / 9.0f);
    AppUIResize();
    ui.SetFontDirectory("fonts");
    ui.LoadScreens("frontend", "screens.scn");
    ui.Enable(false);
    ui.SetButtonFunctionHandler(CallScriptByName);
    ui.SetSelectFunctionHandler(CallScriptByName);
    ui.SetSoundName("SOUND_UPGRADE_NAV", 2);
    ui.SetSoundName("SOUND_UPGRADE_NAV", 0);
    ui.SetHoverSelect(true);
}

void AppUIResize()
{
    unsigned width = 0;
    unsigned height = 0;
    RenderGetSize(width, height);
    GetUIInterface().SetViewport(int(width), int(height), 0, 0);
}

void AppUIMouseToFrontEnd()
{
    int x = 0;
    int y = 0;
    InputGetMousePosition(x, y);
    GetUIInterface().SetCursorPosition(float(x), float(y));
}

void AppUIStep()
{
    UIInterface& ui = GetUIInterface();
    ui.Update(0.0f);
    // Input is read once a step: a quick click goes down and up within one
    // read and is never newly down, yet the player made it.
    if (InputWasKeyPressed(MOUSE_BUTTON1))
        ui.ClickInput(true);
    if (InputWasKeyPressed(KEY_ESCAPE))
        ui.InputBack();
}

void AppUIDraw()
{
    GetUIInterface().RenderItems();
}

void AppUIShutdown()
{
    GetUIInterface().Shutdown();
}
