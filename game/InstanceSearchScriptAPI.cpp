#include "game/InstanceSearchScriptAPI.h"

#include "core/LogError.h"
#include "game/InstanceTable.h"
#include "script/ScriptArguments.h"

namespace
{
enum class Distance
{
    GroundPlane,
    Space,
};

float SquaredDistance(const Vec3& a, const Vec3& b, Distance distance)
{
    const float dx = a.x - b.x;
    const float dy = distance == Distance::Space ? a.y - b.y : 0.0f;
    const float dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}

// The array being searched holds what these point at while the native runs.
HSQOBJECT NullObject()
{
    HSQOBJECT object;
    sq_resetobject(&object);
    return object;
}

// Calls the visitor with the squared distance of each element that has a
// position, the element on the stack top; non-instances are reported and
// skipped, instances without a position skipped.
template <class Visit>
void ForEachPlacedElement(HSQUIRRELVM vm, SQInteger arrayIndex, const Vec3& centre, Distance distance, Visit visit)
{
    const SQInteger count = sq_getsize(vm, arrayIndex);
    for (SQInteger i = 0; i < count; ++i)
    {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_rawget(vm, arrayIndex)))
            continue;
        Vec3 at;
        if (sq_gettype(vm, -1) != OT_INSTANCE)
            LogError("the object is not a class instance\n");
        else if (InstancePositionAt(vm, -1, at))
            visit(SquaredDistance(centre, at, distance));
        sq_pop(vm, 1);
    }
}

SQInteger NearestWithin(HSQUIRRELVM vm, Distance distance)
{
    Vec3* centre = nullptr;
    float range = 0.0f;
    if (!ScriptCheckInstance(vm, 2, centre) || !ScriptArgFloat(vm, 3, range))
        return SQ_ERROR;
    const Vec3 from = *centre;
    float best = range * range;
    HSQOBJECT found = NullObject();
    ForEachPlacedElement(vm, 4, from, distance, [&](float d) {
        if (d > best)
            return;
        best = d;
        sq_getstackobj(vm, -1, &found);
    });
    sq_pushobject(vm, found);
    return 1;
}

SQInteger Instance_InRangeXZ(HSQUIRRELVM vm)
{
    return NearestWithin(vm, Distance::GroundPlane);
}

SQInteger Instance_InRange(HSQUIRRELVM vm)
{
    return NearestWithin(vm, Distance::Space);
}

SQInteger Instance_Nearest(HSQUIRRELVM vm)
{
    Vec3* centre = nullptr;
    if (!ScriptCheckInstance(vm, 2, centre))
        return SQ_ERROR;
    const Vec3 from = *centre;
    bool any = false;
    float best = 0.0f;
    HSQOBJECT found = NullObject();
    ForEachPlacedElement(vm, 3, from, Distance::Space, [&](float d) {
        if (any && d >= best)
            return;
        any = true;
        best = d;
        sq_getstackobj(vm, -1, &found);
    });
    sq_pushobject(vm, found);
    return 1;
}

SQInteger Instance_GetAllInRange(HSQUIRRELVM vm)
{
    Vec3* centre = nullptr;
    float range = 0.0f;
    if (!ScriptCheckInstance(vm, 2, centre) || !ScriptArgFloat(vm, 3, range))
        return SQ_ERROR;
    const Vec3 from = *centre;
    const float limit = range * range;
    sq_newtable(vm);
    const SQInteger table = sq_gettop(vm);
    SQInteger key = 0;
    ForEachPlacedElement(vm, 4, from, Distance::Space, [&](float d) {
        if (d >= limit)
            return;
        sq_pushinteger(vm, key++);
        sq_push(vm, -2);
        sq_newslot(vm, table, SQFalse);
    });
    return 1;
}
} // namespace

void RegisterInstanceSearchScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "INSTANCE", 0, nullptr, nullptr)
        .AddStaticMethod("InRangeXZ", Instance_InRangeXZ, ".xna")
        .AddStaticMethod("InRange", Instance_InRange, ".xna")
        .AddStaticMethod("Nearest", Instance_Nearest, ".xa")
        .AddStaticMethod("GetAllInRange", Instance_GetAllInRange, ".xna");
}
