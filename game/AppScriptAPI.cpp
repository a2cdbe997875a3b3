#include "game/AppScriptAPI.h"

#include "audio/SoundScriptAPI.h"
#include "cross/CameraScriptAPI.h"
#include "cross/ModelScriptAPI.h"
#include "fx/FXScriptAPI.h"
#include "frontend/FrontendScriptAPI.h"
#include "game/ActorScriptAPI.h"
#include "game/AppNatives.h"
#include "game/CollisionScriptAPI.h"
#include "game/InstanceScriptAPI.h"
#include "game/InstanceSearchScriptAPI.h"
#include "game/LocatorScriptAPI.h"
#include "game/MessageManager.h"
#include "game/MoverScriptAPI.h"
#include "game/PathScriptAPI.h"
#include "game/PropScriptAPI.h"
#include "game/TileTerrainScriptAPI.h"
#include "game/WorldScriptAPI.h"
#include "game/WorldSoundDefScriptAPI.h"
#include "online/NetScriptAPI.h"
#include "online/SaveDataScriptAPI.h"
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
    RegisterPathScriptAPI(vm);
    RegisterInputScriptAPI(vm);
    RegisterSaveDataScriptAPI(vm);
    RegisterFrontendGeneralScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    // Step 4: the camera and display classes and globals, among them the model caches.
    RegisterCameraScriptAPI(vm);
    RegisterModelScriptAPI(vm);
    RegisterSoundScriptAPI(vm);
    // Step 7: effect handles and keyed curves.
    RegisterFXScriptAPI(vm);
    RegisterWorldSoundDefScriptAPI(vm);
    // Step 5: the front end's classes.
    RegisterFrontendScriptAPI(vm);
    RegisterWorldScriptAPI(vm);
    RegisterTileTerrainScriptAPI(vm);
    RegisterMoverScriptAPI(vm);
    RegisterLocatorScriptAPI(vm);
    RegisterCollisionScriptAPI(vm);
    RegisterMessageScriptAPI(vm);
    RegisterStandardMathLibrary(vm);
    RegisterActorScriptAPI(vm);
    RegisterInstanceScriptAPI(vm);
    RegisterInstanceSearchScriptAPI(vm);
    RegisterPropScriptAPI(vm);
    // Step 9: the online classes and globals.
    RegisterNetScriptAPI(vm);
    RegisterAppNatives(vm);
}
