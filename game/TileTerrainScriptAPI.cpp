#include "game/TileTerrainScriptAPI.h"

#include "core/Vec3.h"
#include "game/TileTerrain.h"
#include "game/TileTerrainManager.h"
#include "script/ScriptArguments.h"
#include "script/ScriptBinding.h"

namespace
{
constexpr float kScriptDegreesToRadians = 0.0174532924f;

SQInteger TileTerrain_Load(HSQUIRRELVM vm)
{
    const char* map = nullptr;
    const char* folder = nullptr;
    if (!ScriptArgString(vm, 2, map) || !ScriptArgString(vm, 3, folder))
        return ScriptBadArgument(vm);
    TileTerrain::Load(map, folder);
    if (!GetTileTerrain())
        return sq_throwerror(vm, "TileTerrain_Load: no tile terrain was made");
    return 0;
}

SQInteger TileTerrain_Clear(HSQUIRRELVM)
{
    TileTerrain::Clear();
    return 0;
}

SQInteger TileTerrain_GetRealWordCorners(HSQUIRRELVM vm)
{
    Vec3* low = nullptr;
    Vec3* high = nullptr;
    if (!ScriptCheckInstance(vm, 2, low) || !ScriptCheckInstance(vm, 3, high))
        return SQ_ERROR;
    TileTerrain::GetRealWordCorners(*low, *high);
    return 0;
}

SQInteger TileTerrain_SetUpForDropXZ(HSQUIRRELVM vm)
{
    float values[7];
    for (int i = 0; i < 7; ++i)
        if (!ScriptArgFloat(vm, 2 + i, values[i]))
            return ScriptBadArgument(vm);
    if (!GetTileTerrain())
        return 0;
    GetTileTerrainManager().SetUpForDropXZ(values[0], values[1], values[2], values[3] * kScriptDegreesToRadians,
                                           values[4] * kScriptDegreesToRadians, values[5], values[6]);
    return 0;
}

SQInteger TileTerrain_IsDroppingScript(HSQUIRRELVM vm)
{
    return ScriptReturnBool(vm, TileTerrain_IsDropping());
}

SQInteger TileTerrain_SkipToFinishOfDroping(HSQUIRRELVM)
{
    GetTileTerrainManager().SkipToFinishOfDroping();
    return 0;
}

SQInteger TileTerrain_HideMeshOnAllTiles(HSQUIRRELVM vm)
{
    const char* text = nullptr;
    if (!ScriptArgString(vm, 2, text))
        return ScriptBadArgument(vm);
    TileTerrain::HideMeshOnAllTiles(text);
    return 0;
}

SQInteger TileTerrain_GetWidth(HSQUIRRELVM vm)
{
    int columns = 0;
    int rows = 0;
    TileTerrainGetSize(columns, rows);
    return ScriptReturnInt(vm, columns);
}

SQInteger TileTerrain_GetHeight(HSQUIRRELVM vm)
{
    int columns = 0;
    int rows = 0;
    TileTerrainGetSize(columns, rows);
    return ScriptReturnInt(vm, rows);
}
} // namespace

void RegisterTileTerrainScriptAPI(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "TileTerrain_Load", TileTerrain_Load, ".ss");
    ScriptBindGlobalFunction(vm, "TileTerrain_Clear", TileTerrain_Clear, ".");
    ScriptBindGlobalFunction(vm, "TileTerrain_GetRealWordCorners", TileTerrain_GetRealWordCorners, ".xx");
    ScriptBindGlobalFunction(vm, "TileTerrain_SetUpForDropXZ", TileTerrain_SetUpForDropXZ, ".nnnnnnn");
    ScriptBindGlobalFunction(vm, "TileTerrain_IsDropping", TileTerrain_IsDroppingScript, ".");
    ScriptBindGlobalFunction(vm, "TileTerrain_SkipToFinishOfDroping", TileTerrain_SkipToFinishOfDroping, ".");
    ScriptBindGlobalFunction(vm, "TileTerrain_HideMeshOnAllTiles", TileTerrain_HideMeshOnAllTiles, ".s");
    ScriptBindGlobalFunction(vm, "TileTerrain_GetWidth", TileTerrain_GetWidth, ".");
    ScriptBindGlobalFunction(vm, "TileTerrain_GetHeight", TileTerrain_GetHeight, ".");
}
