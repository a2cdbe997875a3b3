#include "game/PathScriptAPI.h"

#include "core/Path.h"
#include "game/PathDebugLines.h"
#include "game/PathSetPointsByName.h"
#include "script/ScriptArguments.h"

PENDREL_SCRIPT_CLASS(Path, "Path");

namespace
{
Path* ThisPath(HSQUIRRELVM vm)
{
    Path* path = nullptr;
    return ScriptCheckInstance(vm, 1, path) ? path : nullptr;
}

Vec3* ArgVec3(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* vector = nullptr;
    return ScriptCheckInstance(vm, index, vector) ? vector : nullptr;
}

SQInteger Path_constructor(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<Path>(vm))
        return sq_throwerror(vm, "Path: the instance holds no path");
    return 0;
}

SQInteger Path_AddPoint(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    const Vec3* point = ArgVec3(vm, 2);
    if (!path || !point)
        return SQ_ERROR;
    path->AddPoint(*point);
    return 0;
}

SQInteger Path_RemoveNthPoint(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    int n = 0;
    if (!path)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, n))
        return ScriptBadArgument(vm);
    path->RemoveNthPoint(n);
    return 0;
}

SQInteger Path_GetPointCount(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    return path ? ScriptReturnInt(vm, path->GetPointCount()) : SQ_ERROR;
}

SQInteger Path_Clear(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    if (!path)
        return SQ_ERROR;
    path->Clear();
    return 0;
}

SQInteger Path_GetTotalDistance(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    return path ? ScriptReturnFloat(vm, path->GetTotalDistance()) : SQ_ERROR;
}

SQInteger Path_GetPosAtDistance(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    Vec3* position = ArgVec3(vm, 2);
    float distance = 0.0f;
    if (!path || !position)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 3, distance))
        return ScriptBadArgument(vm);
    bool spline = false;
    if (sq_gettop(vm) >= 4 && sq_gettype(vm, 4) == OT_BOOL)
        ScriptArgBool(vm, 4, spline);
    *position = path->GetPosAtDistance(distance, spline).position;
    return 0;
}

SQInteger PositionAndDirection(HSQUIRRELVM vm, bool spline)
{
    Path* path = ThisPath(vm);
    Vec3* position = ArgVec3(vm, 2);
    Vec3* direction = ArgVec3(vm, 3);
    float distance = 0.0f;
    if (!path || !position || !direction)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, distance))
        return ScriptBadArgument(vm);
    const PathSample sample = path->GetPosAtDistance(distance, spline);
    *position = sample.position;
    *direction = sample.direction;
    return 0;
}

SQInteger Path_GetPosAndDirAtDistance(HSQUIRRELVM vm)
{
    return PositionAndDirection(vm, true);
}

SQInteger Path_GetPosAndDirAtDistanceLinear(HSQUIRRELVM vm)
{
    return PositionAndDirection(vm, false);
}
SQInteger Path_SetPointsByName(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    const char* name = nullptr;
    if (!path)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, name))
        return ScriptBadArgument(vm);
    PathSetPointsByName(*path, name);
    return 0;
}

SQInteger Path_AddLinesToDebug(HSQUIRRELVM vm)
{
    Path* path = ThisPath(vm);
    if (!path)
        return SQ_ERROR;
    PathAddLinesToDebug(*path);
    return 0;
}
} // namespace

void RegisterPathScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "Path", sizeof(Path), nullptr, Path_constructor)
        .AddMethod("AddPoint", Path_AddPoint)
        .AddMethod("RemoveNthPoint", Path_RemoveNthPoint)
        .AddMethod("GetPointCount", Path_GetPointCount)
        .AddMethod("Clear", Path_Clear)
        .AddMethod("GetTotalDistance", Path_GetTotalDistance)
        .AddMethod("GetPosAtDistance", Path_GetPosAtDistance)
        .AddMethod("GetPosAndDirAtDistance", Path_GetPosAndDirAtDistance)
        .AddMethod("GetPosAndDirAtDistanceLinear", Path_GetPosAndDirAtDistanceLinear)
        .AddMethod("SetPointsByName", Path_SetPointsByName)
        .AddMethod("AddLinesToDebug", Path_AddLinesToDebug);
}
