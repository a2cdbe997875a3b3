#include "online/PlatformServices.h"

#include "online/LeaderboardFacade.h"
#include "online/MatchingService.h"
#include "online/SteamAchievements.h"
#include "online/SteamCallBackHandler.h"
#include "online/SteamHandler.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/Storefront.h"
#include "script/UtilScriptAPI.h"

#include <cstdio>

namespace
{
bool g_platformUp = false;

// The script's user name is the persona name while the platform is up.
bool PersonaName(char* buffer, int size)
{
    if (!g_platformUp || size <= 0)
        return false;
    snprintf(buffer, static_cast<size_t>(size), "%s", SteamFriends()->GetPersonaName());
    return buffer[0] != 0;
}
} // namespace

bool PlatformInit()
{
    g_platformUp = SteamAPI_Init();
    ScriptSetPersonaNameHook(PersonaName);
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
