#include "game/DebugKeys.h"

#include "game/EngineSeams.h"
#include "platform/Shell.h"

namespace
{
bool g_consoleVisible = false;
bool g_stepLogRequest = false;

bool ShiftHeld() { return SeamKeyDown(ScanCode::kLeftShift) || SeamKeyDown(ScanCode::kRightShift); }
} // namespace

bool AltF4Pressed()
{
    return SeamKeyNewlyDown(ScanCode::kF4) &&
           (SeamKeyDown(ScanCode::kLeftAlt) || SeamKeyDown(ScanCode::kRightAlt));
}

void DebugKeyToggles()
{
    SeamInputUpdate();
    if (SeamKeyNewlyDown(ScanCode::kTab))
        g_consoleVisible = !g_consoleVisible;
    if (SeamKeyNewlyDown(ScanCode::kF9))
        SeamReportNonPowerOfTwoTextures();
    if (SeamKeyNewlyDown(ScanCode::kF2))
        SeamToggleSkeletonView();
    if (SeamKeyNewlyDown(ScanCode::kPrintScreen))
        SeamTakeScreenshot(ShiftHeld());
    if (AltF4Pressed())
        RequestQuit();
    g_stepLogRequest = SeamKeyNewlyDown(ScanCode::kF3);
}

void MouseToFrontEnd() { SeamMouseToFrontEnd(); }

bool GetStepLogRequest() { return g_stepLogRequest; }
bool IsConsoleVisible() { return g_consoleVisible; }
