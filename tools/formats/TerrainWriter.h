#pragma once
// Terrain collision files: the records as the file lays them out, the bytes
// of a file, and a builder that sorts a triangle mesh's faces under a
// bounding-box tree so each leaf's faces are contiguous. Tests take the
// records apart to make damaged files; the demo build and the benches build
// generated ground with the heightfield helper.

#include "core/Vec3.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr uint32_t kTerrainFileFloat = 0x666C6F61; // 'floa'
constexpr uint32_t kTerrainFileLong = 0x6C6F6E67;  // 'long'

struct TerrainFileNode
{
    float center[3];
    float halfExtent[3];
    uint32_t itemCount;
    uint32_t firstItem;
    uint32_t leftChild; // 0 for a leaf
    uint32_t rightChild;
};

struct TerrainFileFace
{
    uint32_t i0, i1, i2;
    Vec3 normal;
};

struct TerrainFileChannel
{
    uint32_t type = kTerrainFileLong;
    std::string name; // up to 8 bytes
    std::vector<uint32_t> values;
};

struct TerrainFile
{
    std::string header = "CH terrain  ";
    uint32_t version = 2;
    std::vector<TerrainFileNode> nodes;
    std::vector<Vec3> vertices;
    std::vector<TerrainFileChannel> vertexChannels;
    std::vector<TerrainFileFace> faces;
    std::vector<TerrainFileChannel> faceChannels;
};

std::vector<uint8_t> TerrainFileWrite(const TerrainFile& file);

// A triangle mesh before sorting: counter-clockwise seen from the solid
// side's outside, so normals point away from the ground.
struct TerrainMesh
{
    std::vector<Vec3> vertices;
    std::vector<std::array<uint32_t, 3>> triangles;
    // One per triangle (0 where missing): face channel 0 when written.
    std::vector<uint32_t> surfaceKinds;
    bool writeSurfaceKinds = true;
    std::vector<TerrainFileChannel> vertexChannels;

    // Appends a triangle of new vertices.
    void AddTriangle(const Vec3& a, const Vec3& b, const Vec3& c, uint32_t kind = 0);
    // Two triangles over the corners in order (counter-clockwise from outside).
    void AddQuad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, uint32_t kind = 0);
};

// Sorts the faces under a tree whose leaves hold at most leafFaces faces,
// splitting at the median of the face centres on the box's longest axis.
TerrainFile TerrainFileBuild(const TerrainMesh& mesh, uint32_t leafFaces = 4);

// A grid of columns x rows cells of the given size centred on the origin,
// the height of each corner from the function (x, z).
TerrainMesh TerrainHeightfield(int columns, int rows, float cellSize, const std::function<float(float, float)>& height,
                               uint32_t kind = 0);
