// The script host's hot paths: an engine call into a script function, bound
// member access through _get/_set, math values made by natives, native calls
// from scripts against script-to-script calls and the direct C++ call, and
// the small-block pool against the C heap.
#include "cross/CameraController.h"
#include "cross/CameraScriptAPI.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptArguments.h"
#include "script/ScriptHost.h"
#include "script/SmallBlockPool.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace
{
constexpr int kLoop = 1000;

// The work behind the global native of the call benchmarks, kept out of line
// so the direct call is a real call.
__attribute__((noinline)) float Scaled(float value)
{
    return value * 0.5f + 1.0f;
}

SQInteger ScaledNative(HSQUIRRELVM vm)
{
    float value = 0.0f;
    if (!ScriptArgFloat(vm, 2, value))
        return ScriptBadArgument(vm);
    return ScriptReturnFloat(vm, Scaled(value));
}

void RegisterMath(HSQUIRRELVM vm)
{
    RegisterMathScriptAPI(vm);
    RegisterRgba8888ScriptAPI(vm);
    RegisterCameraScriptAPI(vm);
    ScriptBindGlobalFunction(vm, "Scaled", ScaledNative, ".n");
}

struct ScriptSession
{
    explicit ScriptSession(const std::string& code)
    {
        ScriptInit(false, RegisterMath);
        Run(code);
    }
    ~ScriptSession() { ScriptShutdown(); }
    static void Run(const std::string& code)
    {
        ScriptRunString(ScriptGetVM(), code.c_str(), static_cast<SQInteger>(code.size()), "bench");
    }
};

void BM_EngineCallWithFloat(benchmark::State& state)
{
    ScriptSession session("steps <- 0; function GameStep(dt) { steps += 1; }");
    HSQUIRRELVM vm = ScriptGetVM();
    for (auto _ : state)
    {
        sq_pushfloat(vm, 0.03333f);
        benchmark::DoNotOptimize(ScriptCallFunction(vm, "GameStep", 1, false, false));
    }
}
BENCHMARK(BM_EngineCallWithFloat);

void RunLoop(benchmark::State& state, const char* setup, const char* body)
{
    ScriptSession session(std::string(setup) + " function Loop() { for (local i = 0; i < " +
                          std::to_string(kLoop) + "; i += 1) { " + body + " } }");
    HSQUIRRELVM vm = ScriptGetVM();
    for (auto _ : state)
        ScriptCallFunction(vm, "Loop", 0, false, false);
    state.SetItemsProcessed(state.iterations() * kLoop);
}

void BM_BoundMemberReadWrite(benchmark::State& state)
{
    RunLoop(state, "v <- Vec3(1, 2, 3);", "v.x = v.x + 1;");
}
BENCHMARK(BM_BoundMemberReadWrite);

void BM_ScriptFieldReadWrite(benchmark::State& state)
{
    RunLoop(state, "class P { x = 1.0; } v <- P();", "v.x = v.x + 1;");
}
BENCHMARK(BM_ScriptFieldReadWrite);

void BM_Vec3Add(benchmark::State& state)
{
    RunLoop(state, "a <- Vec3(1, 2, 3); b <- Vec3(4, 5, 6);", "local c = a + b;");
}
BENCHMARK(BM_Vec3Add);

void BM_MatrixMemberView(benchmark::State& state)
{
    RunLoop(state, "m <- Mat4();", "m.forward.y = i;");
}
BENCHMARK(BM_MatrixMemberView);

// One call per loop pass: the loop's own cost is in every figure alike, and
// BM_EmptyLoop measures it.
void BM_EmptyLoop(benchmark::State& state)
{
    RunLoop(state, "x <- 0.0;", "");
}
BENCHMARK(BM_EmptyLoop);

void BM_DirectCall(benchmark::State& state)
{
    float x = 0.0f;
    for (auto _ : state)
    {
        for (int i = 0; i < kLoop; ++i)
        {
            x = Scaled(static_cast<float>(i));
            benchmark::DoNotOptimize(x);
        }
    }
    state.SetItemsProcessed(state.iterations() * kLoop);
}
BENCHMARK(BM_DirectCall);

void BM_GlobalNativeCall(benchmark::State& state)
{
    RunLoop(state, "x <- 0.0;", "local y = Scaled(i);");
}
BENCHMARK(BM_GlobalNativeCall);

void BM_ScriptFunctionCall(benchmark::State& state)
{
    RunLoop(state, "function Twin(v) { return v * 0.5 + 1.0; }", "local y = Twin(i);");
}
BENCHMARK(BM_ScriptFunctionCall);

void BM_DirectMethodCall(benchmark::State& state)
{
    CameraController camera;
    for (auto _ : state)
    {
        for (int i = 0; i < kLoop; ++i)
        {
            camera.Pan(0.001f);
            benchmark::DoNotOptimize(camera);
        }
    }
    state.SetItemsProcessed(state.iterations() * kLoop);
}
BENCHMARK(BM_DirectMethodCall);

void BM_BoundMethodCall(benchmark::State& state)
{
    RunLoop(state, "cam <- CameraController();", "cam.Pan(0.001);");
}
BENCHMARK(BM_BoundMethodCall);

void BM_ScriptMethodCall(benchmark::State& state)
{
    RunLoop(state, "class Dolly { x = 0.0; function Pan(d) { x += d; } } cam <- Dolly();", "cam.Pan(0.001);");
}
BENCHMARK(BM_ScriptMethodCall);

void BM_SmallBlockAllocateFree(benchmark::State& state)
{
    SmallBlockPoolSwitchOn();
    for (auto _ : state)
    {
        void* block = SmallBlockAllocate(96);
        benchmark::DoNotOptimize(block);
        SmallBlockFree(block);
    }
}
BENCHMARK(BM_SmallBlockAllocateFree);

void BM_HeapAllocateFree(benchmark::State& state)
{
    for (auto _ : state)
    {
        void* block = malloc(96);
        benchmark::DoNotOptimize(block);
        free(block);
    }
}
BENCHMARK(BM_HeapAllocateFree);
} // namespace

BENCHMARK_MAIN();
