// The board's drop: one fixed step over every record of a falling board (a
// demo board of 64 tiles, a full 100 x 100 board), and a whole drop of the
// 8 x 8 board from set-up to rest.

#include "game/TileTerrainManager.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

// Records held in the air: no gravity, so each step moves and writes every one.
void DropStepWhileFalling(benchmark::State& state)
{
    const size_t count = size_t(state.range(0));
    std::vector<Mat4> matrices(count, Mat4Identity());
    TileTerrainManager manager;
    manager.SetUpForDropXZ(300.0f, 0.0f, 0.0f, 0.2f, 0.2f, 0.5f, 0.0f);
    for (Mat4& matrix : matrices)
        manager.AddDrop(matrix, nullptr);
    for (auto _ : state)
    {
        manager.Update(kStep);
        benchmark::DoNotOptimize(matrices.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(count));
}

// Set-up to the last landing: delays up to 1.5 s, a bounce, then rest.
void WholeDropOfTheDemoBoard(benchmark::State& state)
{
    std::vector<Mat4> matrices(64, Mat4Identity());
    int steps = 0;
    for (auto _ : state)
    {
        TileTerrainManager manager;
        manager.SetUpForDropXZ(300.0f, -500.0f, 1.5f, 0.35f, 0.35f, 0.35f, 0.0f);
        for (Mat4& matrix : matrices)
            manager.AddDrop(matrix, nullptr);
        steps = 0;
        while (!manager.done)
        {
            manager.Update(kStep);
            ++steps;
        }
    }
    state.counters["steps"] = steps;
}
} // namespace

BENCHMARK(DropStepWhileFalling)->Arg(64)->Arg(10000);
BENCHMARK(WholeDropOfTheDemoBoard);
BENCHMARK_MAIN();
