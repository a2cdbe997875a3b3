#pragma once
// The script classes CameraController, CameraController2Point and Resolution
// and the camera and display globals: display modes, lighting support and
// the debug sphere. Angles from scripts are degrees.
#include "script/ScriptBinding.h"

#include <squirrel.h>

class CameraController;
class CameraController2Point;
PENDREL_SCRIPT_CLASS(CameraController, "CameraController");
PENDREL_SCRIPT_CLASS(CameraController2Point, "CameraController2Point");

void RegisterCameraScriptAPI(HSQUIRRELVM vm);
