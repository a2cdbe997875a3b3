#include "game/CollisionScriptAPI.h"

#include "core/FixedString.h"
#include "core/Hash.h"
#include "core/LogError.h"
#include "cross/Model.h"
#include "game/Actor.h"
#include "game/ActorScriptAPI.h"
#include "game/Collision.h"
#include "game/DebugKeys.h"
#include "game/Prop.h"
#include "game/PropScriptAPI.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include <deque>
#include <memory>
#include <string>
#include <unordered_map>

namespace
{
// Function names are copied to the stack for the call, since the callback
// may shut the manager down and free them.
using CollisionFunctionName = FixedString256;

struct CollisionScriptState
{
    std::unordered_map<const CollisionScriptRef*, std::unique_ptr<CollisionScriptRef>> records;
    // A deque keeps each name where it is as more are added.
    std::deque<std::string> functionNames;
};
CollisionScriptState g_collisionScript;

const char kNotAnInstance[] = "the object is not a class instance";

CollisionScriptRef* RecordOf(const CollisionObject* object)
{
    const auto found = g_collisionScript.records.find(static_cast<const CollisionScriptRef*>(object->userData));
    return found == g_collisionScript.records.end() ? nullptr : found->second.get();
}

void ReleaseRecord(CollisionObject* object)
{
    CollisionScriptRef* record = RecordOf(object);
    if (!record || --record->objects > 0)
        return;
    sq_release(record->vm, &record->instance);
    g_collisionScript.records.erase(record);
}

CollisionScriptRef* MakeRecord(HSQUIRRELVM vm, SQInteger index, const void* native)
{
    auto record = std::make_unique<CollisionScriptRef>();
    record->vm = vm;
    sq_resetobject(&record->instance);
    sq_getstackobj(vm, index, &record->instance);
    sq_addref(vm, &record->instance);
    record->native = native;
    CollisionScriptRef* made = record.get();
    g_collisionScript.records.emplace(made, std::move(record));
    return made;
}

void Attach(CollisionObject* object, CollisionScriptRef* record)
{
    CollisionSetUserData(object, record);
    ++record->objects;
}

// The entity behind an instance: an actor or a prop that was constructed.
Entity* EntityAt(HSQUIRRELVM vm, SQInteger index)
{
    if (Actor* actor = ScriptGetActor(vm, index))
        return actor;
    return ScriptGetProp(vm, index);
}

SQInteger NotAnEntity(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "Collision: the instance is not an actor or a prop");
}

// A count given as a number; a float is truncated, and one beyond the
// integers becomes 0, which the manager refuses.
int ArgCapacity(HSQUIRRELVM vm, SQInteger index)
{
    if (sq_gettype(vm, index) == OT_INTEGER)
    {
        int capacity = 0;
        ScriptArgInt(vm, index, capacity);
        return capacity;
    }
    float capacity = 0.0f;
    ScriptArgFloat(vm, index, capacity);
    return capacity > -2147483648.0f && capacity < 2147483648.0f ? int(capacity) : 0;
}

bool ArgFloats(HSQUIRRELVM vm, SQInteger first, float* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!ScriptArgFloat(vm, first + i, values[i]))
            return false;
    return true;
}

const void* NativeAt(HSQUIRRELVM vm, SQInteger index)
{
    SQUserPointer native = nullptr;
    sq_getinstanceup(vm, index, &native, nullptr);
    return native;
}

bool ActorHasSpheres(HSQUIRRELVM vm, SQInteger index)
{
    if (sq_gettype(vm, index) != OT_INSTANCE)
        return false;
    const Actor* actor = ScriptGetActor(vm, index);
    return actor && Model::GetSphereCount(actor->m_actorInstance.m_model) > 0;
}

template <class Visit> void ForEachActorSphere(const void* owner, uint32_t kind, Visit visit)
{
    for (int slot = 0; slot < CollisionCapacity(); ++slot)
    {
        CollisionObject* object = CollisionObjectAt(slot);
        if (object->used && object->owner == owner && object->kind == kind && object->index != -1)
            visit(object);
    }
}

SQInteger Collision_InitAsGrid(HSQUIRRELVM vm)
{
    float bounds[5];
    if (!ArgFloats(vm, 3, bounds, 5))
        return ScriptBadArgument(vm);
    CollisionInitAsGrid(ArgCapacity(vm, 2), bounds[0], bounds[1], bounds[2], bounds[3], bounds[4]);
    return 0;
}

SQInteger Collision_InitIn3d(HSQUIRRELVM vm)
{
    CollisionInitIn3d(ArgCapacity(vm, 2));
    return 0;
}

SQInteger Collision_Shutdown(HSQUIRRELVM)
{
    CollisionScriptShutdown();
    return 0;
}

// One sphere or slice object over the entity's world matrix; a full table
// has been reported and the registration holds nothing.
template <class Shape> SQInteger RegisterObject(HSQUIRRELVM vm, Shape setShape)
{
    if (sq_gettype(vm, 2) != OT_INSTANCE)
        return sq_throwerror(vm, kNotAnInstance);
    Entity* entity = EntityAt(vm, 2);
    if (!entity)
        return NotAnEntity(vm);
    const char* kind = nullptr;
    if (!ScriptArgString(vm, 3, kind))
        return ScriptBadArgument(vm);
    CollisionObject* object = CollisionCreateObject(entity, HashString(kind), entity->GetMatrix(), -1, nullptr);
    if (!object)
        return 0;
    Attach(object, MakeRecord(vm, 2, entity));
    setShape(object);
    return 0;
}

SQInteger Collision_RegisterSphereObject(HSQUIRRELVM vm)
{
    float extent = 0.0f;
    if (!ScriptArgFloat(vm, 4, extent))
        return ScriptBadArgument(vm);
    return RegisterObject(vm, [extent](CollisionObject* object) { CollisionSetSphere(object, extent); });
}

SQInteger Collision_RegisterSliceObject(HSQUIRRELVM vm)
{
    float slice[3];
    if (!ArgFloats(vm, 4, slice, 3))
        return ScriptBadArgument(vm);
    return RegisterObject(
        vm, [&slice](CollisionObject* object) { CollisionSetSlice(object, slice[0], slice[1], slice[2]); });
}

// Sphere records hold the radius, then the offset in the actor's frame.
SQInteger Collision_RegisterActorSphereObjects(HSQUIRRELVM vm)
{
    Actor* actor = ScriptGetActor(vm, 2);
    if (!actor)
        return NotAnEntity(vm);
    const char* kind = nullptr;
    ScriptArgString(vm, 3, kind);
    const Model* model = actor->m_actorInstance.m_model;
    const int count = Model::GetSphereCount(model);
    if (count <= 0)
        return 0;
    const uint32_t hash = HashString(kind);
    for (int i = 0; i < count; ++i)
    {
        if (CollisionCreateObject(actor, hash, actor->GetMatrix(), i, &actor->m_actorInstance.m_scale))
            continue;
        // The table filled part way: none of this registration stays.
        ForEachActorSphere(actor, hash, [i](CollisionObject* object) {
            if (object->index < i && !object->userData)
                CollisionFreeObject(object);
        });
        return 0;
    }
    CollisionScriptRef* record = MakeRecord(vm, 2, actor);
    const Vec4* spheres = model->GetSpheres();
    ForEachActorSphere(actor, hash, [record, spheres](CollisionObject* object) {
        if (object->userData)
            return;
        const Vec4& sphere = spheres[object->index];
        CollisionSetActorSphere(object, sphere.x, sphere.y, sphere.z, sphere.w);
        Attach(object, record);
    });
    return 0;
}

// Every actor sphere of that actor and kind, however many its model has now.
SQInteger Collision_DeregisterActorSphereObjects(HSQUIRRELVM vm)
{
    const char* kind = nullptr;
    ScriptArgString(vm, 3, kind);
    ForEachActorSphere(NativeAt(vm, 2), HashString(kind), CollisionFreeObject);
    return 0;
}

SQInteger Collision_DeregisterObject(HSQUIRRELVM vm)
{
    if (sq_gettype(vm, 2) != OT_INSTANCE)
        return sq_throwerror(vm, kNotAnInstance);
    const char* kind = nullptr;
    if (!ScriptArgString(vm, 3, kind))
        return ScriptBadArgument(vm);
    CollisionFreeObject(CollisionFindObject(NativeAt(vm, 2), HashString(kind), -1));
    return 0;
}

SQInteger SetEnabled(HSQUIRRELVM vm, bool enabled)
{
    if (sq_gettype(vm, 2) != OT_INSTANCE)
        return sq_throwerror(vm, kNotAnInstance);
    const char* kind = nullptr;
    if (!ScriptArgString(vm, 3, kind))
        return ScriptBadArgument(vm);
    const void* native = NativeAt(vm, 2);
    const uint32_t hash = HashString(kind);
    const auto set = enabled ? CollisionEnable : CollisionDisable;
    if (ActorHasSpheres(vm, 2))
        ForEachActorSphere(native, hash, set);
    else if (CollisionObject* object = CollisionFindObject(native, hash, -1))
        set(object);
    return 0;
}

SQInteger Collision_Enable(HSQUIRRELVM vm)
{
    return SetEnabled(vm, true);
}

SQInteger Collision_Disable(HSQUIRRELVM vm)
{
    return SetEnabled(vm, false);
}

SQInteger Collision_RegisterCallback(HSQUIRRELVM vm)
{
    const char* kindA = nullptr;
    const char* kindB = nullptr;
    const char* function = nullptr;
    bool flag = false;
    float range = 0.0f;
    if (!ScriptArgString(vm, 2, kindA) || !ScriptArgString(vm, 3, kindB) || !ScriptArgString(vm, 4, function) ||
        !ScriptArgBool(vm, 5, flag) || !ScriptArgFloat(vm, 6, range))
        return ScriptBadArgument(vm);
    if (strlen(function) > size_t(CollisionFunctionName::kCapacity))
    {
        LogError("Pendrel Collision: the callback name %.40s... is longer than %d characters.\n", function,
                 CollisionFunctionName::kCapacity);
        return 0;
    }
    std::deque<std::string>& names = g_collisionScript.functionNames;
    names.emplace_back(function);
    if (!CollisionAddCallback(HashString(kindA), HashString(kindB), CollisionScriptCallback,
                              const_cast<char*>(names.back().c_str()), range, flag ? 1 : 0))
        names.pop_back();
    return 0;
}

// Nothing to show: per-object output would go to the debug print.
SQInteger Collision_Quiet(HSQUIRRELVM)
{
    return 0;
}
} // namespace

void CollisionScriptCallback(CollisionObject* a, CollisionObject* b, float dt, void* functionName)
{
    const CollisionScriptRef* first = RecordOf(a);
    const CollisionScriptRef* second = RecordOf(b);
    if (!first || !second || first->native == second->native)
        return;
    const CollisionFunctionName name(static_cast<const char*>(functionName));
    HSQUIRRELVM vm = first->vm;
    sq_pushobject(vm, first->instance);
    sq_pushobject(vm, second->instance);
    sq_pushfloat(vm, dt);
    int count = 3;
    if (a->index != -1 && b->index != -1)
    {
        sq_pushinteger(vm, a->index);
        sq_pushinteger(vm, b->index);
        count = 5;
    }
    ScriptCall(vm, "game", name, count, false, GetStepLogRequest());
}

void CollisionScriptShutdown()
{
    CollisionShutdownTables();
    g_collisionScript.functionNames.clear();
}

void RegisterCollisionScriptAPI(HSQUIRRELVM vm)
{
    CollisionSetReleaseFunction(ReleaseRecord);
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Collision", 0, nullptr, nullptr)
        .AddStaticMethod("InitAsGrid", Collision_InitAsGrid, ".nnnnnn")
        .AddStaticMethod("InitIn3d", Collision_InitIn3d, ".n")
        .AddStaticMethod("Shutdown", Collision_Shutdown, ".")
        .AddStaticMethod("RegisterSphereObject", Collision_RegisterSphereObject, "..sn")
        .AddStaticMethod("RegisterSliceObject", Collision_RegisterSliceObject, "..snnn")
        .AddStaticMethod("RegisterActorSphereObjects", Collision_RegisterActorSphereObjects, ".xs")
        .AddStaticMethod("DeregisterActorSphereObjects", Collision_DeregisterActorSphereObjects, ".xs")
        .AddStaticMethod("DeregisterObject", Collision_DeregisterObject, "..s")
        .AddStaticMethod("Enable", Collision_Enable, "..s")
        .AddStaticMethod("Disable", Collision_Disable, "..s")
        .AddStaticMethod("RegisterCallback", Collision_RegisterCallback, ".sssbn")
        .AddStaticMethod("Dump", Collision_Quiet, ".")
        .AddStaticMethod("RenderDebug", Collision_Quiet, ".");
}
