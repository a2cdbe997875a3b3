// World physics over generated heightfields: one fixed step of 100 to 10,000
// spheres resting on and sliding over 20,000 and 200,000 triangles (the
// counter "stepShare" is the step's share of the 33.3 ms fixed step); one
// sphere sweep through the terrain's tree against sweeping every face; and
// the tile board's height query over 100 x 100 tiles against a linear walk
// over the tiles.

#include "core/FileTable.h"
#include "core/Geometry.h"
#include "core/LogError.h"
#include "core/SphereSweep.h"
#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/TileTerrainCollision.h"
#include "game/World.h"
#include "game/WorldPhysics.h"
#include "tools/formats/TerrainWriter.h"

#include <benchmark/benchmark.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
constexpr float kFixedStep = 0.03333f;
constexpr float kCell = 2.0f;

std::string g_root;

std::string MakeRoot()
{
    char folder[] = "/tmp/bench_entities_XXXXXX";
    if (!mkdtemp(folder))
        return "";
    const std::string root = std::string(folder) + "/";
    mkdir((root + "data").c_str(), 0755);
    return root;
}

float Rolling(float x, float z)
{
    return 3.0f * std::sin(x * 0.05f) * std::cos(z * 0.07f);
}

// cells x cells quads, two triangles each, written once and loaded as the
// world's terrain.
void UseTerrain(int cells)
{
    static int loaded = 0;
    if (loaded == cells)
        return;
    const std::string name = "field" + std::to_string(cells) + ".chterrain";
    const std::vector<uint8_t> bytes =
        TerrainFileWrite(TerrainFileBuild(TerrainHeightfield(cells, cells, kCell, Rolling), 8));
    std::ofstream(g_root + "data/" + name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    FileTableMountDataTree(g_root.c_str());
    TerrainCreate(name.c_str(), "");
    loaded = cells;
}

// Spheres spread over the field, each pushed sideways so it slides.
std::vector<std::unique_ptr<Entity>> PlaceSpheres(int count, int cells)
{
    std::vector<std::unique_ptr<Entity>> spheres;
    const int side = int(std::ceil(std::sqrt(double(count))));
    const float extent = 0.9f * float(cells) * kCell;
    for (int i = 0; i < count; ++i)
    {
        auto sphere = std::make_unique<Entity>();
        const float x = -0.5f * extent + extent * float(i % side) / float(side);
        const float z = -0.5f * extent + extent * float(i / side) / float(side);
        sphere->SetPosition(Vec3(x, Rolling(x, z) + 1.5f, z));
        sphere->SetRadius(1.0f);
        EntityRegistryAdd(sphere.get());
        spheres.push_back(std::move(sphere));
    }
    return spheres;
}

void WorldStep(benchmark::State& state)
{
    const int count = int(state.range(0));
    const int cells = int(state.range(1));
    UseTerrain(cells);
    SetGravity(9.8f);
    std::vector<std::unique_ptr<Entity>> spheres = PlaceSpheres(count, cells);
    // Sideways pushes that turn every 60 steps keep the spheres sliding to
    // and fro over the field instead of leaving it.
    int step = 0;
    for (auto _ : state)
    {
        const float way = (step++ / 60) % 2 ? -3.0f : 3.0f;
        for (auto& sphere : spheres)
        {
            sphere->m__velocity.x = way;
            sphere->m__velocity.z = 0.3f * way;
        }
        WorldStepEntities(kFixedStep);
    }
    spheres.clear();
    state.counters["triangles"] = double(2 * cells * cells);
    state.counters["perSphere_us"] =
        benchmark::Counter(double(count) * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                     benchmark::Counter::kInvert);
    state.counters["stepShare"] = benchmark::Counter(double(kFixedStep),
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
}

void SweepThroughTree(benchmark::State& state)
{
    const int cells = int(state.range(0));
    UseTerrain(cells);
    const Terrain& terrain = *GetTerrain();
    float t = 0.0f;
    Vec3 n;
    uint32_t face = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(TerrainSweepSphere(terrain, Vec3(1.3f, 6.0f, 2.1f), 1.0f, Vec3(0.5f, -8.0f, 0.2f),
                                                    t, n, face));
}

void SweepEveryFace(benchmark::State& state)
{
    const int cells = int(state.range(0));
    UseTerrain(cells);
    const Terrain& terrain = *GetTerrain();
    const Vec4 sphere(1.3f, 6.0f, 2.1f, 1.0f);
    for (auto _ : state)
    {
        float best = FLT_MAX;
        for (uint32_t f = 0; f < terrain.m_data.faces.size(); ++f)
        {
            Vec3 corners[3];
            terrain.FaceCorners(f, corners);
            float d = 0.0f;
            if (SphereSweepTriangle(corners, terrain.m_data.faces[f].normal, sphere, Vec3(0.5f, -8.0f, 0.2f), &d,
                                    nullptr) &&
                d < best)
                best = d;
        }
        benchmark::DoNotOptimize(best);
    }
}

struct Board
{
    Terrain tile;
    TileTerrainCollision collision;
};

Board& TileBoard()
{
    static Board* board = nullptr;
    if (board)
        return *board;
    board = new Board;
    const std::vector<uint8_t> bytes = TerrainFileWrite(
        TerrainFileBuild(TerrainHeightfield(4, 4, 2.5f, [](float x, float z) { return 0.1f * (x + z); }), 4));
    TerrainParse(bytes.data(), bytes.size(), "tile", board->tile.m_data);
    for (int c = 0; c < 100; ++c)
        for (int r = 0; r < 100; ++r)
        {
            Mat4 m = Mat4Identity();
            Mat4SetTranslation(m, Vec3(float(c) * 10.0f, 0.0f, float(r) * 10.0f));
            board->collision.AddInstance(&board->tile, m, true);
        }
    board->collision.Build();
    return *board;
}

void TileHeightThroughTree(benchmark::State& state)
{
    Board& board = TileBoard();
    TerrainHeightHit hits[kTerrainHeightHits];
    for (auto _ : state)
        benchmark::DoNotOptimize(board.collision.HeightHits(Vec3(503.0f, 20.0f, 707.0f), hits));
}

// Every tile asked in turn, the highest first hit kept.
void TileHeightLinearWalk(benchmark::State& state)
{
    Board& board = TileBoard();
    TerrainHeightHit hits[kTerrainHeightHits];
    const Vec3 point(503.0f, 20.0f, 707.0f);
    for (auto _ : state)
    {
        float highest = -1e9f;
        for (size_t i = 0; i < board.collision.InstanceCount(); ++i)
        {
            const TileCollisionInstance& instance = board.collision.Instance(i);
            if (TerrainHeightHits(*instance.terrain, Mat4TransformPoint(instance.inverse, point), hits) &&
                hits[0].height > highest)
                highest = hits[0].height;
        }
        benchmark::DoNotOptimize(highest);
    }
}
} // namespace

BENCHMARK(WorldStep)
    ->ArgsProduct({{100, 1000, 10000}, {100, 317}})
    ->ArgNames({"spheres", "cells"})
    ->Iterations(60)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SweepThroughTree)->Arg(100)->Arg(317)->ArgName("cells");
BENCHMARK(SweepEveryFace)->Arg(100)->Arg(317)->ArgName("cells")->Unit(benchmark::kMicrosecond);
BENCHMARK(TileHeightThroughTree);
BENCHMARK(TileHeightLinearWalk)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    SetLogErrorHandler(nullptr);
    g_root = MakeRoot();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
