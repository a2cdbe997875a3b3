#pragma once
// The script classes FX (effect handles), InterpDef and Interp (keyed curves).
#include <squirrel.h>

void RegisterFXScriptAPI(HSQUIRRELVM vm);
