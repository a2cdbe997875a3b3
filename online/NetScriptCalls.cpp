#include "online/NetScriptCalls.h"

#include "script/ScriptHost.h"

namespace
{
bool Call(HSQUIRRELVM vm, const char* name, int argumentCount, bool wantResult)
{
    return ScriptCall(vm, "game", name, argumentCount, wantResult, false);
}
} // namespace

bool NetCallScript(const char* name)
{
    HSQUIRRELVM vm = ScriptGetVM();
    return vm && Call(vm, name, 0, false);
}

bool NetCallScriptInt(const char* name, int value)
{
    HSQUIRRELVM vm = ScriptGetVM();
    if (!vm)
        return false;
    sq_pushinteger(vm, value);
    return Call(vm, name, 1, false);
}

bool NetCallScriptFloat(const char* name, float value)
{
    HSQUIRRELVM vm = ScriptGetVM();
    if (!vm)
        return false;
    sq_pushfloat(vm, value);
    return Call(vm, name, 1, false);
}

bool NetAskScript(const char* name)
{
    HSQUIRRELVM vm = ScriptGetVM();
    if (!vm || !Call(vm, name, 0, true))
        return false;
    SQBool answer = SQFalse;
    sq_tobool(vm, -1, &answer);
    sq_pop(vm, 1);
    return answer != SQFalse;
}
