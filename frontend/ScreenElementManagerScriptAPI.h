#pragma once
// The script class "ScreenElementManager" over the manager of screen
// layouts, with its TEXT_ALIGN_TYPE_* constants.
#include <squirrel.h>

void RegisterScreenElementManagerScriptAPI(HSQUIRRELVM vm);
