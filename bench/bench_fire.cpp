// Fire areas on a square lattice of cells one unit apart, with a radius that
// takes in the eight surrounding cells: the update with every cell burning
// (time per burning cell and per neighbour entry, as counters), and the
// finalisation that builds the neighbour lists over all pairs.

#include "game/FireGroup.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{
FireProperties LatticeProperties()
{
    FireProperties p;
    p.m_initialTemperature = 100.0f;
    p.m_ignitionTemperature = 100.0f;
    p.m_initialfuelamount = 1.0e9f;
    p.m_AffectRadius = 1.5f;
    p.m_BurnIntensityVsTempInterpD.AddKey(0.0f, 0.0f);
    p.m_BurnIntensityVsTempInterpD.AddKey(1000.0f, 1.0f);
    p.m_FuelRateVsTempInterpD.AddKey(0.0f, 1.0f);
    p.m_RadianceEnergyVsIntensityInterpD.AddKey(0.0f, 0.0f);
    p.m_RadianceEnergyVsIntensityInterpD.AddKey(1.0f, 0.001f);
    p.m_TempDeltaVsDistanceInterpD.AddKey(0.0f, 1.0f);
    p.m_TempDeltaVsDistanceInterpD.AddKey(2.0f, 0.0f);
    p.m_HeatLossVsTempInterpD.AddKey(0.0f, 1.0f);
    p.m_SmolderVsTempInterpD.AddKey(0.0f, 1.0f);
    return p;
}

// Row by row on a square; edge cells have fewer than eight neighbours, so
// the per-neighbour counter divides by the real number of entries.
void BuildLattice(FireGroup& group, int cells)
{
    const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(cells))));
    group.NextProperties() = LatticeProperties();
    for (int i = 0; i < cells; ++i)
        group.AddCell(Vec3(static_cast<float>(i % side), 0.0f, static_cast<float>(i / side)));
}

size_t NeighbourEntries(const FireGroup& group)
{
    size_t entries = 0;
    for (size_t i = 0; i < group.CellCount(); ++i)
        entries += group.Cell(i).neighbours.size();
    return entries;
}

void BM_FireUpdateAllBurning(benchmark::State& state)
{
    FireGroup group;
    BuildLattice(group, static_cast<int>(state.range(0)));
    group.Finalise();
    const double cells = static_cast<double>(group.CellCount());
    const double entries = static_cast<double>(NeighbourEntries(group));
    for (auto _ : state)
    {
        group.Update(1.0f / 30.0f);
        benchmark::DoNotOptimize(group.Burning().data());
    }
    if (group.Burning().size() != group.CellCount())
        state.SkipWithError("not every cell burned");
    state.counters["ns_per_cell"] =
        benchmark::Counter(cells, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["ns_per_neighbour"] =
        benchmark::Counter(entries, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["neighbours_per_cell"] = entries / cells;
}
BENCHMARK(BM_FireUpdateAllBurning)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_FireFinalise(benchmark::State& state)
{
    FireGroup group;
    BuildLattice(group, static_cast<int>(state.range(0)));
    for (auto _ : state)
    {
        group.Finalise();
        benchmark::DoNotOptimize(group.Cell(0).neighbours.data());
    }
    state.counters["ns_per_cell"] = benchmark::Counter(static_cast<double>(group.CellCount()),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_FireFinalise)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
