#include "online/PlatformServices.h"

#include "online/storefront/Storefront.h"

namespace
{
bool g_platformUp = false;
}

bool PlatformInit()
{
    g_platformUp = SteamAPI_Init();
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
    if (g_platformUp)
        SteamAPI_Shutdown();
    g_platformUp = false;
}
