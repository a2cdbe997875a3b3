#pragma once
// The class "INSTANCE": static distance searches over a script array of
// instances, reading each element's position from its native object.
#include <squirrel.h>

void RegisterInstanceSearchScriptAPI(HSQUIRRELVM vm);
