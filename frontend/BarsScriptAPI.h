#pragma once
// The scripts' billboard bars: BarAdd, BarStringAdd, BarTextureAdd,
// BarAddTextureToTexturePool, BarDestroyByIndex and BarsClear. A string bar
// keeps its font's script instance alive until the bar is freed.
#include <squirrel.h>

void RegisterBarsScriptAPI(HSQUIRRELVM vm);
