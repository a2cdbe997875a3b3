#pragma once
// The world globals Load_SoundDef and Unload_SoundDef. They stand alone until
// the world's script registration exists; it then registers these two with
// the rest of the world globals and this unit goes away.
#include <squirrel.h>

void RegisterWorldSoundDefScriptAPI(HSQUIRRELVM vm);
