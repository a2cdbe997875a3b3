// The effect elements that drive other systems: light elements stepping
// their point lights (against the same curves written straight into a flat
// array of lights), and spawn elements placing the children they follow.
#include "core/GameTimer.h"
#include "core/Hash.h"
#include "core/Interp.h"
#include "cross/LightManager.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXElementPool.h"
#include "fx/FXSceneKinds.h"
#include "fx/FxAnchorTable.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

FXEffectDef& AddEffect(const char* name)
{
    FXDefinitionTables& tables = FXGetDefinitionTables();
    FXEffectDef& effect = tables.effects[tables.effectCount++];
    effect = FXEffectDef();
    effect.nameHash = HashString(name);
    effect.firstElement = tables.elementCount;
    effect.lodHighDistance = 1000;
    effect.lodLowDistance = 2000;
    effect.fadeInDistance = 3000;
    effect.fadeOutDistance = 4000;
    effect.updateWhenFaded = 1;
    return effect;
}

FXElementDef& AddElement(FXEffectDef& effect, int32_t type)
{
    FXDefinitionTables& tables = FXGetDefinitionTables();
    FXElementDef& element = tables.elements[tables.elementCount++];
    element.Reset();
    element.type = type;
    element.lifeTime = 1e9f;
    ++effect.elementCount;
    return element;
}

// Two keys per curve, so every evaluation interpolates.
void Ramp(InterpDef& curve, float from, float to)
{
    curve.Clear();
    curve.AddKey(0.0f, from);
    curve.AddKey(1e6f, to);
}

void Start()
{
    FXClearDefinitions();
    FXInstallSceneKinds();
    FXSystemReset();
    GameTimeChannelsReset();
    LightManagerInstance().DeleteAll();
    Mat4 view = Mat4Identity();
    const FxAnchorPair pair{&view, nullptr};
    FxAnchorTable_Update(&pair, 1, 0.0f);
}

void Finish()
{
    FXSystemShutdown();
    LightManagerInstance().DeleteAll();
}

void MakeLamps(int count)
{
    FXElementDef& light = AddElement(AddEffect("lamp"), kFXLight);
    for (int i = 0; i < kFXLightCurves; ++i)
        Ramp(light.lightCurves[i], float(i), float(i + 1));
    for (int i = 0; i < count; ++i)
    {
        FX handle;
        FX::CreateFX(HashString("lamp"), handle);
        handle.SetPos(Vec3(float(i), 0.0f, 0.0f));
    }
}

void BM_LightElementsStep(benchmark::State& state)
{
    Start();
    MakeLamps(int(state.range(0)));
    FXStep(kStep);
    for (auto _ : state)
        FXStep(kStep);
    state.counters["ns/light"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
    Finish();
}
BENCHMARK(BM_LightElementsStep)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same curves read and the same values written, straight into an array.
void BM_LightsFlat(benchmark::State& state)
{
    const int count = int(state.range(0));
    InterpDef defs[kFXLightCurves];
    for (int i = 0; i < kFXLightCurves; ++i)
        Ramp(defs[i], float(i), float(i + 1));
    std::vector<Interp> cursors(size_t(count) * kFXLightCurves);
    for (size_t i = 0; i < cursors.size(); ++i)
        cursors[i].SetDef(&defs[i % kFXLightCurves]);
    std::vector<PointLight> lights(static_cast<size_t>(count));
    float age = 0.0f;
    for (auto _ : state)
    {
        age += kStep;
        for (int l = 0; l < count; ++l)
        {
            float values[kFXLightCurves];
            for (int c = 0; c < kFXLightCurves; ++c)
                values[c] = cursors[size_t(l) * kFXLightCurves + size_t(c)].GetVatT(age);
            PointLight& light = lights[size_t(l)];
            light.position[0] = float(l);
            for (int k = 0; k < 3; ++k)
            {
                light.first[k] = values[k];
                light.second[k] = values[3 + k];
            }
            light.radius = values[6];
            light.factor = values[7];
        }
        benchmark::DoNotOptimize(lights.data());
    }
    state.counters["ns/light"] = benchmark::Counter(
        double(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_LightsFlat)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// A full spawn pool, each element placing the one child it made.
void BM_SpawnElementsFollow(benchmark::State& state)
{
    Start();
    FXEffectDef& child = AddEffect("child");
    AddElement(child, kFXLight);
    FXElementDef& spawn = AddElement(AddEffect("parent"), kFXSpawn);
    spawn.spawnHash = HashString("child");
    spawn.spawnOnce = 1;
    const float ends[kFXSpawnCurves] = {0, 1, 2, 3, 0, 0, 1, 0, 1, 0, 2};
    for (int i = 0; i < kFXSpawnCurves; ++i)
        Ramp(spawn.spawnCurves[i], ends[i], ends[i] + 0.5f);
    for (int i = 0; i < 256; ++i)
    {
        FX handle;
        FX::CreateFX(HashString("parent"), handle);
    }
    FXStep(kStep);
    for (auto _ : state)
        FXStep(kStep);
    state.counters["instances"] = double(FXLiveInstanceCount());
    Finish();
}
BENCHMARK(BM_SpawnElementsFollow)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
