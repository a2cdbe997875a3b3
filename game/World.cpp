#include "game/World.h"

#include "cross/ModelCache.h"
#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/LocatorStore.h"
#include "game/TileTerrainCollision.h"

#include <cstring>
#include <memory>

namespace
{
struct WorldObjects
{
    std::unique_ptr<Terrain> terrain;
    std::unique_ptr<TileTerrainCollision> tileCollision;
};

WorldObjects g_world;

float ChannelFloat(const TerrainDataChannel& channel, uint32_t vertex)
{
    if (channel.type != kTerrainChannelFloat || vertex >= channel.data.size())
        return 0.0f;
    float value;
    static_assert(sizeof value == sizeof channel.data[0], "channel values are 32-bit");
    memcpy(&value, &channel.data[vertex], sizeof value);
    return value;
}

int32_t ChannelInteger(const TerrainDataChannel& channel, uint32_t vertex)
{
    if (channel.type != kTerrainChannelLong || vertex >= channel.data.size())
        return 0;
    return int32_t(channel.data[vertex]);
}

// The record of one terrain hit; vertices and height go through the
// placement (identity for the terrain itself).
WorldHeightHit MakeHit(const Terrain& terrain, const TerrainHeightHit& hit, const Vec3& point, const Mat4& placement)
{
    WorldHeightHit out = {};
    const TerrainFace& face = terrain.m_data.faces[hit.face];
    const uint32_t corners[3] = {face.i0, face.i1, face.i2};
    out.height = Mat4TransformPoint(placement, Vec3(point.x, hit.height, point.z)).y;
    out.weights[0] = hit.w0;
    out.weights[1] = hit.w1;
    out.weights[2] = hit.w2;
    for (int i = 0; i < 3; ++i)
    {
        out.vertices[i] = Mat4TransformPoint(placement, terrain.m_data.vertices[corners[i]]);
        out.vertexFloats[i] = ChannelFloat(terrain.m_data.vertexChannels[0], corners[i]);
        out.vertexIntegers[i] = ChannelInteger(terrain.m_data.vertexChannels[1], corners[i]);
    }
    out.surfaceKind = int32_t(terrain.SurfaceKind(hit.face));
    return out;
}
} // namespace

bool TerrainCreate(const char* file, const char* model)
{
    g_world.terrain.reset();
    g_world.terrain = std::make_unique<Terrain>();
    const bool loaded = TerrainLoad(*g_world.terrain, file);
    Model* drawn = ModelCache(model);
    g_world.terrain->SetModel(drawn);
    return loaded && drawn != nullptr;
}

Terrain* GetTerrain()
{
    return g_world.terrain.get();
}

TileTerrainCollision* TileTerrainCollisionCreate()
{
    g_world.tileCollision.reset();
    g_world.tileCollision = std::make_unique<TileTerrainCollision>();
    return g_world.tileCollision.get();
}

void TileTerrainCollisionClear()
{
    g_world.tileCollision.reset();
}

TileTerrainCollision* GetTileTerrainCollision()
{
    return g_world.tileCollision.get();
}

bool WorldTestHeight(const Vec3& point, WorldHeightHit hits[kTerrainHeightHits])
{
    for (int i = 0; i < kTerrainHeightHits; ++i)
    {
        hits[i] = WorldHeightHit{};
        hits[i].surfaceKind = -1;
    }
    TerrainHeightHit found[kTerrainHeightHits];
    const Terrain* terrain = nullptr;
    Mat4 placement = Mat4Identity();
    Vec3 local = point;
    if (g_world.tileCollision)
    {
        const TileCollisionInstance* instance = g_world.tileCollision->HeightHits(point, found);
        if (!instance)
            return false;
        terrain = instance->terrain;
        placement = instance->matrix;
        local = Mat4TransformPoint(instance->inverse, point);
    }
    else if (g_world.terrain)
    {
        if (!TerrainHeightHits(*g_world.terrain, point, found))
            return false;
        terrain = g_world.terrain.get();
    }
    else
    {
        return false;
    }
    for (int i = 0; i < kTerrainHeightHits && found[i].face != kTerrainNoItem; ++i)
        hits[i] = MakeHit(*terrain, found[i], local, placement);
    return true;
}

void TerrainSubmitRender()
{
    if (g_world.terrain)
        g_world.terrain->Render(-1.0f, nullptr);
}

void simFinalize()
{
    g_world.tileCollision.reset();
    g_world.terrain.reset();
    for (Entity* entity : GetEntityRegistry().TakeAll())
        if (entity->m_engineAllocated)
            delete entity;
    LocatorsClear();
}
