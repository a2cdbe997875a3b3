#pragma once
// The script class "TextureMeter" and its TEXTURE_METER_TYPE_* constants.
#include <squirrel.h>

void RegisterTextureMeterScriptAPI(HSQUIRRELVM vm);
