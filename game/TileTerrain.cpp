#include "game/TileTerrain.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/StringUtil.h"
#include "core/pd_ifstream.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/Render.h"
#include "game/Terrain.h"
#include "game/TileTerrainCollision.h"
#include "game/TileTerrainManager.h"
#include "game/World.h"

#include <cstring>
#include <string>

namespace
{
constexpr float kTileDegreesToRadians = 0.017453292f;
constexpr char kModelExtension[] = "chmodel";
constexpr char kCollisionExtension[] = "chterrain";

TileTerrain* g_tileTerrain = nullptr;

bool ReadMap(const char* path, TileMap& map)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open fire data %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kTileMapFileBound, bytes))
        return false;
    return TileMapParse(reinterpret_cast<const char*>(bytes.data()), bytes.size(), path, map);
}

// Rotated, then mirrored, then placed.
Mat4 TileMatrix(const Vec3& position, TileInstance& tile)
{
    Mat4 rotation = Mat4Identity();
    if (tile.rotation != 0.0f)
        Mat4SetRotationAxisAngle(rotation, tile.rotation * kTileDegreesToRadians, Vec3(0, 1, 0));
    Mat4 flip = Mat4Identity();
    if (tile.hflip)
        Mat4ScaleDiagonal(flip, Vec3(-1, 1, 1));
    if (tile.vflip)
        Mat4ScaleDiagonal(flip, Vec3(1, 1, -1));
    // Two flips make a half turn, which keeps the faces' winding: only one
    // flip turns the faces inside out for the renderer's culling.
    tile.m_mirrored = (tile.hflip != 0) != (tile.vflip != 0) ? 1 : 0;
    Mat4 placement = Mat4Identity();
    Mat4SetTranslation(placement, position);
    return Mat4Multiply(placement, Mat4Multiply(flip, rotation));
}

std::string CollisionPathOf(const std::string& modelPath)
{
    return modelPath.substr(0, modelPath.size() - strlen(kModelExtension)) + kCollisionExtension;
}

// The tile's matching info's collision, loaded on first use.
void LoadCollision(TileInfo& info, const std::string& modelPath)
{
    if (info.collision || info.collisionMissing)
        return;
    const std::string path = CollisionPathOf(modelPath);
    std::unique_ptr<Terrain> terrain(new Terrain);
    if (!TerrainLoad(*terrain, path.c_str()))
    {
        LogError("ERROR terrain collision file missing!!!! %s \n", path.c_str());
        info.collisionMissing = true;
        return;
    }
    info.collision = std::move(terrain);
}
} // namespace

TileInfo::TileInfo() = default;
TileInfo::~TileInfo() = default;
TileInfo::TileInfo(TileInfo&&) noexcept = default;
TileInfo& TileInfo::operator=(TileInfo&&) noexcept = default;

TileInstance::TileInstance()
{
    m_owner.matrix = &matrix;
    m_owner.flags = &m_visible;
}

bool TileInstance::IsMeshVisible(const ModelNode& node, const char* materialName) const
{
    return !IsMeshHidden(node.name, materialName);
}

void TileTerrain::SetSize(const TileMap& map)
{
    columns = map.columns;
    rows = map.rows;
    tileSizeX = map.tileSizeX;
    tileSizeZ = map.tileSizeZ;
    origin = Vec3(tileSizeX - tileSizeX * 0.5f * float(columns), 0.0f, tileSizeZ - tileSizeZ * 0.5f * float(rows));
    for (int column = 0; column < columns; ++column)
        for (int row = 0; row < rows; ++row)
            tiles[column][row].reset(new TileInstance);
}

TileInstance* TileTerrain::Tile(int column, int row) const
{
    if (column < 0 || column >= columns || row < 0 || row >= rows)
        return nullptr;
    return tiles[column][row].get();
}

void TileTerrain::CollectTileInfos(const char* tileFolder)
{
    const std::string pattern = std::string("^") + tileFolder + "/.*[.]" + kModelExtension + "$";
    FileTableIterator it;
    for (it.Begin(pattern.c_str()); it.NotEqual(FileTableEnd()); it.Next())
    {
        const FixedString256 fileName = it.FileName();
        if (strlen(fileName) >= sizeof(TileInfo().name))
            continue;
        const TileMapCell numbers = TileMapParseCell(fileName);
        if (numbers.type < 0 || numbers.version < 0)
            continue;
        TileInfo info;
        info.name = fileName.c_str();
        info.type = numbers.type;
        info.version = numbers.version;
        tileInfos.push_back(std::move(info));
    }
}

const TileInfo* TileTerrain::FindInfo(int32_t type, int32_t version) const
{
    for (const TileInfo& info : tileInfos)
        if (info.type == type && info.version == version)
            return &info;
    return nullptr;
}

void TileTerrain::LoadTileModels(const char* tileFolder)
{
    CollectTileInfos(tileFolder);
    for (int column = 0; column < columns; ++column)
    {
        for (int row = 0; row < rows; ++row)
        {
            TileInstance& tile = *tiles[column][row];
            TileInfo* info = const_cast<TileInfo*>(FindInfo(tile.type, tile.version));
            if (!info)
            {
                LogError("Error Tile Not found row %d column %d tile type %d tile version %d\n", row, column,
                         tile.type, tile.version);
                continue;
            }
            const std::string modelPath = std::string(tileFolder) + "/" + info->name.c_str();
            tile.SetModel(ModelCache(modelPath.c_str()));
            LoadCollision(*info, modelPath);
            Vec3 position(0.0f, 0.0f, 0.0f);
            TileTerrainGetTilePosition(column, row, position);
            tile.matrix = TileMatrix(position, tile);
            tile.info = info;
        }
    }
}

bool TileTerrain::BuildCollision() const
{
    TileTerrainCollision* collision = GetTileTerrainCollision();
    bool failed = false;
    for (int column = 0; column < columns; ++column)
    {
        for (int row = 0; row < rows; ++row)
        {
            const TileInstance& tile = *tiles[column][row];
            if (!tile.info)
            {
                LogError("Tile Info not valid at row %d, col %d \n", row, column);
                failed = true;
            }
            else if (tile.info->collision && collision)
            {
                const bool axisAligned = !tile.hflip && !tile.vflip && tile.rotation == 0.0f;
                collision->AddInstance(tile.info->collision.get(), tile.matrix, axisAligned);
            }
        }
    }
    if (!failed && collision)
        collision->Build();
    return !failed;
}

bool TileTerrain::Load(const char* mapFile, const char* tileFolder)
{
    Clear();
    TileMap map;
    if (!ReadMap(mapFile, map))
        return false;
    TileTerrainCollisionCreate();
    g_tileTerrain = new TileTerrain;
    g_tileTerrain->SetSize(map);
    for (int column = 0; column < map.columns; ++column)
    {
        for (int row = 0; row < map.rows; ++row)
        {
            const TileMapCell& cell = map.At(column, row);
            TileInstance& tile = *g_tileTerrain->tiles[column][row];
            tile.type = cell.type;
            tile.version = cell.version;
            tile.rotation = cell.rotation;
            tile.hflip = cell.hflip;
            tile.vflip = cell.vflip;
        }
    }
    g_tileTerrain->LoadTileModels(tileFolder);
    if (!g_tileTerrain->BuildCollision())
    {
        Clear();
        return false;
    }
    return true;
}

void TileTerrain::Clear()
{
    GetTileTerrainManager().Finish();
    // The collision points at the infos' terrains, so it goes first.
    TileTerrainCollisionClear();
    delete g_tileTerrain;
    g_tileTerrain = nullptr;
}

void TileTerrain::HideMeshOnAllTiles(const char* text)
{
    TileTerrain* board = g_tileTerrain;
    if (!board)
        return;
    for (int column = 0; column < board->columns; ++column)
    {
        for (int row = 0; row < board->rows; ++row)
        {
            TileInstance& tile = *board->tiles[column][row];
            const Model* model = tile.m_model;
            for (int mesh = 0; mesh < Model::GetMeshCount(model); ++mesh)
            {
                for (int material = 0; material < model->GetMesh(mesh)->GetMaterialCount(); ++material)
                {
                    const char* name = model->GetMaterialRecord(mesh, material)->layers[0].name.c_str();
                    if (strstr(name, text))
                        tile.HideMesh(name, true);
                }
            }
        }
    }
}

bool TileTerrain::GetRealWordCorners(Vec3& low, Vec3& high)
{
    const TileTerrain* board = g_tileTerrain;
    if (!board)
        return false;
    low = board->origin;
    high = board->origin + Vec3(float(board->columns) * board->tileSizeX, 0.0f, float(board->rows) * board->tileSizeZ);
    return true;
}

TileTerrain* GetTileTerrain()
{
    return g_tileTerrain;
}

bool TileTerrainGetSize(int& columns, int& rows)
{
    columns = g_tileTerrain ? g_tileTerrain->columns : 0;
    rows = g_tileTerrain ? g_tileTerrain->rows : 0;
    return g_tileTerrain != nullptr;
}

bool TileTerrainGetTilePosition(int column, int row, Vec3& position)
{
    const TileTerrain* board = g_tileTerrain;
    if (!board || !board->Tile(column, row))
        return false;
    position = Vec3(board->origin.x + float(column) * board->tileSizeX - board->tileSizeX * 0.5f, board->origin.y,
                    board->origin.z + float(row) * board->tileSizeZ - board->tileSizeZ * 0.5f);
    return true;
}

const Terrain* TileTerrainGetTileModel(int column, int row)
{
    const TileInstance* tile = g_tileTerrain ? g_tileTerrain->Tile(column, row) : nullptr;
    return tile && tile->info ? tile->info->collision.get() : nullptr;
}

TileInstance* TileTerrainGetTileTransform(int column, int row, Mat4& matrix)
{
    TileInstance* tile = g_tileTerrain ? g_tileTerrain->Tile(column, row) : nullptr;
    if (tile)
        matrix = tile->matrix;
    return tile;
}

int TileTerrainTileCount()
{
    return g_tileTerrain ? g_tileTerrain->columns * g_tileTerrain->rows : 0;
}

bool TileTerrainTile(int index, RenderTile& out)
{
    const TileTerrain* board = g_tileTerrain;
    if (!board || index < 0 || index >= board->columns * board->rows)
        return false;
    TileInstance* tile = board->tiles[index / board->rows][index % board->rows].get();
    out.transform = tile->matrix;
    out.position = Mat4GetTranslation(tile->matrix);
    out.instance = tile;
    out.model = tile->m_model;
    return true;
}
