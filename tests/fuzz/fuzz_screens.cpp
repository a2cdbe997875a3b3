// Screen files: screens of items with their fonts, widgets and names, then
// the operations a frame runs on them.
#include "FuzzTarget.h"

#include "frontend/ScreenElementData.h"
#include "frontend/UIInterface.h"

namespace
{
BasicText* NoFont(const char*)
{
    return nullptr;
}
} // namespace

FUZZ_TARGET(screens)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    UIInterface::SetFontMaker(NoFont);
    FuzzUseNoScreenTextures();
    UIInterface ui;
    ui.SetViewport(640, 480, 0, 0);
    ui.ReadScreens("frontend", reinterpret_cast<const char*>(data), int(size));
    ui.SetHoverSelect(true);
    ui.SetCursorPosition(10, 10);
    ui.Update(0.0f);
    ui.TabForward();
    ui.TabBack();
    ui.InputLeft();
    ui.InputRight();
    ui.ClickInput(false);
    ui.ClickInput(true);
    ui.InputBack();
    ui.Update(0.0f);
    ui.Shutdown();
    return 0;
}
