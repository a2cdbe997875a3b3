#include "game/LocatorScriptAPI.h"

#include "game/LocatorStore.h"
#include "script/ScriptArguments.h"

#include <vector>

namespace
{
const char kLocatorClassName[] = "Locator";

const ScriptVarDesc kLocatorMembers[] = {
    ScriptVarConstantValue("LOCATOR_TYPE_SNORRIK_ENEMY_SPAWNER", kLocatorTypeSnorrikEnemySpawner),
    ScriptVarEnd(),
};

LocatorRef* ThisRef(HSQUIRRELVM vm, SQInteger index = 1)
{
    return ScriptCheckInstance<LocatorRef>(vm, index, kLocatorClassName);
}

SQInteger Locator_constructor(HSQUIRRELVM vm)
{
    LocatorRef* ref = ScriptConstructInPlace<LocatorRef>(vm);
    if (!ref)
        return sq_throwerror(vm, "Locator: the instance holds no handle");
    LocatorRefInit(*ref);
    return 0;
}

// Every query answers null for an empty handle or one from before a clear.
template <class Answer> SQInteger Query(HSQUIRRELVM vm, Answer answer)
{
    const LocatorRef* ref = ThisRef(vm);
    if (!ref)
        return SQ_ERROR;
    const LocatorRecord* locator = LocatorGetNative(*ref);
    if (!locator)
    {
        sq_pushnull(vm);
        return 1;
    }
    return answer(*locator);
}

SQInteger Locator_GetType(HSQUIRRELVM vm)
{
    return Query(vm, [vm](const LocatorRecord& l) { return ScriptReturnInt(vm, int(LocatorGetType(l))); });
}

SQInteger Locator_GetName(HSQUIRRELVM vm)
{
    return Query(vm, [vm](const LocatorRecord& l) { return ScriptReturnString(vm, LocatorGetName(l)); });
}

SQInteger Locator_GetPosition(HSQUIRRELVM vm)
{
    return Query(vm, [vm](const LocatorRecord& l) { return ScriptPushNewValue(vm, "Vec3", LocatorGetPosition(l)); });
}

SQInteger Locator_GetNumberOfExtraAttributes(HSQUIRRELVM vm)
{
    return Query(vm,
                 [vm](const LocatorRecord& l) { return ScriptReturnInt(vm, int(LocatorGetExtraAttributeCount(l))); });
}

SQInteger Locator_GetNumberOfNumericExtraAttributes(HSQUIRRELVM vm)
{
    return Query(vm,
                 [vm](const LocatorRecord& l) { return ScriptReturnInt(vm, int(LocatorNumericAttributeCount(l))); });
}

SQInteger Locator_GetNumberOfStringExtraAttributes(HSQUIRRELVM vm)
{
    return Query(vm,
                 [vm](const LocatorRecord& l) { return ScriptReturnInt(vm, int(LocatorStringAttributeCount(l))); });
}

SQInteger Locator_GetNumericExtraAttribute(HSQUIRRELVM vm)
{
    int i = 0;
    if (!ScriptArgInt(vm, 2, i))
        return ScriptBadArgument(vm);
    return Query(vm, [vm, i](const LocatorRecord& l) {
        float value = 0.0f;
        if (i < 0 || !LocatorGetNumericAttribute(l, i, &value))
            return ScriptReturnString(vm, nullptr);
        return ScriptReturnFloat(vm, value);
    });
}

SQInteger Locator_GetStringExtraAttribute(HSQUIRRELVM vm)
{
    int i = 0;
    if (!ScriptArgInt(vm, 2, i))
        return ScriptBadArgument(vm);
    return Query(vm, [vm, i](const LocatorRecord& l) {
        return ScriptReturnString(vm, i < 0 ? nullptr : LocatorGetStringAttribute(l, i));
    });
}

SQInteger Locator_cloned(HSQUIRRELVM vm)
{
    LocatorRef* ref = ThisRef(vm);
    const LocatorRef* source = ThisRef(vm, 2);
    if (!ref || !source)
        return SQ_ERROR;
    *ref = *source;
    return 0;
}

// Clears, then loads every string argument from the last down to the first.
SQInteger Locator_Create(HSQUIRRELVM vm)
{
    std::vector<const char*> paths;
    for (SQInteger i = 2; i <= sq_gettop(vm); ++i)
    {
        const char* path = nullptr;
        if (sq_gettype(vm, i) == OT_STRING && ScriptArgString(vm, i, path))
            paths.push_back(path);
    }
    LocatorsCreate(paths.data(), static_cast<int>(paths.size()));
    return 0;
}

SQInteger Locator_Destroy(HSQUIRRELVM)
{
    LocatorsClear();
    return 0;
}

SQInteger Locator_GetByType(HSQUIRRELVM vm)
{
    LocatorRef* ref = ThisRef(vm, 2);
    int type = 0;
    int n = 0;
    if (!ref)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 3, type) || !ScriptArgInt(vm, 4, n))
        return ScriptBadArgument(vm);
    const LocatorRecord* found = n < 0 ? nullptr : LocatorFindByType(static_cast<uint32_t>(type), n);
    LocatorRefSet(*ref, found);
    return ScriptReturnBool(vm, found != nullptr);
}
} // namespace

void RegisterLocatorScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kLocatorClassName, sizeof(LocatorRef), kLocatorMembers, Locator_constructor)
        .AddMethod("GetType", Locator_GetType)
        .AddMethod("GetName", Locator_GetName)
        .AddMethod("GetPosition", Locator_GetPosition)
        .AddMethod("GetNumberOfExtraAttributes", Locator_GetNumberOfExtraAttributes)
        .AddMethod("GetNumberOfNumericExtraAttributes", Locator_GetNumberOfNumericExtraAttributes)
        .AddMethod("GetNumberOfStringExtraAttributes", Locator_GetNumberOfStringExtraAttributes)
        .AddMethod("GetNumericExtraAttribute", Locator_GetNumericExtraAttribute, "xi")
        .AddMethod("GetStringExtraAttribute", Locator_GetStringExtraAttribute, "xi")
        .AddMethod("_cloned", Locator_cloned);
    ScriptBindGlobalFunction(vm, "Locator_Create", Locator_Create);
    ScriptBindGlobalFunction(vm, "Locator_Destroy", Locator_Destroy);
    ScriptBindGlobalFunction(vm, "Locator_GetByType", Locator_GetByType, ".xii");
}
