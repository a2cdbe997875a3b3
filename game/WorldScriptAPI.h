#pragma once
// The world's script classes and globals registered together: the terrain
// height query, the locators and the ground-plane collision tests.
#include <squirrel.h>

void RegisterWorldScriptAPI(HSQUIRRELVM vm);
