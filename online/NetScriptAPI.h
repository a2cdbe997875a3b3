#pragma once
// Step 9 of the script registration: the online classes (the bit stream, the
// two packed records, leaderboards and their entries) and the lobby, node
// layer, networking, statistics and achievement globals.

#include <squirrel.h>

void RegisterNetScriptAPI(HSQUIRRELVM vm);
