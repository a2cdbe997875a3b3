#include "game/WorldSoundDefScriptAPI.h"

#include "audio/SoundDefinition.h"
#include "script/ScriptBinding.h"

namespace
{
// The file name is the last argument; anything but a string does nothing.
template <bool (*Action)(const char*)> SQInteger WithLastStringArgument(HSQUIRRELVM vm)
{
    const SQChar* file = nullptr;
    if (sq_gettype(vm, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, -1, &file)))
        Action(file);
    return 0;
}
} // namespace

void RegisterWorldSoundDefScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "Load_SoundDef", WithLastStringArgument<SoundDefLoad>);
    ScriptBindGlobalFunction(vm, "Unload_SoundDef", WithLastStringArgument<SoundDefUnload>);
}
