// The script world's hot paths: the instance table stepping 4000 instances
// against a script loop stepping the same, the ground-plane nearest search
// over them, and 1000 two-argument messages sent and run against 1000 calls
// by name.
#include "game/InstanceScriptAPI.h"
#include "game/InstanceTable.h"
#include "game/MessageManager.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstring>
#include <string>

namespace
{
constexpr int kInstances = 4000;
constexpr int kMessages = 1000;
const char kMarkerClass[] = "Marker";

// A native object with a position, as entities have.
struct Marker
{
    Vec3 position{0.0f, 0.0f, 0.0f};
};

SQInteger Marker_constructor(HSQUIRRELVM vm)
{
    Marker* marker = ScriptConstructInPlace<Marker>(vm);
    Vec3* position = nullptr;
    if (marker && ScriptCheckInstance(vm, 2, position))
        marker->position = *position;
    return 0;
}

const InstanceNativeKind kMarkerKind = {
    const_cast<char*>(kMarkerClass),
    [](const void* native, Vec3& out) {
        out = static_cast<const Marker*>(native)->position;
        return true;
    },
    nullptr,
    nullptr,
};

void RegisterWorld(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterMessageScriptAPI(vm);
    RegisterInstanceScriptAPI(vm);
    ScriptClassHandle marker;
    ScriptBindClass(marker, vm, kMarkerClass, sizeof(Marker), nullptr, Marker_constructor);
    InstanceTableAddNativeKind(kMarkerKind);
}

const char* const kWorldScript = R"(
class Mob extends Marker {
    t = 0.0;
    function Step(dt) { t += dt; }
}
mobs <- [];
for (local i = 0; i < 4000; ++i)
    mobs.append(InstanceCreate(Mob, Vec3(i % 64, 0, i / 64)));
function StepTable(dt) { InstanceStep(Mob, dt); }
function StepLoop(dt) { foreach (m in mobs) m.Step(dt); }
function Nearest(p) { return InstanceNearestXZ(Mob, p); }
hits <- 0;
function Hit(a, b) { hits += a; }
function SendAll() { for (local i = 0; i < 1000; ++i) SendFunctionMessage("Hit", 2, i, 1.5); }
)";

struct WorldSession
{
    WorldSession()
    {
        ScriptInit(false, RegisterWorld);
        ScriptRunString(ScriptGetVM(), kWorldScript, static_cast<SQInteger>(strlen(kWorldScript)), "bench");
        GetMessageManager().Bind(ScriptGetVM());
    }
    ~WorldSession()
    {
        MessageManagerClear();
        GetInstanceTable().Release(ScriptGetVM());
        ScriptShutdown();
    }
};

void CallWithFloat(const char* function, float value)
{
    sq_pushfloat(ScriptGetVM(), value);
    ScriptCallFunction(ScriptGetVM(), function, 1, false, false);
}

void BM_InstanceStep4000(benchmark::State& state)
{
    WorldSession session;
    for (auto _ : state)
        CallWithFloat("StepTable", 0.0333f);
    state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_InstanceStep4000)->Unit(benchmark::kMicrosecond);

void BM_ScriptLoopStep4000(benchmark::State& state)
{
    WorldSession session;
    for (auto _ : state)
        CallWithFloat("StepLoop", 0.0333f);
    state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_ScriptLoopStep4000)->Unit(benchmark::kMicrosecond);

void BM_InstanceNearestXZ4000(benchmark::State& state)
{
    WorldSession session;
    HSQUIRRELVM vm = ScriptGetVM();
    for (auto _ : state)
    {
        SQUserPointer area = nullptr;
        CreateScriptInstance(vm, "Vec3", &area);
        *static_cast<Vec3*>(area) = Vec3(31.5f, 0.0f, 30.5f);
        ScriptCallFunction(vm, "Nearest", 1, true, false);
        sq_pop(vm, 1);
    }
    state.SetItemsProcessed(state.iterations() * kInstances);
}
BENCHMARK(BM_InstanceNearestXZ4000)->Unit(benchmark::kMicrosecond);

void BM_Messages1000SentAndRun(benchmark::State& state)
{
    WorldSession session;
    for (auto _ : state)
    {
        ScriptCallFunction(ScriptGetVM(), "SendAll", 0, false, false);
        MessageManager_Update();
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_Messages1000SentAndRun)->Unit(benchmark::kMicrosecond);

void BM_Calls1000ByName(benchmark::State& state)
{
    WorldSession session;
    HSQUIRRELVM vm = ScriptGetVM();
    for (auto _ : state)
    {
        for (int i = 0; i < kMessages; ++i)
        {
            sq_pushinteger(vm, i);
            sq_pushfloat(vm, 1.5f);
            ScriptCallFunction(vm, "Hit", 2, false, false);
        }
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_Calls1000ByName)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
