#pragma once
// The script classes CameraController, CameraController2Point and Resolution
// and the camera and display globals: display modes, lighting support and
// the debug sphere. Angles from scripts are degrees.
#include <squirrel.h>

void RegisterCameraScriptAPI(HSQUIRRELVM vm);
