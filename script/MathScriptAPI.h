#pragma once
// The engine's value types as script classes: Vec3, Vec2, Mat4 and rgba8888.
// Each instance holds its value; natives that return one make a new instance.
#include <squirrel.h>

constexpr float kDegreesToRadians = 0.0174532924f;
constexpr float kRadiansToDegrees = 57.2957764f;

// Vec3, Vec2 and Mat4: registered before anything that returns them.
void RegisterMathScriptAPI(HSQUIRRELVM vm);
// rgba8888: registered with the camera and display classes.
void RegisterRgba8888ScriptAPI(HSQUIRRELVM vm);
