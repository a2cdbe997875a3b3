// Fire areas on a square lattice of cells one unit apart, with a radius that
// takes in the eight surrounding cells: the update with every cell burning
// (time per burning cell and per neighbour entry, as counters), and the
// finalisation that builds the neighbour lists, beside a plain uniform-grid
// build of the same lists.

#include "game/FireGroup.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <vector>

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
    group.SetNextProperties(LatticeProperties());
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
BENCHMARK(BM_FireFinalise)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// The anchor: the same neighbour lists (index and distance) from a plain
// uniform grid, buckets one radius wide filled by a counting sort, with no
// curve lookups and no sorting of each list.
void BM_PlainGridNeighbours(benchmark::State& state)
{
    FireGroup group;
    BuildLattice(group, static_cast<int>(state.range(0)));
    const size_t count = group.CellCount();
    const float radius = group.NextProperties().m_AffectRadius;
    std::vector<std::vector<FireNeighbour>> lists(count);
    for (auto _ : state)
    {
        float lo[2] = {1e30f, 1e30f}, hi[2] = {-1e30f, -1e30f};
        for (size_t i = 0; i < count; ++i)
        {
            const Vec3& p = group.Cell(i).position;
            lo[0] = std::min(lo[0], p.x), lo[1] = std::min(lo[1], p.z);
            hi[0] = std::max(hi[0], p.x), hi[1] = std::max(hi[1], p.z);
        }
        const int w = int((hi[0] - lo[0]) / radius) + 1, h = int((hi[1] - lo[1]) / radius) + 1;
        std::vector<uint32_t> starts(size_t(w * h) + 1, 0), bucketOf(count), cells(count);
        for (size_t i = 0; i < count; ++i)
        {
            const Vec3& p = group.Cell(i).position;
            bucketOf[i] = uint32_t(int((p.z - lo[1]) / radius) * w + int((p.x - lo[0]) / radius));
            ++starts[bucketOf[i] + 1];
        }
        for (size_t b = 1; b < starts.size(); ++b)
            starts[b] += starts[b - 1];
        std::vector<uint32_t> fill(starts.begin(), starts.end() - 1);
        for (size_t i = 0; i < count; ++i)
            cells[fill[bucketOf[i]]++] = uint32_t(i);
        for (size_t i = 0; i < count; ++i)
        {
            const Vec3& p = group.Cell(i).position;
            const int bx = int(bucketOf[i] % uint32_t(w)), bz = int(bucketOf[i] / uint32_t(w));
            lists[i].clear();
            for (int z = std::max(bz - 1, 0); z <= std::min(bz + 1, h - 1); ++z)
                for (int x = std::max(bx - 1, 0); x <= std::min(bx + 1, w - 1); ++x)
                    for (uint32_t c = starts[size_t(z * w + x)]; c < starts[size_t(z * w + x) + 1]; ++c)
                    {
                        const uint32_t other = cells[c];
                        const float d2 = Vec3LengthSquared(group.Cell(other).position - p);
                        if (other != i && d2 < radius * radius)
                            lists[i].push_back(FireNeighbour{other, std::sqrt(d2), 0.0f});
                    }
        }
        benchmark::DoNotOptimize(lists.data());
    }
    state.counters["ns_per_cell"] = benchmark::Counter(static_cast<double>(count),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}
BENCHMARK(BM_PlainGridNeighbours)->Arg(1000)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
