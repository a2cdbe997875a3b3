#include "game/GridPathFinderScriptAPI.h"

#include "core/Path.h"
#include "game/GridPathFinder.h"
#include "script/ScriptArguments.h"

namespace
{
const char* const kClassName = "GridPathFinder";

GridPathFinder* ThisFinder(HSQUIRRELVM vm)
{
    GridPathFinder* finder = nullptr;
    return ScriptCheckInstance(vm, 1, kClassName, finder) ? finder : nullptr;
}

Vec3* ArgVec3(HSQUIRRELVM vm, SQInteger index)
{
    Vec3* vector = nullptr;
    return ScriptCheckInstance(vm, index, vector) ? vector : nullptr;
}

SQInteger GridPathFinder_constructor(HSQUIRRELVM vm)
{
    if (!ScriptConstructInPlace<GridPathFinder>(vm))
        return sq_throwerror(vm, "GridPathFinder: the instance holds no grid");
    return 0;
}

// A method of one string argument; a result of the engine call is not passed on.
template <class Result, Result (GridPathFinder::*Call)(const char*)> SQInteger StringMethod(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    const char* text = nullptr;
    if (!finder)
        return SQ_ERROR;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    (finder->*Call)(text);
    return 0;
}

SQInteger GridPathFinder_UseStrings(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    if (!finder)
        return SQ_ERROR;
    finder->UseStrings();
    return 0;
}

SQInteger GridPathFinder_AddImpassibleType(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    int type = 0;
    if (!finder)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 2, type))
        return ScriptBadArgument(vm);
    finder->AddImpassibleType(static_cast<uint32_t>(type));
    return 0;
}

SQInteger GridPathFinder_SetGridToRealWorld(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    const Vec3* worldMin = ArgVec3(vm, 2);
    const Vec3* worldMax = ArgVec3(vm, 3);
    if (!finder || !worldMin || !worldMax)
        return SQ_ERROR;
    finder->SetGridToRealWorld(*worldMin, *worldMax);
    return 0;
}

SQInteger GridPathFinder_GetWorldPos(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    Vec3* out = ArgVec3(vm, 2);
    int column = 0;
    int row = 0;
    if (!finder || !out)
        return SQ_ERROR;
    if (!ScriptArgInt(vm, 3, column) || !ScriptArgInt(vm, 4, row))
        return ScriptBadArgument(vm);
    *out = finder->GetWorldPos(column, row);
    return 0;
}

template <int (GridPathFinder::*Query)(const Vec3&) const> SQInteger CellQuery(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    const Vec3* position = ArgVec3(vm, 2);
    if (!finder || !position)
        return SQ_ERROR;
    return ScriptReturnInt(vm, (finder->*Query)(*position));
}

SQInteger GridPathFinder_GetSquare(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    int column = 0;
    int row = 0;
    if (!finder)
        return SQ_ERROR;
    if (!ScriptArgTwoInts(vm, column, row))
        return ScriptBadArgument(vm);
    return ScriptReturnInt(vm, finder->GetSquare(column, row));
}

SQInteger GridPathFinder_SetSquare(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    int column = 0;
    int row = 0;
    int type = 0;
    if (!finder)
        return SQ_ERROR;
    if (!ScriptArgTwoInts(vm, column, row) || !ScriptArgInt(vm, 4, type))
        return ScriptBadArgument(vm);
    finder->SetSquare(column, row, static_cast<uint32_t>(type));
    return 0;
}

SQInteger GridPathFinder_SetSquareByString(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    int column = 0;
    int row = 0;
    const char* name = nullptr;
    if (!finder)
        return SQ_ERROR;
    if (!ScriptArgTwoInts(vm, column, row) || !ScriptArgString(vm, 4, name))
        return ScriptBadArgument(vm);
    finder->SetSquareByString(column, row, name);
    return 0;
}

SQInteger PushResult(HSQUIRRELVM vm, int value)
{
    return ScriptReturnInt(vm, value);
}

SQInteger PushResult(HSQUIRRELVM vm, float value)
{
    return ScriptReturnFloat(vm, value);
}

// The grid's sizes, read without arguments.
template <class Value, Value (GridPathFinder::*Get)() const> SQInteger SizeQuery(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    return finder ? PushResult(vm, (finder->*Get)()) : SQ_ERROR;
}

SQInteger GridPathFinder_FindPathRealWorld(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    const Vec3* from = ArgVec3(vm, 2);
    const Vec3* to = ArgVec3(vm, 3);
    Path* path = nullptr;
    if (!finder || !from || !to || !ScriptCheckInstance(vm, 4, "Path", path))
        return SQ_ERROR;
    return ScriptReturnBool(vm, finder->FindPathRealWorld(*path, *from, *to));
}

SQInteger GridPathFinder_CollisionCheckXZ(HSQUIRRELVM vm)
{
    GridPathFinder* finder = ThisFinder(vm);
    Vec3* position = ArgVec3(vm, 2);
    Vec3* velocity = ArgVec3(vm, 3);
    float dt = 0.0f;
    int blockType = 0;
    if (!finder || !position || !velocity)
        return SQ_ERROR;
    if (!ScriptArgFloat(vm, 4, dt) || !ScriptArgInt(vm, 5, blockType))
        return ScriptBadArgument(vm);
    finder->CollisionCheckXZ(*position, *velocity, dt, blockType);
    return 0;
}

const ScriptVarDesc kNoMembers[] = {ScriptVarEnd()};
} // namespace

void RegisterGridPathFinderScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, kClassName, sizeof(GridPathFinder), kNoMembers, GridPathFinder_constructor)
        .AddMethod("LoadFile", StringMethod<bool, &GridPathFinder::LoadFile>)
        .AddMethod("UseStrings", GridPathFinder_UseStrings)
        .AddMethod("AddImpassibleType", GridPathFinder_AddImpassibleType)
        .AddMethod("AddImpassibleTypeByString", StringMethod<void, &GridPathFinder::AddImpassibleTypeByString>)
        .AddMethod("SetGridToRealWorld", GridPathFinder_SetGridToRealWorld)
        .AddMethod("GetWorldPos", GridPathFinder_GetWorldPos)
        .AddMethod("GetColumnFromWorld", CellQuery<&GridPathFinder::GetColumnFromWorld>)
        .AddMethod("GetRowFromWorld", CellQuery<&GridPathFinder::GetRowFromWorld>)
        .AddMethod("GetTileTypeFromWorld", CellQuery<&GridPathFinder::GetTileTypeFromWorld>)
        .AddMethod("GetSquare", GridPathFinder_GetSquare)
        .AddMethod("SetSquare", GridPathFinder_SetSquare)
        .AddMethod("SetSquareByString", GridPathFinder_SetSquareByString)
        .AddMethod("GetGridWidth", SizeQuery<int, &GridPathFinder::GetGridWidth>)
        .AddMethod("GetGridHeight", SizeQuery<int, &GridPathFinder::GetGridHeight>)
        .AddMethod("GetCellSizeWidth", SizeQuery<float, &GridPathFinder::GetCellSizeWidth>)
        .AddMethod("GetCellSizeHeight", SizeQuery<float, &GridPathFinder::GetCellSizeHeight>)
        .AddMethod("FindPathRealWorld", GridPathFinder_FindPathRealWorld)
        .AddMethod("CollisionCheckXZ", GridPathFinder_CollisionCheckXZ, "xxxfi");
}
