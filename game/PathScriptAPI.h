#pragma once
// The script class "Path": a polyline held in the script instance, built
// point by point or from a locator path, and sampled by distance.
#include <squirrel.h>

void RegisterPathScriptAPI(HSQUIRRELVM vm);
