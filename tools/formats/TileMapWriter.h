#pragma once
// Writes tile map files and makes the two files of a tile model: a square
// tile model of the model writer and its collision of the terrain writer.
// The map's header ends its line with ",\n", as does each row of tiles, so
// line ends fall inside the comma-separated tokens as the level tools left them.

#include "tools/formats/ModelWriter.h"
#include "tools/formats/TerrainWriter.h"

#include <string>
#include <vector>

struct TileMapSpec
{
    int rows = 0;
    int columns = 0;
    float tileSizeZ = 1.0f;
    float tileSizeX = 1.0f;
    std::vector<std::string> tiles; // row by row, columns varying fastest
};

struct TileToken
{
    int type = 0;
    int version = 0;
    bool hflip = false;
    bool vflip = false;
    float rotation = 0.0f; // degrees; 0 writes no "_r" part
};

// "type_version" with "_hflip", "_vflip" and "_rDegrees" as set.
std::string TileTokenWrite(const TileToken& token);
std::string TileMapWrite(const TileMapSpec& spec);

// A square tile of the size centred on the origin, its top sloping in x from
// height `low` at -size/2 to `high` at +size/2, with one textured material.
// A ridge of the given height (0 for none) runs along the edge at +z, so a
// turned or mirrored tile shows which way it lies.
ChModel TileModelBuild(float size, float low, float high, const std::string& texture, float ridgeHeight);
// The top of that tile as a collision mesh.
TerrainFile TileCollisionBuild(float size, float low, float high);
