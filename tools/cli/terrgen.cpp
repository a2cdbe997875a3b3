// terrgen <data folder>
// Writes the demo's ground below the data folder, one mesh twice:
//   levels/hill.chterrain         the collision: a 1280 x 1280 field with a
//                                 round hill under the crate's spawn point,
//                                 and a ledge (a raised block of surface
//                                 kind 1, which never pushes upward);
//   terrain/set01/hill.chmodel    the same surfaces drawn in grass.

#include "tools/formats/FileBytes.h"
#include "tools/formats/ModelWriter.h"
#include "tools/formats/TerrainWriter.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

namespace
{
constexpr int kCells = 64;
constexpr float kCellSize = 20.0f;
// The hill peaks under the "crate_hill" locator of the spawn file.
constexpr float kHillX = 50.0f, kHillZ = -120.0f, kHillHeight = 40.0f, kHillSpread = 100.0f;
constexpr float kLedgeMin = -300.0f, kLedgeMax = -200.0f, kLedgeBase = -5.0f, kLedgeTop = 30.0f;
constexpr uint32_t kLedgeKind = 1;

float HillHeight(float x, float z)
{
    const float dx = x - kHillX, dz = z - kHillZ;
    return kHillHeight * std::exp(-(dx * dx + dz * dz) / (2.0f * kHillSpread * kHillSpread));
}

// A quad whose corners are turned, when needed, to face `outward`.
void AddFacing(TerrainMesh& mesh, const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, const Vec3& outward)
{
    const Vec3 u(b.x - a.x, b.y - a.y, b.z - a.z), v(c.x - a.x, c.y - a.y, c.z - a.z);
    const Vec3 n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
    if (n.x * outward.x + n.y * outward.y + n.z * outward.z >= 0.0f)
        mesh.AddQuad(a, b, c, d, kLedgeKind);
    else
        mesh.AddQuad(d, c, b, a, kLedgeKind);
}

void AddLedge(TerrainMesh& mesh)
{
    const float lo = kLedgeMin, hi = kLedgeMax, base = kLedgeBase, top = kLedgeTop;
    AddFacing(mesh, Vec3(lo, top, lo), Vec3(lo, top, hi), Vec3(hi, top, hi), Vec3(hi, top, lo), Vec3(0, 1, 0));
    AddFacing(mesh, Vec3(hi, base, lo), Vec3(hi, top, lo), Vec3(hi, top, hi), Vec3(hi, base, hi), Vec3(1, 0, 0));
    AddFacing(mesh, Vec3(lo, base, lo), Vec3(lo, top, lo), Vec3(lo, top, hi), Vec3(lo, base, hi), Vec3(-1, 0, 0));
    AddFacing(mesh, Vec3(lo, base, hi), Vec3(lo, top, hi), Vec3(hi, top, hi), Vec3(hi, base, hi), Vec3(0, 0, 1));
    AddFacing(mesh, Vec3(lo, base, lo), Vec3(lo, top, lo), Vec3(hi, top, lo), Vec3(hi, base, lo), Vec3(0, 0, -1));
}
// Sums a vector into another.
void Accumulate(float into[3], const Vec3& add)
{
    into[0] += add.x;
    into[1] += add.y;
    into[2] += add.z;
}

// The collision mesh as a model: shared corners get the mean of their faces'
// normals, the grass repeats every 40 units.
ChModel DrawnModel(const TerrainMesh& mesh)
{
    constexpr float kGrassRepeat = 40.0f;
    std::vector<ChModelVertex> vertices(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); ++i)
    {
        const Vec3& p = mesh.vertices[i];
        vertices[i].position[0] = p.x;
        vertices[i].position[1] = p.y;
        vertices[i].position[2] = p.z;
        vertices[i].normal[2] = 0.0f;
        vertices[i].uv[0] = p.x / kGrassRepeat;
        vertices[i].uv[1] = p.z / kGrassRepeat;
    }
    ChModelMesh drawn;
    for (const auto& triangle : mesh.triangles)
    {
        const Vec3 &a = mesh.vertices[triangle[0]], &b = mesh.vertices[triangle[1]], &c = mesh.vertices[triangle[2]];
        const Vec3 u(b.x - a.x, b.y - a.y, b.z - a.z), v(c.x - a.x, c.y - a.y, c.z - a.z);
        const Vec3 n(u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x);
        for (uint32_t corner : triangle)
        {
            Accumulate(vertices[corner].normal, n);
            drawn.indices.push_back(uint16_t(corner));
        }
    }
    for (ChModelVertex& vertex : vertices)
    {
        const float length = std::sqrt(vertex.normal[0] * vertex.normal[0] + vertex.normal[1] * vertex.normal[1] +
                                       vertex.normal[2] * vertex.normal[2]);
        for (float& axis : vertex.normal)
            axis = length > 0.0f ? axis / length : 0.0f;
    }
    drawn.flags = 0x0; // the opaque bucket (0x1 is the alpha one)
    ChModelSetVertices(drawn, vertices, false);
    drawn.materials.push_back(ChModelTexturedMaterial("grass.tga", 0, uint16_t(drawn.indices.size())));
    drawn.nodes.push_back({"Ground", Mat4Identity()});
    ChModel model;
    model.radius = 0.5f * kCells * kCellSize * 1.415f;
    model.meshes.push_back(drawn);
    return model;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: terrgen <data folder>\n");
        return 2;
    }
    TerrainMesh mesh = TerrainHeightfield(kCells, kCells, kCellSize, HillHeight);
    AddLedge(mesh);
    static_assert((kCells + 1) * (kCells + 1) + 20 <= 65536, "indices are 16 bits");
    const std::filesystem::path data(argv[1]);
    const bool ok = WriteFileBytes((data / "levels/hill.chterrain").string(), TerrainFileWrite(TerrainFileBuild(mesh))) &&
                    WriteFileBytes((data / "terrain/set01/hill.chmodel").string(), ChModelWrite(DrawnModel(mesh)));
    return ok ? 0 : 1;
}
