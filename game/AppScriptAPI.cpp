#include "game/AppScriptAPI.h"

#include "script/MathScriptAPI.h"

// The standard libraries come with the VM once they are built.
#if __has_include(<sqstdmath.h>)
#include <sqstdmath.h>
#define PENDREL_HAVE_SQSTDMATH 1
#endif

namespace
{
void RegisterStandardMathLibrary(HSQUIRRELVM vm)
{
#ifdef PENDREL_HAVE_SQSTDMATH
    sq_pushroottable(vm);
    sqstd_register_mathlib(vm);
    sq_pop(vm, 1);
#else
    (void)vm;
#endif
}
} // namespace

void RegisterAppScriptAPI(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    RegisterStandardMathLibrary(vm);
}
