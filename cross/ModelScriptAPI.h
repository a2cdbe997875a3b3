#pragma once
// The script globals of the model and animation caches: CacheModel,
// CacheAnim, MaskBufferModel and UnMaskBufferModels.

#include <squirrel.h>

void RegisterModelScriptAPI(HSQUIRRELVM vm);
