#pragma once
// The developer keys, read once per fixed step after the input update.

// The engine's own input commands: cursor delta, cursor, the console toggle
// (Tab newly down) and the two sticks. Only the console toggle is acted on.
void AddEngineInputCommands();
void DebugKeyToggles();
void MouseToFrontEnd();
bool GetStepLogRequest();
bool IsConsoleVisible();
// Alt+F4 newly pressed: the shell asks to quit after the frame.
bool AltF4Pressed();
