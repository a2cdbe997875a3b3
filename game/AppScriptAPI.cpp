#include "game/AppScriptAPI.h"

#include "cross/ModelScriptAPI.h"
#include "script/MathScriptAPI.h"

#include <sqstdmath.h>

namespace
{
void RegisterStandardMathLibrary(HSQUIRRELVM vm)
{
    sq_pushroottable(vm);
    sqstd_register_mathlib(vm);
    sq_pop(vm, 1);
}
} // namespace

void RegisterAppScriptAPI(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    RegisterModelScriptAPI(vm);
    RegisterStandardMathLibrary(vm);
}
