#include "game/TileMap.h"

#include "core/LogError.h"
#include "core/StringUtil.h"
#include "core/Tokenizer.h"

#include <climits>
#include <cmath>
#include <cstring>

namespace
{
constexpr int kTileTokenSize = 256;

// The parts of a tile token after the second, each read on its own.
void ReadCellOption(const char* part, TileMapCell& cell)
{
    if (strcmp(part, "hflip") == 0)
        cell.hflip = 1;
    else if (strcmp(part, "vflip") == 0)
        cell.vflip = 1;
    else if (part[0] == 'r')
    {
        const float degrees = StringToFloat(part + 1);
        // A rotation that is not a number would put NaN in the tile's matrix.
        cell.rotation = std::isfinite(degrees) ? degrees : 0.0f;
    }
}

bool ReadHeader(const char* name, TileMap& out)
{
    char header[4][kTileTokenSize];
    bool end = false;
    for (char* token : header)
    {
        if (!TokenNextWithoutLineEnds(end, token, kTileTokenSize))
        {
            LogError("Tile map %s is damaged: it needs rows, columns and the tile size before its tiles.\n", name);
            return false;
        }
    }
    out.rows = StringToInt(header[0]);
    out.columns = StringToInt(header[1]);
    out.tileSizeZ = StringToFloat(header[2]);
    out.tileSizeX = StringToFloat(header[3]);
    if (out.rows < 1 || out.rows > kTileTerrainMaxSize || out.columns < 1 || out.columns > kTileTerrainMaxSize)
    {
        LogError("Tile map %s: %d rows by %d columns do not fit the %d by %d tile table.\n", name, out.rows,
                 out.columns, kTileTerrainMaxSize, kTileTerrainMaxSize);
        return false;
    }
    if (!(out.tileSizeX > 0.0f) || !(out.tileSizeZ > 0.0f) || !std::isfinite(out.tileSizeX) ||
        !std::isfinite(out.tileSizeZ))
    {
        LogError("Tile map %s: the tile size must be a number above 0.\n", name);
        return false;
    }
    return true;
}
} // namespace

TileMapCell TileMapParseCell(const char* token)
{
    TileMapCell cell;
    char part[kTileTokenSize];
    int index = 0;
    const char* at = token;
    while (at)
    {
        const char* underscore = strchr(at, '_');
        const size_t length = underscore ? size_t(underscore - at) : strlen(at);
        const size_t kept = length < sizeof(part) ? length : sizeof(part) - 1;
        memcpy(part, at, kept);
        part[kept] = 0;
        if (index == 0)
            cell.type = StringToInt(part);
        else if (index == 1)
            cell.version = StringToInt(part);
        else
            ReadCellOption(part, cell);
        ++index;
        at = underscore ? underscore + 1 : nullptr;
    }
    return cell;
}

bool TileMapParse(const char* text, size_t length, const char* name, TileMap& out)
{
    out = TileMap();
    if (length > size_t(INT_MAX))
    {
        LogError("Tile map %s is too large to read.\n", name);
        return false;
    }
    TokenReset();
    // A new text takes the default separators, so the comma comes after it.
    TokenSetText(text, int(length));
    TokenSetOnlySeparators(",");
    const bool read = ReadHeader(name, out);
    if (read)
    {
        out.cells.resize(size_t(out.rows) * size_t(out.columns));
        char token[kTileTokenSize];
        bool end = false;
        for (TileMapCell& cell : out.cells)
        {
            if (!TokenNextWithoutLineEnds(end, token, kTileTokenSize))
                break;
            cell = TileMapParseCell(token);
        }
    }
    TokenReset();
    return read;
}
