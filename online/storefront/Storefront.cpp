#include "online/storefront/Storefront.h"

#include "core/FixedString.h"
#include "core/LogError.h"
#include "core/StringUtil.h"
#include "online/storefront/SteamMatchmaking.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/StorefrontFiles.h"
#include "online/storefront/StorefrontLink.h"
#include "online/storefront/StorefrontServer.h"
#include "online/storefront/StorefrontUser.h"

#include <cstdlib>
#include <cstring>
#include <deque>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{
struct Registration
{
    CCallbackBase* receiver;
    int callbackId;
    uint64_t serial;
};

struct CallResultRegistration
{
    CCallbackBase* receiver;
    SteamAPICall_t call;
};

struct Pending
{
    int callbackId;
    SteamAPICall_t call; // k_uAPICallInvalid for a broadcast callback
    bool ioFailure;
    std::vector<uint8_t> data;
};

struct Storefront
{
    bool started = false;
    FixedString256 folder;
    std::vector<Registration> callbacks;
    std::vector<CallResultRegistration> callResults;
    std::deque<Pending> pending;
    SteamAPICall_t nextCall = 1;
    // Tells a registration from a later one of a receiver at the same address.
    uint64_t nextRegistration = 1;
};

Storefront g_storefront;

bool ChooseFolder(FixedString256& folder)
{
    if (const char* explicitFolder = getenv("PENDREL_PLATFORM_DIR"); explicitFolder && *explicitFolder)
    {
        folder.Set(explicitFolder);
        return true;
    }
    if (const char* state = getenv("XDG_STATE_HOME"); state && *state)
    {
        folder.Format("%s/pendrel/platform", state);
        return true;
    }
    if (const char* home = getenv("HOME"); home && *home)
    {
        folder.Format("%s/.local/state/pendrel/platform", home);
        return true;
    }
    return false;
}

bool IsStillRegistered(const Registration& registration)
{
    for (const Registration& current : g_storefront.callbacks)
        if (current.serial == registration.serial)
            return true;
    return false;
}

void Deliver(const Pending& item)
{
    void* data = const_cast<uint8_t*>(item.data.data());
    if (item.call == k_uAPICallInvalid)
    {
        // Copy first: a receiver may unregister itself or others while it
        // runs, and one that was removed (perhaps destroyed) is not run.
        const std::vector<Registration> receivers = g_storefront.callbacks;
        for (const Registration& registration : receivers)
            if (registration.callbackId == item.callbackId && IsStillRegistered(registration))
                registration.receiver->Run(data);
        return;
    }
    auto& results = g_storefront.callResults;
    for (size_t i = 0; i < results.size(); ++i)
    {
        if (results[i].call != item.call)
            continue;
        CCallbackBase* receiver = results[i].receiver;
        results.erase(results.begin() + static_cast<long>(i));
        receiver->Run(data, item.ioFailure, item.call);
        return;
    }
}
bool StartOnServer()
{
    if (!StorefrontServerOpen())
        return false;
    if (!StorefrontSignIn("") || !StorefrontLinkOpen())
    {
        StorefrontSignOut();
        StorefrontServerClose();
        return false;
    }
    g_storefront.started = true;
    return true;
}
} // namespace

bool SteamAPI_Init()
{
    if (g_storefront.started)
        return true;
    const char* mode = getenv("PENDREL_PLATFORM");
    if (mode && StringEquals(mode, "off"))
        return false;
    if (StorefrontWantsServer())
        return StartOnServer();
    FixedString256 folder;
    if (!ChooseFolder(folder) || !StorefrontMakeFolders(folder))
    {
        LogError("Pendrel Platform could not use its folder %s\n", folder.c_str());
        return false;
    }
    if (!StorefrontSignIn(folder) || !StorefrontLinkOpen())
    {
        StorefrontSignOut();
        return false;
    }
    g_storefront.folder = folder;
    g_storefront.started = true;
    return true;
}

void SteamAPI_Shutdown()
{
    StorefrontLinkClose();
    StorefrontLobbiesForget();
    StorefrontUserStatsForget();
    StorefrontSignOut();
    StorefrontServerClose();
    g_storefront = Storefront();
}

void SteamAPI_RunCallbacks()
{
    if (!g_storefront.started)
        return;
    StorefrontUserPump();
    StorefrontLinkPump();
    StorefrontLobbiesPump();
    // Only what was queued before this pump runs now; what the receivers
    // queue themselves waits for the next frame.
    size_t count = g_storefront.pending.size();
    while (count-- > 0 && !g_storefront.pending.empty())
    {
        Pending item = std::move(g_storefront.pending.front());
        g_storefront.pending.pop_front();
        Deliver(item);
    }
}

void SteamAPI_RegisterCallback(CCallbackBase* callback, int callbackId)
{
    if (!callback)
        return;
    callback->m_iCallback = callbackId;
    g_storefront.callbacks.push_back({callback, callbackId, g_storefront.nextRegistration++});
}

void SteamAPI_UnregisterCallback(CCallbackBase* callback)
{
    auto& callbacks = g_storefront.callbacks;
    for (size_t i = callbacks.size(); i-- > 0;)
        if (callbacks[i].receiver == callback)
            callbacks.erase(callbacks.begin() + static_cast<long>(i));
}

void SteamAPI_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    if (callback && call != k_uAPICallInvalid)
        g_storefront.callResults.push_back({callback, call});
}

void SteamAPI_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call)
{
    auto& results = g_storefront.callResults;
    for (size_t i = results.size(); i-- > 0;)
        if (results[i].receiver == callback && results[i].call == call)
            results.erase(results.begin() + static_cast<long>(i));
}

void StorefrontPostCallback(int callbackId, const void* data, int size)
{
    if (!g_storefront.started || size < 0)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    g_storefront.pending.push_back(
        {callbackId, k_uAPICallInvalid, false, std::vector<uint8_t>(bytes, bytes + size)});
}

SteamAPICall_t StorefrontNewCall()
{
    return g_storefront.started ? g_storefront.nextCall++ : k_uAPICallInvalid;
}

void StorefrontCompleteCall(SteamAPICall_t call, int callbackId, const void* data, int size, bool ioFailure)
{
    if (!g_storefront.started || call == k_uAPICallInvalid || size < 0)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    g_storefront.pending.push_back({callbackId, call, ioFailure, std::vector<uint8_t>(bytes, bytes + size)});
}

const char* StorefrontFolder()
{
    return g_storefront.folder;
}
