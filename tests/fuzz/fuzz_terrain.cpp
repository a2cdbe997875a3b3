// Terrain collision files, whole in memory: read, then every query asked.
#include "FuzzTarget.h"

#include "game/Terrain.h"

FUZZ_TARGET(terrain)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    Terrain terrain;
    if (!TerrainParse(data, size, "fuzz.chterrain", terrain.m_data))
        return 0;
    float t = 0.0f;
    Vec3 normal, point;
    uint32_t face = 0;
    TerrainHeightHit hits[kTerrainHeightHits];
    TerrainSweepSphere(terrain, Vec3(0.5f, 50.0f, 0.5f), 1.0f, Vec3(0.0f, -100.0f, 0.0f), t, normal, face);
    TerrainOverlapSphere(terrain, Vec3(0.0f, 0.0f, 0.0f), 2.0f);
    TerrainRayCast(terrain, Vec3(0.5f, 50.0f, 0.5f), Vec3(0.0f, -1.0f, 0.0f), point);
    TerrainHeightHits(terrain, Vec3(0.5f, 50.0f, 0.5f), hits);
    for (uint32_t v = 0; v < 4; ++v)
        TerrainVertexChannelValue(terrain, v);
    return 0;
}
