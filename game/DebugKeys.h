#pragma once
// The developer keys, read once per fixed step after the input update.

namespace ScanCode
{
constexpr int kTab = 0x0F;
constexpr int kLeftShift = 0x2A;
constexpr int kRightShift = 0x36;
constexpr int kLeftAlt = 0x38;
constexpr int kRightAlt = 0xB8;
constexpr int kF2 = 0x3C;
constexpr int kF3 = 0x3D;
constexpr int kF4 = 0x3E;
constexpr int kF9 = 0x43;
constexpr int kPrintScreen = 0xB7;
} // namespace ScanCode

void DebugKeyToggles();
void MouseToFrontEnd();
bool GetStepLogRequest();
bool IsConsoleVisible();
// Alt+F4 newly pressed: the shell asks to quit after the frame.
bool AltF4Pressed();
