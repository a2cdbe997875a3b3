#pragma once
// The script globals that control the run as a whole: pause, quit, the
// in-game flag with its step-time measurement, the screen size, the camera
// planes, the overlay rectangle, ambient occlusion, the light mode and the
// lights; SetAsCurrentCamera on both camera classes and the light-mode
// enumeration. Registered last.

#include <squirrel.h>

void RegisterAppNatives(HSQUIRRELVM vm);

// Entering switches the script pool on and starts a new sample record;
// leaving writes the step-time log when "logsteptime" is on.
void AppSetInGame(bool inGame);
// Changes the paused state, telling the script through OnPause or OnUnpause.
void AppSetPaused(bool paused);
// A new main window of the size, with the same GL context made current on
// it; the render size and the render targets follow.
void AppChangeScreenSize(int width, int height, bool fullScreen);
// False (the planes unchanged) after a report unless 0 < near < far.
bool AppSetNearFarPlanes(float nearPlane, float farPlane);
