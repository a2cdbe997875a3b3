#include "cross/ModelScriptAPI.h"

#include "cross/AnimBuffer.h"
#include "cross/ModelCache.h"
#include "script/ScriptBinding.h"

namespace
{
const SQChar* StringArgument(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_FAILED(sq_getstring(vm, 2, &text)))
        return nullptr;
    return text;
}

// The reference taken stays with the cache: the model lives on for its
// later users.
SQInteger CacheModel(HSQUIRRELVM vm)
{
    if (const SQChar* path = StringArgument(vm))
        ModelCache(path);
    return 0;
}

SQInteger CacheAnim(HSQUIRRELVM vm)
{
    if (const SQChar* path = StringArgument(vm))
        AnimRelease(AnimCache(path, kAnimCacheScriptMaximum, 0));
    return 0;
}

SQInteger MaskBufferModel(HSQUIRRELVM vm)
{
    if (const SQChar* name = StringArgument(vm))
        ModelBufferModelMask(name);
    return 0;
}

SQInteger UnMaskBufferModels(HSQUIRRELVM)
{
    ModelBufferModelsUnmaskAll();
    return 0;
}
} // namespace

void RegisterModelScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "CacheModel", CacheModel, ".s");
    ScriptBindGlobalFunction(vm, "CacheAnim", CacheAnim, ".s");
    ScriptBindGlobalFunction(vm, "MaskBufferModel", MaskBufferModel, ".s");
    ScriptBindGlobalFunction(vm, "UnMaskBufferModels", UnMaskBufferModels);
}
