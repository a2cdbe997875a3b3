#pragma once
// Step 2 of the script registration: the save-data classes "composer" and
// "SaveLoadFunctions" and the leaderboard globals.

#include <squirrel.h>

void RegisterSaveDataScriptAPI(HSQUIRRELVM vm);
