#pragma once
// The board: a grid of square tiles, each an instance of a tile model chosen
// by type and version, turned about the vertical axis and mirrored. Each
// distinct tile model and collision mesh is loaded once and shared; the
// board's collision goes to the world's tile-terrain collision. There is at
// most one board, made by Load and deleted by Clear.

#include "core/FixedString.h"
#include "core/Mat4.h"
#include "cross/RenderInstance.h"
#include "game/TileMap.h"

#include <cstdint>
#include <memory>
#include <vector>

class Terrain;
struct RenderTile;

struct TileInfo
{
    // The model's file name without its folder.
    FixedString128 name;
    std::unique_ptr<Terrain> collision;
    int32_t type = 0;
    int32_t version = 0;
    // Set once its collision file was found missing, so that is said once.
    bool collisionMissing = false;

    TileInfo();
    ~TileInfo();
    TileInfo(TileInfo&&) noexcept;
    TileInfo& operator=(TileInfo&&) noexcept;
};

class TileInstance : public RenderInstance
{
public:
    float rotation = 0.0f; // degrees
    int32_t type = 0;
    int32_t version = 0;
    uint8_t vflip = 0;
    uint8_t hflip = 0;
    Mat4 matrix = Mat4Identity();
    const TileInfo* info = nullptr;

    TileInstance();
    bool IsMeshVisible(const ModelNode& node, const char* materialName) const override;

private:
    uint32_t m_visible = kRenderOwnerVisible;
};

class TileTerrain
{
public:
    int32_t columns = 0;
    int32_t rows = 0;
    float tileSizeX = 0.0f;
    float tileSizeZ = 0.0f;
    Vec3 origin{0, 0, 0};
    // Filled once per load, so tiles may point into it.
    std::vector<TileInfo> tileInfos;
    // [column][row]; null outside columns x rows.
    std::unique_ptr<TileInstance> tiles[kTileTerrainMaxSize][kTileTerrainMaxSize];

    // Clears any board, then builds one from the map and the models of the
    // tile folder. False after a report, with no board and no tile collision,
    // when the map cannot be read or a tile has no model.
    static bool Load(const char* mapFile, const char* tileFolder);
    // Ends the drop at once, frees the board and deletes the tile collision.
    static void Clear();
    // Hides, on every tile, each mesh whose material texture name contains the text.
    static void HideMeshOnAllTiles(const char* text);

    // Both corners; false (corners untouched) without a board.
    static bool GetRealWordCorners(Vec3& low, Vec3& high);

    // Meant for the map's size only: allocates every tile plain.
    void SetSize(const TileMap& map);
    TileInstance* Tile(int column, int row) const;

private:
    void CollectTileInfos(const char* tileFolder);
    const TileInfo* FindInfo(int32_t type, int32_t version) const;
    void LoadTileModels(const char* tileFolder);
    bool BuildCollision() const;
};

// The board, or null.
TileTerrain* GetTileTerrain();
// Columns and rows; false (both 0) without a board.
bool TileTerrainGetSize(int& columns, int& rows);
// The centre of a tile; false for a tile off the board.
bool TileTerrainGetTilePosition(int column, int row, Vec3& position);
// The collision terrain of the tile's model, or null.
const Terrain* TileTerrainGetTileModel(int column, int row);
// The tile and its matrix, or null for a tile off the board.
TileInstance* TileTerrainGetTileTransform(int column, int row, Mat4& matrix);
// The render frame's hooks: the board's tiles, columns outer.
int TileTerrainTileCount();
bool TileTerrainTile(int index, RenderTile& out);
