#pragma once
// The script classes "MoverOneD", "Mover3D" and "Rotator": small value
// animators that scripts step by hand.
#include <squirrel.h>

void RegisterMoverScriptAPI(HSQUIRRELVM vm);
