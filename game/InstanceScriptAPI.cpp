#include "game/InstanceScriptAPI.h"

#include "core/Random.h"
#include "game/InstanceTable.h"
#include "game/TolvanFixedUpdate.h"
#include "script/ScriptArguments.h"

namespace
{
bool Profile()
{
    return GetStepLogRequest();
}

// A missing position, or one that is not a Vec3, places the instance at the origin.
Vec3 OptionalPosition(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* position = nullptr;
    if (sq_gettop(vm) < index || sq_gettype(vm, index) != OT_INSTANCE ||
        !ScriptCheckInstance(vm, index, position))
    {
        sq_reseterror(vm);
        return Vec3(0.0f, 0.0f, 0.0f);
    }
    return *position;
}

bool InRangeXZ(const Vec3& a, const Vec3& b, float range)
{
    const float dx = a.x - b.x;
    const float dz = a.z - b.z;
    return dx * dx + dz * dz <= range * range;
}

// Calls the visitor with each live slot of the class in slot order until it answers false.
template <class Visit> void ForEachInstance(const InstanceTypeRecord& record, Visit visit)
{
    InstanceTable& table = GetInstanceTable();
    const InstanceSlot* row = table.Row(record);
    for (uint32_t i = 0; i < record.slotEnd; ++i)
        if (row[i].used && !visit(row[i]))
            return;
}

SQInteger PushSlotOrNull(HSQUIRRELVM vm, const InstanceSlot* slot)
{
    if (slot)
        sq_pushobject(vm, slot->instance);
    else
        sq_pushnull(vm);
    return 1;
}

SQInteger InstanceCreate(HSQUIRRELVM vm)
{
    if (sq_gettype(vm, 2) != OT_CLASS)
        return sq_throwerror(vm, "InstanceCreate: the first argument is not a class");
    GetInstanceTable().Create(vm, 2, OptionalPosition(vm, 3), Profile());
    return 1;
}

SQInteger InstanceDestroy(HSQUIRRELVM vm)
{
    GetInstanceTable().Destroy(vm, 2, Profile());
    return 0;
}

SQInteger InstanceStep(HSQUIRRELVM vm)
{
    float dt = 0.0f;
    ScriptArgFloat(vm, 3, dt);
    GetInstanceTable().Step(vm, 2, dt, GetStepParity(), Profile());
    return 0;
}

SQInteger InstanceExists(HSQUIRRELVM vm)
{
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return ScriptReturnBool(vm, record && record->liveCount > 0);
}

SQInteger InstanceNumber(HSQUIRRELVM vm)
{
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return ScriptReturnInt(vm, record ? static_cast<int>(record->liveCount) : 0);
}

SQInteger InstanceInRangeXZ(HSQUIRRELVM vm)
{
    Vec3* position = nullptr;
    float range = 0.0f;
    if (!ScriptCheckInstance(vm, 3, position) || !ScriptArgFloat(vm, 4, range))
        return SQ_ERROR;
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return PushSlotOrNull(vm, record ? GetInstanceTable().NearestXZ(*record, *position, range) : nullptr);
}

SQInteger InstanceNearestXZ(HSQUIRRELVM vm)
{
    Vec3* position = nullptr;
    if (!ScriptCheckInstance(vm, 3, position))
        return SQ_ERROR;
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return PushSlotOrNull(vm, record ? GetInstanceTable().NearestXZ(*record, *position, kInstanceNearestRange)
                                     : nullptr);
}

SQInteger AllInstanceInRangeXZ(HSQUIRRELVM vm)
{
    Vec3* position = nullptr;
    float range = 0.0f;
    if (!ScriptCheckInstance(vm, 3, position) || !ScriptArgFloat(vm, 4, range))
        return SQ_ERROR;
    const Vec3 centre = *position;
    sq_newarray(vm, 0);
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    if (!record)
        return 1;
    ForEachInstance(*record, [&](const InstanceSlot& slot) {
        Vec3 at;
        if (GetInstanceTable().PositionOf(*record, slot, at) && InRangeXZ(centre, at, range))
        {
            sq_pushobject(vm, slot.instance);
            sq_arrayappend(vm, -2);
        }
        return true;
    });
    return 1;
}

SQInteger InstanceArray(HSQUIRRELVM vm)
{
    sq_newarray(vm, 0);
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    if (!record)
        return 1;
    ForEachInstance(*record, [&](const InstanceSlot& slot) {
        sq_pushobject(vm, slot.instance);
        sq_arrayappend(vm, -2);
        return true;
    });
    return 1;
}

const InstanceSlot* NthInstance(const InstanceTypeRecord& record, int n)
{
    const InstanceSlot* found = nullptr;
    int seen = 0;
    ForEachInstance(record, [&](const InstanceSlot& slot) {
        if (seen++ == n)
            found = &slot;
        return found == nullptr;
    });
    return found;
}

SQInteger InstanceFind(HSQUIRRELVM vm)
{
    int n = 0;
    if (!ScriptArgInt(vm, 3, n))
        return ScriptBadArgument(vm);
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return PushSlotOrNull(vm, record && n >= 0 ? NthInstance(*record, n) : nullptr);
}

SQInteger InstanceRandom(HSQUIRRELVM vm)
{
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    if (!record || record->liveCount == 0)
        return PushSlotOrNull(vm, nullptr);
    const int n = Rand() % static_cast<int>(record->liveCount);
    return PushSlotOrNull(vm, NthInstance(*record, n));
}

SQInteger ClearAllInstances(HSQUIRRELVM vm)
{
    GetInstanceTable().ClearAll(vm, Profile());
    return 0;
}

const InstanceSlot* FindNetId(const InstanceTypeRecord& record, int id)
{
    const InstanceSlot* found = nullptr;
    ForEachInstance(record, [&](const InstanceSlot& slot) {
        int32_t slotId = 0;
        if (GetInstanceTable().NetIdOf(record, slot, slotId) && slotId == id)
            found = &slot;
        return found == nullptr;
    });
    return found;
}

SQInteger InstanceFindWithNetID(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 3, id))
        return ScriptBadArgument(vm);
    const InstanceTypeRecord* record = GetInstanceTable().FindRecord(vm, 2);
    return PushSlotOrNull(vm, record ? FindNetId(*record, id) : nullptr);
}

SQInteger FindActorWithNetID(HSQUIRRELVM vm)
{
    int id = 0;
    if (!ScriptArgInt(vm, 2, id))
        return ScriptBadArgument(vm);
    for (int entry = 0; entry < kInstanceTypeCount; ++entry)
    {
        const InstanceTypeRecord* record = GetInstanceTable().RecordAt(entry);
        const InstanceSlot* found = record ? FindNetId(*record, id) : nullptr;
        if (found)
            return PushSlotOrNull(vm, found);
    }
    return PushSlotOrNull(vm, nullptr);
}

SQInteger InstanceDestroyAllOfType(HSQUIRRELVM vm)
{
    GetInstanceTable().DestroyAllOfType(vm, 2, Profile());
    return 0;
}
} // namespace

void RegisterInstanceScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "InstanceCreate", InstanceCreate);
    ScriptBindGlobalFunction(vm, "InstanceDestroy", InstanceDestroy, ".x");
    ScriptBindGlobalFunction(vm, "InstanceStep", InstanceStep, "..n");
    ScriptBindGlobalFunction(vm, "InstanceExists", InstanceExists, "..");
    ScriptBindGlobalFunction(vm, "InstanceNumber", InstanceNumber, "..");
    ScriptBindGlobalFunction(vm, "InstanceInRangeXZ", InstanceInRangeXZ, "..xn");
    ScriptBindGlobalFunction(vm, "InstanceNearestXZ", InstanceNearestXZ, "..x");
    ScriptBindGlobalFunction(vm, "AllInstanceInRangeXZ", AllInstanceInRangeXZ, "..xn");
    ScriptBindGlobalFunction(vm, "InstanceRandom", InstanceRandom, "..");
    ScriptBindGlobalFunction(vm, "InstanceArray", InstanceArray, "..");
    ScriptBindGlobalFunction(vm, "InstanceFind", InstanceFind, "..n");
    ScriptBindGlobalFunction(vm, "ClearAllInstances", ClearAllInstances, ".");
    ScriptBindGlobalFunction(vm, "InstanceFindWithNetID", InstanceFindWithNetID, "..n");
    ScriptBindGlobalFunction(vm, "FindActorWithNetID", FindActorWithNetID, ".n");
    ScriptBindGlobalFunction(vm, "InstanceDestroyAllOfType", InstanceDestroyAllOfType, "..");
}
