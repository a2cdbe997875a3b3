#pragma once
// The instance table's global natives, InstanceCreate to InstanceDestroyAllOfType.
#include <squirrel.h>

void RegisterInstanceScriptAPI(HSQUIRRELVM vm);
