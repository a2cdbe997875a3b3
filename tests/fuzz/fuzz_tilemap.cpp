// Tile map files of the board: read, then every cell looked at, and the
// whole input read again as one tile token.
#include "FuzzTarget.h"

#include "game/TileMap.h"

#include <string>

FUZZ_TARGET(tilemap)(const uint8_t* data, size_t size)
{
    FuzzSilenceReports();
    const char* text = reinterpret_cast<const char*>(data);
    TileMap map;
    if (TileMapParse(text, size, "fuzz.map", map))
    {
        float turned = 0.0f;
        for (int row = 0; row < map.rows; ++row)
            for (int column = 0; column < map.columns; ++column)
                turned += map.At(column, row).rotation;
        (void)turned;
    }
    const std::string token(text, size);
    TileMapParseCell(token.c_str());
    return 0;
}
