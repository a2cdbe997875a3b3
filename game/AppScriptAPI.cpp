#include "game/AppScriptAPI.h"

#include "audio/SoundScriptAPI.h"
#include "cross/CameraScriptAPI.h"
#include "cross/ModelScriptAPI.h"
#include "fx/FXScriptAPI.h"
#include "game/AppNatives.h"
#include "game/WorldSoundDefScriptAPI.h"
#include "script/InputScriptAPI.h"
#include "script/MathScriptAPI.h"
#include "script/UtilScriptAPI.h"

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
    RegisterUtilScriptAPI(vm);
    RegisterInputScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    // Step 4: the camera and display classes and globals, among them the model caches.
    RegisterCameraScriptAPI(vm);
    RegisterModelScriptAPI(vm);
    RegisterSoundScriptAPI(vm);
    // Step 7: effect handles and keyed curves.
    RegisterFXScriptAPI(vm);
    RegisterWorldSoundDefScriptAPI(vm);
    RegisterStandardMathLibrary(vm);
    RegisterAppNatives(vm);
}
