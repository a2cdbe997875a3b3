// The entity registry: adding N entities and removing them all, in the order
// they were added and in a shuffled order (time per entity, as a counter),
// beside the same inserts and erases in a plain hash set of the pointers.
// Removal that costs the same per entity at 1,000 and 100,000 is not
// quadratic.

#include "game/EntityRegistry.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <unordered_set>
#include <vector>

namespace
{
// Stand-in pointers: the registry never looks inside an entity.
std::vector<Entity*> Pointers(size_t count, bool shuffled)
{
    static std::vector<char> bytes;
    bytes.resize(count);
    std::vector<Entity*> pointers(count);
    for (size_t i = 0; i < count; ++i)
        pointers[i] = reinterpret_cast<Entity*>(&bytes[i]);
    if (shuffled)
        std::shuffle(pointers.begin(), pointers.end(), std::mt19937(7));
    return pointers;
}

void PerEntity(benchmark::State& state)
{
    state.counters["ns_per_entity"] = benchmark::Counter(double(state.range(0)),
                                                         benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
}

void BM_RegistryAddRemoveAll(benchmark::State& state)
{
    const std::vector<Entity*> added = Pointers(size_t(state.range(0)), false);
    const std::vector<Entity*> removed = Pointers(size_t(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
    {
        EntityRegistry registry;
        for (Entity* entity : added)
            registry.Add(entity);
        for (Entity* entity : removed)
            registry.Remove(entity);
        benchmark::DoNotOptimize(registry.Count());
    }
    PerEntity(state);
}
BENCHMARK(BM_RegistryAddRemoveAll)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"entities", "shuffled"})
    ->Unit(benchmark::kMillisecond);

void BM_PlainHashSetAddRemoveAll(benchmark::State& state)
{
    const std::vector<Entity*> added = Pointers(size_t(state.range(0)), false);
    const std::vector<Entity*> removed = Pointers(size_t(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
    {
        std::unordered_set<Entity*> set;
        for (Entity* entity : added)
            set.insert(entity);
        for (Entity* entity : removed)
            set.erase(entity);
        benchmark::DoNotOptimize(set.size());
    }
    PerEntity(state);
}
BENCHMARK(BM_PlainHashSetAddRemoveAll)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"entities", "shuffled"})
    ->Unit(benchmark::kMillisecond);
} // namespace

BENCHMARK_MAIN();
