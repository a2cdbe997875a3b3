#pragma once
// The world's global objects: the one terrain, the one tile-terrain
// collision, the height query that scripts use, and world finalisation.
// When a tile-terrain collision exists the height query uses it in place of
// the terrain; physics always sweeps against the terrain.

#include "core/Vec3.h"
#include "game/Terrain.h"

#include <cstdint>

class TileTerrainCollision;

// Replaces the terrain with one read from the file, drawn with the model.
// False after a report when either failed; the new terrain stays (empty when
// its file failed).
bool TerrainCreate(const char* file, const char* model);
Terrain* GetTerrain();

// Replaces the tile-terrain collision with an empty one.
TileTerrainCollision* TileTerrainCollisionCreate();
// Deletes it, so the terrain answers the world's queries again.
void TileTerrainCollisionClear();
TileTerrainCollision* GetTileTerrainCollision();

// One surface below a point, in world space, with the hit terrain's channel
// values at the face's corners.
struct WorldHeightHit
{
    float height;
    Vec3 vertices[3];
    float weights[3];
    // Vertex channel 0 when it holds floats, else 0.
    float vertexFloats[3];
    // Vertex channel 1 when it holds integers, else 0.
    int32_t vertexIntegers[3];
    // Face channel 0, 0 without face channels; -1 in a record no hit filled.
    int32_t surfaceKind;
};

// True when at least one surface lies below the point; the records fill
// highest first.
bool WorldTestHeight(const Vec3& point, WorldHeightHit hits[kTerrainHeightHits]);

// The scene hook: the terrain's model, unculled, with time -1.
void TerrainSubmitRender();

// At shutdown: deletes the tile-terrain collision, the terrain and the
// engine-allocated entities still registered, and empties the registry.
void simFinalize();
