#include "core/rgba8888.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptBinding.h"

#include <cstddef>

namespace
{
// Each channel keeps the low byte of its integer (300 stores 44).
bool ReadChannels(HSQUIRRELVM vm, rgba8888& colour)
{
    SQInteger channels[4];
    for (int i = 0; i < 4; ++i)
        if (sq_gettype(vm, 2 + i) != OT_INTEGER || SQ_FAILED(sq_getinteger(vm, 2 + i, &channels[i])))
            return false;
    colour = rgba8888(static_cast<uint8_t>(channels[0]), static_cast<uint8_t>(channels[1]),
                      static_cast<uint8_t>(channels[2]), static_cast<uint8_t>(channels[3]));
    return true;
}

SQInteger rgba8888_constructor(HSQUIRRELVM vm)
{
    rgba8888 colour;
    if (sq_gettop(vm) < 5 || !ReadChannels(vm, colour))
        return sq_throwerror(vm, "rgba8888 takes four integers");
    rgba8888* self = static_cast<rgba8888*>(ScriptInstanceArea(vm, 1));
    if (!self)
        return sq_throwerror(vm, "the instance holds no native object");
    *self = colour;
    return 0;
}

SQInteger rgba8888_set(HSQUIRRELVM vm)
{
    rgba8888* self = nullptr;
    if (!ScriptCheckInstance(vm, 1, self))
        return SQ_ERROR;
    ReadChannels(vm, *self);
    return 0;
}

const ScriptVarDesc kRgba8888Members[] = {
    ScriptVarMember("r", kScriptVarByte, offsetof(rgba8888, r)),
    ScriptVarMember("g", kScriptVarByte, offsetof(rgba8888, g)),
    ScriptVarMember("b", kScriptVarByte, offsetof(rgba8888, b)),
    ScriptVarMember("a", kScriptVarByte, offsetof(rgba8888, a)),
    ScriptVarEnd(),
};
} // namespace

void RegisterRgba8888ScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "rgba8888", sizeof(rgba8888), kRgba8888Members, rgba8888_constructor)
        .AddMethod("set", rgba8888_set, "xiiii");
}
