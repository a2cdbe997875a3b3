#pragma once
// The script classes "FireProperties" and "FireInterfaceProxy" and the
// FireAreas_ globals: scripts build fire areas, light and step them.
#include <squirrel.h>

void RegisterFireScriptAPI(HSQUIRRELVM vm);
