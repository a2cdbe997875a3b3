#include "game/AppScriptAPI.h"

#include "audio/SoundScriptAPI.h"
#include "cross/ModelScriptAPI.h"
#include "game/WorldSoundDefScriptAPI.h"
#include "script/MathScriptAPI.h"

#include <sqstdmath.h>

namespace
{
void RegisterStandardMathLibrary(HSQUIRRELVM vm)
{
    sq_pushroottable(vm);
    sqstd_register_mathlib(vm);
    sq_pop(vm, 1);
}
} // namespace

void RegisterAppScriptAPI(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    // Step 4: the camera and display globals, among them the model caches.
    RegisterModelScriptAPI(vm);
    RegisterSoundScriptAPI(vm);
    RegisterWorldSoundDefScriptAPI(vm);
    RegisterStandardMathLibrary(vm);
}
