#include "game/TolvanFixedUpdate.h"

#include "core/Clock.h"
#include "core/GameTimer.h"
#include "core/pd_ofstream.h"
#include "cross/CameraBase.h"
#include "fx/FX.h"
#include "fx/FxAnchorTable.h"
#include "game/App.h"
#include "game/AppConsole.h"
#include "game/AppUI.h"
#include "game/AppOptions.h"
#include "game/AppScriptCalls.h"
#include "game/Collision.h"
#include "game/DebugKeys.h"
#include "game/EntityRegistry.h"
#include "game/MessageManager.h"
#include "game/StepTimes.h"
#include "game/TileTerrainManager.h"
#include "game/WorldPhysics.h"
#include "online/NetworkCommunicator.h"

#include <cstring>

TolvanFixedUpdate g_fixedUpdate;

namespace
{
uint32_t g_stepParity = 1;
bool g_pausedMirror = false;
bool g_inGame = false;

float MillisecondsBetween(uint64_t start, uint64_t end)
{
    return static_cast<float>(end - start) / 1000.0f;
}

template <typename Work> void TimedPhase(StepPhase phase, Work work)
{
    const uint64_t start = ClockNow();
    work();
    g_stepTimes.Record(phase, MillisecondsBetween(start, ClockNow()));
}

void WriteRule(pd_ofstream& log, char c)
{
    char line[81];
    memset(line, c, 80);
    line[80] = '\n';
    log.Write(line, sizeof line);
}

void WriteStepProfile()
{
    pd_ofstream* log = AppLogFile();
    if (!log)
        return;
    WriteRule(*log, '-');
    log->WriteLinesReversed(AppScriptProfileLog());
    log->Flush();
    WriteRule(*log, '^');
    // The closing rule is flushed too, so a reader of the log sees a whole block.
    log->Flush();
}

void RunUnpausedScriptPhase(float dt)
{
    const uint64_t t0 = ClockNow();
    g_stepParity = (g_stepParity == 1) ? 2 : 1;
    const uint64_t t1 = ClockNow();
    AppCallScriptFloat("GameStep", dt, GetStepLogRequest());
    AppUIStep();
    const uint64_t t2 = ClockNow();
    MessageManager_Update();
    const uint64_t t3 = ClockNow();
    g_stepTimes.Record(kStepPhaseScript, MillisecondsBetween(t0, t3));

    TimedPhase(kStepPhasePhysics, [dt] { WorldStepEntities(dt); });

    if (g_inGame && AppGetOptions().logStepTime)
        g_stepTimes.AddSample(t2 - t1);
}

// Effects measure their distance from the main camera's eye.
void StepEffects(float dt)
{
    const FxAnchorPair camera{&GetGlobalCamera().GetViewMatrix(), nullptr};
    FxAnchorTable_Update(&camera, 1, dt);
    FXStep(dt);
}

void RunWorldPhase(float dt)
{
    if (GetStepLogRequest())
        WriteStepProfile();

    TileTerrainStep(dt);

    TimedPhase(kStepPhaseCollision, [dt] { CollisionStep(dt); });
    TimedPhase(kStepPhaseEffects, [dt] { StepEffects(dt); });

    GameTimeChannelAdvance(0, dt);
}
} // namespace

// The paused flag is read where each phase begins: a script that pauses the
// game from GameStep stops that very step's world phase.
void TolvanFixedUpdate::Step(float dt)
{
    if (!IsPaused())
        EntitiesStep(dt);
    DebugKeyToggles();
    AppConsoleProcessInputIfVisible();
    MouseToFrontEnd();
    if (!IsPaused())
    {
        RunUnpausedScriptPhase(dt);
    }
    else
    {
        AppUIStep();
        AppCallScriptFloat("PausedStep", dt);
    }
    g_pausedMirror = IsPaused();
    NetworkStepSync(dt);
    if (!IsPaused())
        RunWorldPhase(dt);
}

uint32_t GetStepParity()
{
    return g_stepParity;
}
bool GetPausedMirror()
{
    return g_pausedMirror;
}
void SetInGameFlag(bool inGame)
{
    g_inGame = inGame;
}
bool GetInGameFlag()
{
    return g_inGame;
}
