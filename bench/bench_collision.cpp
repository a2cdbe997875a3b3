// The collision step over 1000 and 4000 sphere objects scattered over a
// 1000 by 1000 field: on a grid of 20-unit cells with a counting callback,
// against a plain all-pairs loop running the same shape test (the hits must
// agree), and in 3D mode, which tests every pair twice.
#include "core/Hash.h"
#include "core/Random.h"
#include "game/Collision.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
constexpr float kField = 1000.0f;
constexpr float kCellSize = 20.0f;
constexpr float kRange = 10.0f;
constexpr float kStep = 1.0f / 30.0f;
const uint32_t kKind = HashString("pickup");

int g_hits = 0;

void CountHit(CollisionObject*, CollisionObject*, float, void*)
{
    ++g_hits;
}

// The objects' matrices stand for their owners too, one owner each.
struct Field
{
    std::unique_ptr<Mat4[]> matrices;

    Field(int count, bool grid)
    {
        if (grid)
            CollisionInitAsGrid(count, -kField / 2, -kField / 2, kField / 2, kField / 2, kCellSize);
        else
            CollisionInitIn3d(count);
        CollisionAddCallback(kKind, kKind, CountHit, nullptr, kRange, 0);
        RandSeed(12345);
        matrices.reset(new Mat4[size_t(count)]);
        for (int i = 0; i < count; ++i)
        {
            matrices[i] = Mat4Identity();
            const float x = kField * (float(Rand()) / float(kRandMax) - 0.5f);
            const float z = kField * (float(Rand()) / float(kRandMax) - 0.5f);
            Mat4SetTranslation(matrices[i], Vec3(x, 0.0f, z));
            CollisionSetSphere(CollisionCreateObject(&matrices[i], kKind, &matrices[i], -1, nullptr), 0.0f);
        }
    }
    ~Field() { CollisionShutdownTables(); }
};

int BruteForceHits(int count)
{
    int hits = 0;
    for (int i = 0; i < count; ++i)
        for (int j = i + 1; j < count; ++j)
            hits += CollisionShapesHit(*CollisionObjectAt(i), *CollisionObjectAt(j), kRange, false) ? 1 : 0;
    return hits;
}

// The grid meets each overlapping pair once, 3D mode twice.
void StepAndCheck(benchmark::State& state, bool grid)
{
    const int count = int(state.range(0));
    Field field(count, grid);
    const int expected = (grid ? 1 : 2) * BruteForceHits(count);
    for (auto _ : state)
    {
        g_hits = 0;
        CollisionStep(kStep);
    }
    if (g_hits != expected)
        state.SkipWithError("the step and the all-pairs loop found different hits");
    state.counters["hits"] = g_hits;
}

void BM_CollisionStepGrid(benchmark::State& state)
{
    StepAndCheck(state, true);
}
BENCHMARK(BM_CollisionStepGrid)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

void BM_CollisionBruteForce(benchmark::State& state)
{
    const int count = int(state.range(0));
    Field field(count, true);
    int hits = 0;
    for (auto _ : state)
    {
        hits = BruteForceHits(count);
        benchmark::DoNotOptimize(hits);
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_CollisionBruteForce)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);

void BM_CollisionStep3d(benchmark::State& state)
{
    StepAndCheck(state, false);
}
BENCHMARK(BM_CollisionStep3d)->Arg(1000)->Arg(4000)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
