#include "online/PlatformServices.h"

#include "online/LeaderboardFacade.h"
#include "online/MatchingService.h"
#include "online/SteamAchievements.h"
#include "online/SteamCallBackHandler.h"
#include "online/SteamHandler.h"
#include "online/storefront/Storefront.h"

namespace
{
bool g_platformUp = false;
}

bool PlatformInit()
{
    g_platformUp = SteamAPI_Init();
    // The session glue listens from the start, as the platform's first frame may carry requests.
    if (g_platformUp)
    {
        SteamHandlerStart();
        SteamCallBackHandlerStart();
        SteamAchievementsStart();
    }
    return g_platformUp;
}

bool PlatformIsUp()
{
    return g_platformUp;
}

void PlatformRunCallbacks()
{
    if (g_platformUp)
        SteamAPI_RunCallbacks();
}

void PlatformShutdown()
{
    SteamLeaderboardsStop();
    SteamAchievementsStop();
    SteamCallBackHandlerStop();
    GetMatchingService().Clear();
    SteamHandlerStop();
    if (g_platformUp)
        SteamAPI_Shutdown();
    g_platformUp = false;
}
