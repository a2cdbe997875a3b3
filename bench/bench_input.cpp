// The input layer's per-frame cost: handing the pump's events over and
// reading them into the key table and the event queue.

#include "platform/Input.h"
#include "platform/InputMap.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

namespace
{
SDL_Event KeyEventOf(SDL_Scancode scancode, bool down)
{
    SDL_Event event = {};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.keysym.scancode = scancode;
    event.key.keysym.sym = 'a';
    return event;
}

void BM_InputFrameWithKeyEvents(benchmark::State& state)
{
    InputInit();
    const int keys = static_cast<int>(state.range(0));
    SDL_Event motion = {};
    motion.type = SDL_MOUSEMOTION;
    int frame = 0;
    for (auto _ : state)
    {
        for (int i = 0; i < keys; ++i)
            InputHandleEvent(
                KeyEventOf(static_cast<SDL_Scancode>(SDL_SCANCODE_A + (i % 26)), (frame + i) % 2 == 0));
        motion.motion.x = frame++ % 640;
        InputHandleEvent(motion);
        InputUpdate();
        KeyEvent event;
        int popped = 0;
        while (InputPopKeyEvent(event))
            ++popped;
        benchmark::DoNotOptimize(popped);
    }
    InputShutdown();
    state.SetItemsProcessed(state.iterations() * (keys + 1));
}
BENCHMARK(BM_InputFrameWithKeyEvents)->Arg(0)->Arg(4)->Arg(32);

void BM_InputMapQueries(benchmark::State& state)
{
    InputInit();
    InputMap map;
    for (int i = 0; i < 64; ++i)
    {
        InputCommand command;
        command.type = i % 2 == 0 ? INPUT_COMMAND_TYPE_KEY : INPUT_COMMAND_TYPE_BUTTON;
        command.data = i;
        command.condition = INPUT_COMMAND_CONDITION_IS_NEWLY_DOWN;
        map.AddInputCommand(command);
    }
    for (auto _ : state)
    {
        int held = 0;
        for (int id = 0; id < map.GetCount(); ++id)
            held += map.GetIsInputCommandConditionExecuted(id) ? 1 : 0;
        benchmark::DoNotOptimize(held);
    }
    InputShutdown();
    state.SetItemsProcessed(state.iterations() * map.GetCount());
}
BENCHMARK(BM_InputMapQueries);
} // namespace

BENCHMARK_MAIN();
