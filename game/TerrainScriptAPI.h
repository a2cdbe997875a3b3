#pragma once
// The terrain's script face: `TERRAIN.TestHeight` and `Terrain_Create`.
#include <squirrel.h>

void RegisterTerrainScriptAPI(HSQUIRRELVM vm);
