#include "game/TerrainScriptAPI.h"

#include "core/Vec3.h"
#include "game/World.h"
#include "script/ScriptArguments.h"
#include "script/ScriptBinding.h"

namespace
{
// What scripts get where no surface lies below the point.
constexpr float kNoGroundHeight = 2.5f;

SQInteger Terrain_TestHeight(HSQUIRRELVM vm)
{
    Vec3* point = nullptr;
    if (!ScriptCheckInstance(vm, 2, point))
        return SQ_ERROR;
    WorldHeightHit hits[kTerrainHeightHits];
    const float height = WorldTestHeight(*point, hits) ? hits[0].height : kNoGroundHeight;
    return ScriptReturnFloat(vm, height);
}

SQInteger Terrain_Create(HSQUIRRELVM vm)
{
    const char* file = nullptr;
    const char* model = nullptr;
    if (!ScriptArgString(vm, 2, file) || !ScriptArgString(vm, 3, model))
        return ScriptBadArgument(vm);
    // A failure is reported by the terrain; the script goes on without ground.
    TerrainCreate(file, model);
    return 0;
}
} // namespace

void RegisterTerrainScriptAPI(HSQUIRRELVM vm)
{
    ScriptClassHandle handle;
    ScriptBindClass(handle, vm, "TERRAIN", 0, nullptr, nullptr).AddStaticMethod("TestHeight", Terrain_TestHeight, ".x");
    ScriptBindGlobalFunction(vm, "Terrain_Create", Terrain_Create, ".ss");
}
