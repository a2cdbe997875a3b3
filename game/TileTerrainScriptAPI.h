#pragma once
// The board's global script functions "TileTerrain_*". Without a board the
// queries answer false or 0 and the rest do nothing.
#include <squirrel.h>

void RegisterTileTerrainScriptAPI(HSQUIRRELVM vm);
