// tilegen <data folder>
// Writes the demo's board below the data folder:
//   terrain/board/NN_000_Name.chmodel   five tile models 120 units square
//   terrain/board/NN_000_Name.chterrain (meadow, field, hedge, river, rocky
//                                       hill), each with its collision beside it;
//   levels/board.map                    an 8 x 8 board of them laid out as
//                                       levels/board.grid names its cells,
//                                       some turned or mirrored, so the
//                                       dragon's circle of about 320 units
//                                       lies well inside it.
// The models name textures that the build makes beside them with texgen.

#include "tools/formats/TileMapWriter.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
constexpr float kBoardTileSize = 120.0f;
constexpr int kBoardSize = 8;

struct BoardTile
{
    const char* stem;
    int type;
    const char* texture;
    float low, high, ridge;
};

const BoardTile kBoardTiles[] = {
    {"01_000_Meadow", 1, "meadow.tga", 0.0f, 0.0f, 0.0f},
    {"02_000_Field", 2, "field.tga", 0.0f, 10.0f, 0.0f},
    {"03_000_Hedge", 3, "hedge.tga", 0.0f, 0.0f, 6.0f},
    {"04_000_River", 4, "river.tga", 0.0f, 0.0f, 0.0f},
    {"05_000_Hill", 5, "rock.tga", 0.0f, 22.0f, 12.0f},
};

// The cells of levels/board.grid, row by row: the knight's path finder
// reads the same names, so it walks round the river and the hills it sees.
const char kBoardCells[] = "MHFMHFMH"
                           "MGFRRFMH"
                           "MHFRRFMH"
                           "MHFMHFMH"
                           "WWWWWWWH"
                           "MHFMRFMH"
                           "MHFMRCMH"
                           "MHFMHFMH";

int TileTypeOf(char cell)
{
    switch (cell)
    {
    case 'F': return 2;
    case 'H': return 3;
    case 'W': return 4;
    case 'R': return 5;
    default: return 1; // meadow, and the gate's and the castle's ground
    }
}

bool Write(const std::filesystem::path& file, const std::vector<uint8_t>& bytes)
{
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    FILE* out = fopen(file.string().c_str(), "wb");
    const bool written = out && fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    const bool closed = out && fclose(out) == 0;
    if (!written || !closed)
        fprintf(stderr, "tilegen: cannot write %s\n", file.string().c_str());
    return written && closed;
}

// The grid's cells as tiles, turned and mirrored in a pattern.
TileMapSpec Board()
{
    TileMapSpec spec;
    spec.rows = kBoardSize;
    spec.columns = kBoardSize;
    spec.tileSizeX = kBoardTileSize;
    spec.tileSizeZ = kBoardTileSize;
    for (int row = 0; row < kBoardSize; ++row)
    {
        for (int column = 0; column < kBoardSize; ++column)
        {
            TileToken token;
            token.type = TileTypeOf(kBoardCells[row * kBoardSize + column]);
            token.rotation = float(((row + column) % 4) * 90);
            token.hflip = (row % 3) == 1;
            token.vflip = (column % 4) == 2;
            spec.tiles.push_back(TileTokenWrite(token));
        }
    }
    return spec;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: tilegen <data folder>\n");
        return 2;
    }
    const std::filesystem::path data(argv[1]);
    bool ok = true;
    for (const BoardTile& tile : kBoardTiles)
    {
        const std::filesystem::path stem = data / "terrain/board" / tile.stem;
        ok &= Write(stem.string() + ".chmodel",
                    ChModelWrite(TileModelBuild(kBoardTileSize, tile.low, tile.high, tile.texture, tile.ridge)));
        ok &= Write(stem.string() + ".chterrain", TerrainFileWrite(TileCollisionBuild(kBoardTileSize, tile.low, tile.high)));
    }
    const std::string map = TileMapWrite(Board());
    ok &= Write(data / "levels/board.map", std::vector<uint8_t>(map.begin(), map.end()));
    return ok ? 0 : 1;
}
