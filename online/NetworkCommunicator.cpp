#include "online/NetworkCommunicator.h"

#include "online/ConnectionMaker.h"
#include "online/ConnectionManager.h"
#include "online/MatchingService.h"
#include "online/NetScriptCalls.h"
#include "online/SteamHandler.h"

namespace
{
bool g_initialised = false;
} // namespace

void NetworkCommunicator::Init()
{
    GetConnectionManager().SetListener(&GetConnectionMaker());
    g_initialised = true;
}

void NetworkCommunicator::Close()
{
    if (!g_initialised)
        return;
    // The peers hear the resets before the connections go.
    GetConnectionMaker().QuitGame();
    GetConnectionManager().DeleteAll();
    g_initialised = false;
}

bool NetworkCommunicator::IsInitialised()
{
    return g_initialised;
}

void NetworkFrame()
{
    if (SteamHandler* handler = GetSteamHandler())
        handler->ProcessConnectFailures();
    if (!g_initialised)
        return;
    GetConnectionManager().Update();
    GetMatchingService().Update();
}

void NetworkServiceLostConnection()
{
    if (g_initialised)
        GetConnectionMaker().ServiceLostConnection();
}

void NetworkStepSync(float dt)
{
    if (!g_initialised)
        return;
    ConnectionMaker& maker = GetConnectionMaker();
    maker.StepTick(dt);
    if (maker.IsStepReportDue())
        maker.SendStepReport();
    if (maker.IsStepReleased())
    {
        NetCallScriptFloat("InGameStepSync", maker.GetStepDelta());
        maker.ConsumeStep();
    }
}
