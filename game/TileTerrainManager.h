#pragma once
// The board's drop: at the start of a level the tiles (and meshes of props
// added to the same drop) fall from a height with random delays and tilts,
// bounce once and come to rest. The fixed step advances it.

#include "core/Mat4.h"
#include "core/Vec3.h"

#include <cstdint>
#include <vector>

constexpr uint32_t kTileDropFalling = 0x1;
constexpr uint32_t kTileDropDone = 0x2;
constexpr uint32_t kTileDropBounced = 0x4;
constexpr uint32_t kTileDropFinished = 0x8;

struct TileDropRecord
{
    Mat4 current;
    Mat4 rest;
    Vec3 velocity{0, 0, 0};
    float delay = 0.0f;
    uint32_t flags = 0;
    float tiltX = 0.0f;
    float tiltZ = 0.0f;
    float restHeight = 0.0f;
    Mat4* target = nullptr;
    // What owns the target (a tile or a prop's render instance); its records
    // go with it.
    const void* owner = nullptr;
};

class TileTerrainManager
{
public:
    int32_t done = 1;
    float bounce = 0.0f;
    float startHeight = 0.0f;
    float gravity = 0.0f;
    float time = 0.0f;
    std::vector<TileDropRecord> records;
    // Hundredths of the set-up's seconds and radians.
    int32_t delayRange = 0;
    int32_t tiltXRange = 0;
    int32_t tiltZRange = 0;
    uint8_t dropping = 0;
    float laterDelay = 0.0f;

    // Seconds and radians; a record is added for every tile of the board.
    void SetUpForDropXZ(float startHeight, float gravity, float maxDelay, float maxTiltX, float maxTiltZ,
                        float bounce, float laterDelay);
    void AddDrop(Mat4& matrix, const void* owner);
    void Update(float dt);
    // Puts every target at rest and empties the list; done follows at the next update.
    void SkipToFinishOfDroping();
    // Removes the owner's records, leaving their targets where they are.
    void RemoveDropsOf(const void* owner);
    // Ends the drop at once (the board is going): every target at rest, idle.
    void Finish();

private:
    bool StepRecord(TileDropRecord& record, float dt) const;
};

TileTerrainManager& GetTileTerrainManager();

void TileTerrainAddDrop(Mat4& matrix, const void* owner);
bool TileTerrain_IsDropping();
void TileTerrainStep(float dt);
