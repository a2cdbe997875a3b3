#pragma once
// The script classes of the front-end elements (sprites, buttons, menus,
// sliders, drop-down menus, curve bars) and the globals of the loading
// screen and the button manager.
#include <squirrel.h>

void RegisterElementScriptAPI(HSQUIRRELVM vm);
// Before the VM closes: the instances that menus and buttons keep alive
// (their listed and connected buttons) are let go.
void ElementScriptReleaseHolds();
