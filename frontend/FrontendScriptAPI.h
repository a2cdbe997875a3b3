#pragma once
// The front end's script classes and natives. The general natives (2D quads,
// system messages) register with the general API; the front-end classes
// later, with the other subsystems' classes.
#include <squirrel.h>

void RegisterFrontendGeneralScriptAPI(HSQUIRRELVM vm);
void RegisterFrontendScriptAPI(HSQUIRRELVM vm);
