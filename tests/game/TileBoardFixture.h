#pragma once
// A mounted data tree with generated tile models (their collision beside
// them) and a GL context for the model cache, for the board's tests.

#include "core/FileTable.h"
#include "game/TileTerrain.h"
#include "game/World.h"
#include "support/TempDir.h"
#include "support/gl/GLTestContext.h"
#include "tools/formats/TgaWriter.h"
#include "tools/formats/TileMapWriter.h"

#include <string>
#include <vector>

// Tiles 10 units square. The ramp rises from 0.5 at local x = -5 to 1.5 at
// x = 5; the flat tile lies at 0; the bare tile has no collision file.
constexpr float kTileSize = 10.0f;
constexpr char kTileFolder[] = "tiles";
constexpr int kRampType = 7, kRampVersion = 2;
constexpr int kFlatType = 3, kFlatVersion = 1;
constexpr int kBareType = 5, kBareVersion = 0;

inline bool WriteDataFile(const TempDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    return dir.WriteFile("data/" + name, bytes.data(), bytes.size());
}

inline bool WriteTile(const TempDir& dir, const std::string& stem, float low, float high, bool collision)
{
    bool written = WriteDataFile(dir, stem + ".chmodel",
                                 ChModelWrite(TileModelBuild(kTileSize, low, high, "ground.tga", 0.0f)));
    if (collision)
        written &= WriteDataFile(dir, stem + ".chterrain", TerrainFileWrite(TileCollisionBuild(kTileSize, low, high)));
    return written;
}

// The three tile models and their texture, below "data/tiles".
inline bool WriteTileModels(const TempDir& dir)
{
    const std::vector<uint8_t> pixels(4 * 4 * 4, 200);
    return WriteDataFile(dir, "tiles/ground.tga", TgaWrite(pixels.data(), 4, 4, {})) &&
           WriteTile(dir, "tiles/07_002_Ramp", 0.5f, 1.5f, true) && WriteTile(dir, "tiles/03_001_Flat", 0.0f, 0.0f, true) &&
           WriteTile(dir, "tiles/05_000_Bare", 0.0f, 0.0f, false);
}

inline bool WriteTileMap(const TempDir& dir, const std::string& name, int rows, int columns,
                         const std::vector<std::string>& tiles)
{
    TileMapSpec spec;
    spec.rows = rows;
    spec.columns = columns;
    spec.tileSizeX = kTileSize;
    spec.tileSizeZ = kTileSize;
    spec.tiles = tiles;
    return dir.WriteFile("data/" + name, TileMapWrite(spec));
}

class TileBoardTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(WriteTileModels(dir));
        Mount();
    }

    void TearDown() override
    {
        TileTerrain::Clear();
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLContextTest::TearDown();
    }

    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(WriteDataFile(dir, name, bytes));
    }

    void WriteMap(const std::string& name, int rows, int columns, const std::vector<std::string>& tiles)
    {
        ASSERT_TRUE(WriteTileMap(dir, name, rows, columns, tiles));
    }

    void Mount() { FileTableMountDataTree(dir.Root().c_str()); }

    // A board of the tokens, written as "board.map", then loaded. The board
    // before goes first: mounting again forgets the models it holds.
    bool LoadBoard(int rows, int columns, const std::vector<std::string>& tiles)
    {
        TileTerrain::Clear();
        WriteMap("board.map", rows, columns, tiles);
        Mount();
        return TileTerrain::Load("board.map", kTileFolder);
    }

    TempDir dir;
};
