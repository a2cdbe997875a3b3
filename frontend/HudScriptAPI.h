#pragma once
// The script classes of the HUD and its screens: the pop-up window, the
// player panel, the upgrade points, bars and menu.
#include <squirrel.h>

void RegisterHudScriptAPI(HSQUIRRELVM vm);
