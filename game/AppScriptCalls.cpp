#include "game/AppScriptCalls.h"

#include "script/ScriptHost.h"

namespace
{
// The arguments are on the stack; the call consumes them, found or not.
bool CallWithPushed(const char* name, int argumentCount, bool profile = false)
{
    return ScriptCall(ScriptGetVM(), "game", name, argumentCount, false, profile);
}

bool HaveVM()
{
    return ScriptGetVM() != nullptr;
}
} // namespace

bool AppCallScript(const char* name, bool profile)
{
    return HaveVM() && CallWithPushed(name, 0, profile);
}

bool AppCallScriptFloat(const char* name, float value, bool profile)
{
    if (!HaveVM())
        return false;
    sq_pushfloat(ScriptGetVM(), value);
    return CallWithPushed(name, 1, profile);
}

bool AppCallScriptString(const char* name, const char* text)
{
    if (!HaveVM())
        return false;
    sq_pushstring(ScriptGetVM(), text, -1);
    return CallWithPushed(name, 1);
}

bool AppCallScriptStringInt(const char* name, const char* text, int value)
{
    if (!HaveVM())
        return false;
    sq_pushstring(ScriptGetVM(), text, -1);
    sq_pushinteger(ScriptGetVM(), value);
    return CallWithPushed(name, 2);
}

bool AppCallScriptIntInt(const char* name, int first, int second)
{
    if (!HaveVM())
        return false;
    sq_pushinteger(ScriptGetVM(), first);
    sq_pushinteger(ScriptGetVM(), second);
    return CallWithPushed(name, 2);
}

const char* AppScriptProfileLog()
{
    return ScriptGetProfileLog();
}
