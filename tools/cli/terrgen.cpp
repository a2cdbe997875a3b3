// terrgen <data folder>
// Writes the demo's ground collision below the data folder:
//   levels/hill.chterrain  a 1280 x 1280 field with a round hill under the
//                          crate's spawn point, and a ledge (a raised block
//                          of surface kind 1, which never pushes upward).

#include "tools/formats/FileBytes.h"
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
    const std::filesystem::path file = std::filesystem::path(argv[1]) / "levels/hill.chterrain";
    return WriteFileBytes(file.string(), TerrainFileWrite(TerrainFileBuild(mesh))) ? 0 : 1;
}
