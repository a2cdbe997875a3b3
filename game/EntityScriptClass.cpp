#include "game/EntityScriptClass.h"

#include "cross/ModelCache.h"
#include "game/EntityRegistry.h"
#include "script/ScriptArguments.h"

#include <cstring>

namespace
{
bool EndsWith(const char* text, const char* end)
{
    const size_t length = strlen(text);
    const size_t endLength = strlen(end);
    return length >= endLength && strcmp(text + length - endLength, end) == 0;
}
} // namespace

void EntityScriptRegister(Entity* entity)
{
    if (!GetEntityRegistry().Contains(entity))
        EntityRegistryAdd(entity);
}

void EntityScriptUnregister(Entity* entity)
{
    EntityRegistryRemove(entity);
}

SQInteger EntityScriptStep(HSQUIRRELVM)
{
    return 0;
}

GraphicArgument ReadGraphicArgument(HSQUIRRELVM vm, Model*& model)
{
    const char* path = nullptr;
    if (!ScriptArgString(vm, 2, path))
        return GraphicArgument::Bad;
    if (!EndsWith(path, ".chmodel"))
        return GraphicArgument::Ignored;
    model = ModelCache(path);
    return GraphicArgument::Read;
}
