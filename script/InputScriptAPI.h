#pragma once
// The static class Input (pads, keys, the mouse) and the input globals:
// the device used last, the button mode and pad vibration.
#include <squirrel.h>

void RegisterInputScriptAPI(HSQUIRRELVM vm);
