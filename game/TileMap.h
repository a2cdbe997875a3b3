#pragma once
// The tile map file of a board: rows, columns, the tile size along z and x,
// then one "type_version[_hflip][_vflip][_rDegrees]" token per tile, columns
// varying fastest, all split by commas alone.

#include "core/StreamBytes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The board's tile table is this many columns by this many rows.
constexpr int kTileTerrainMaxSize = 100;
// A full board written in tokens of 255 characters, the longest the reader
// keeps, takes about a third of this.
constexpr FileSizeBound kTileMapFileBound = {"tile map", 8ull << 20};

struct TileMapCell
{
    int32_t type = 0;
    int32_t version = 0;
    float rotation = 0.0f; // degrees about the vertical axis
    uint8_t hflip = 0;
    uint8_t vflip = 0;
};

struct TileMap
{
    int32_t rows = 0;
    int32_t columns = 0;
    float tileSizeX = 0.0f;
    float tileSizeZ = 0.0f;
    // rows x columns cells, row by row; cells the text did not reach keep
    // type 0, version 0.
    std::vector<TileMapCell> cells;

    const TileMapCell& At(int column, int row) const { return cells[size_t(row) * size_t(columns) + size_t(column)]; }
};

// One tile token: its type, version, flips and rotation.
TileMapCell TileMapParseCell(const char* token);

// Reads the text into the map. False after a report (naming the file) when
// the header is missing, the grid is outside 1 to 100 rows or columns, or a
// tile size is not a finite number above 0.
bool TileMapParse(const char* text, size_t length, const char* name, TileMap& out);
