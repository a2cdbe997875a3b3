#include "game/WorldScriptAPI.h"

#include "core/Vec3.h"
#include "game/FireScriptAPI.h"
#include "game/GridPathFinderScriptAPI.h"
#include "game/TerrainScriptAPI.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptArguments.h"

namespace
{
Vec3* ArgVec3(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* vector = nullptr;
    return ScriptCheckInstance(vm, index, vector) ? vector : nullptr;
}

SQInteger XZCollision(HSQUIRRELVM vm)
{
    const Vec3* a = ArgVec3(vm, 2);
    const Vec3* b = ArgVec3(vm, 3);
    float radius = 0.0f;
    if (!a || !b)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, radius))
        return ScriptBadArgument(vm);
    const float dx = a->x - b->x;
    const float dz = a->z - b->z;
    return ScriptReturnBool(vm, radius * radius > dx * dx + dz * dz);
}

// Inside the radius and within the slice around the facing: the angle is in
// degrees and compared, as scaled, against one minus the cosine between the
// facing and the way to the target.
SQInteger XZCollisionSlice(HSQUIRRELVM vm)
{
    const Vec3* a = ArgVec3(vm, 2);
    const Vec3* b = ArgVec3(vm, 3);
    const Vec3* facing = ArgVec3(vm, 4);
    float radius = 0.0f;
    float angle = 0.0f;
    if (!a || !b || !facing)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 5, radius) || !ScriptArgFloat(vm, 6, angle))
        return ScriptBadArgument(vm);
    Vec3 toTarget(b->x - a->x, 0.0f, b->z - a->z);
    if (radius * radius < Vec3LengthSquared(toTarget))
        return ScriptReturnBool(vm, false);
    Vec3Normalize(toTarget);
    const float cosine = facing->x * toTarget.x + facing->z * toTarget.z;
    return ScriptReturnBool(vm, angle * kDegreesToRadians >= 1.0f - cosine);
}
} // namespace

void RegisterWorldScriptAPI(HSQUIRRELVM vm)
{
    RegisterTerrainScriptAPI(vm);
    RegisterGridPathFinderScriptAPI(vm);
    RegisterFireScriptAPI(vm);
    ScriptBindGlobalFunction(vm, "XZCollision", XZCollision, ".xxn");
    ScriptBindGlobalFunction(vm, "XZCollisionSlice", XZCollisionSlice, ".xxxnn");
}
