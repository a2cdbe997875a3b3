#include "game/TileTerrainManager.h"

#include "core/Random.h"
#include "game/TileTerrain.h"

#include <cmath>
#include <cstdint>

namespace
{
// A script's seconds or radians in hundredths, truncated; what does not fit
// (or is not a number) draws nothing.
int32_t Hundredths(float value)
{
    const float scaled = value * 100.0f;
    if (!(scaled > 0.0f))
        return 0;
    return scaled < 2147483520.0f ? int32_t(scaled) : INT32_MAX;
}

// A draw below the range, or 0 for an empty range.
int64_t Draw(int32_t range)
{
    return range > 0 ? Rand() % range : 0;
}

float DrawTilt(int32_t range)
{
    return range > 0 ? float(Draw(range) * 2 - range) * 0.01f : 0.0f;
}

Mat4 AxisRotation(float angle, const Vec3& axis)
{
    Mat4 rotation = Mat4Identity();
    Mat4SetRotationAxisAngle(rotation, angle, axis);
    return rotation;
}
} // namespace

void TileTerrainManager::SetUpForDropXZ(float height, float fall, float maxDelay, float maxTiltX, float maxTiltZ,
                                        float bounceFactor, float later)
{
    dropping = 1;
    bounce = bounceFactor;
    startHeight = height;
    gravity = fall;
    delayRange = Hundredths(maxDelay);
    tiltXRange = Hundredths(maxTiltX);
    tiltZRange = Hundredths(maxTiltZ);
    time = 0.0f;
    done = 0;
    laterDelay = 0.0f;
    if (TileTerrain* board = GetTileTerrain())
        for (int column = 0; column < board->columns; ++column)
            for (int row = 0; row < board->rows; ++row)
                if (TileInstance* tile = board->Tile(column, row))
                    AddDrop(tile->matrix, tile);
    laterDelay = later;
}

void TileTerrainManager::AddDrop(Mat4& matrix, const void* owner)
{
    TileDropRecord record;
    record.rest = matrix;
    // A matrix already dropping is raised now: its record knows where it rests.
    for (size_t i = 0; i < records.size(); ++i)
    {
        if (records[i].target == &matrix)
        {
            record.rest = records[i].rest;
            records.erase(records.begin() + std::ptrdiff_t(i));
            break;
        }
    }
    record.current = record.rest;
    record.restHeight = record.rest[13];
    record.current[13] = startHeight;
    record.delay = float(Draw(delayRange)) * 0.01f + laterDelay;
    record.tiltX = DrawTilt(tiltXRange);
    record.tiltZ = DrawTilt(tiltZRange);
    // Turned about its own x, then z, as an entity's RotateByAngles.
    const Mat4 tilt = Mat4Multiply(AxisRotation(record.tiltX, Vec3(1, 0, 0)), AxisRotation(record.tiltZ, Vec3(0, 0, 1)));
    record.current = Mat4Multiply(record.current, tilt);
    record.target = &matrix;
    record.owner = owner;
    records.push_back(record);
}

bool TileTerrainManager::StepRecord(TileDropRecord& record, float dt) const
{
    if (!(record.flags & kTileDropDone))
    {
        if (!(record.flags & kTileDropFalling) && record.delay < time)
            record.flags |= kTileDropFalling;
        if (record.flags & kTileDropFalling)
        {
            record.velocity.y += gravity * dt;
            const Vec3 p = Mat4GetTranslation(record.current) + record.velocity * dt;
            if (record.restHeight <= p.y)
                Mat4SetTranslation(record.current, p);
            else if (!(record.flags & kTileDropBounced))
            {
                record.velocity = record.velocity * -bounce;
                record.flags |= kTileDropBounced;
            }
            else
            {
                record.flags = (record.flags | kTileDropDone | kTileDropFinished) & ~kTileDropFalling;
                record.current = record.rest;
            }
        }
    }
    *record.target = record.current;
    return (record.flags & kTileDropFinished) != 0;
}

void TileTerrainManager::Update(float dt)
{
    time += dt;
    if (records.empty())
    {
        done = 1;
        return;
    }
    for (size_t i = 0; i < records.size();)
    {
        if (StepRecord(records[i], dt))
            records.erase(records.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
}

void TileTerrainManager::SkipToFinishOfDroping()
{
    for (TileDropRecord& record : records)
        *record.target = record.rest;
    records.clear();
}

void TileTerrainManager::RemoveDropsOf(const void* owner)
{
    for (size_t i = 0; i < records.size();)
    {
        if (records[i].owner == owner)
            records.erase(records.begin() + std::ptrdiff_t(i));
        else
            ++i;
    }
}

void TileTerrainManager::Finish()
{
    SkipToFinishOfDroping();
    done = 1;
    dropping = 0;
}

TileTerrainManager& GetTileTerrainManager()
{
    // Never destroyed: props let go of their records as late as program exit.
    static TileTerrainManager* const manager = new TileTerrainManager;
    return *manager;
}

void TileTerrainAddDrop(Mat4& matrix, const void* owner)
{
    GetTileTerrainManager().AddDrop(matrix, owner);
}

bool TileTerrain_IsDropping()
{
    return GetTileTerrainManager().done == 0;
}

void TileTerrainStep(float dt)
{
    TileTerrainManager& manager = GetTileTerrainManager();
    if (!manager.done)
        manager.Update(dt);
}
