#pragma once
// The local storefront service that stands in for the platform SDK. Its state
// lives in one folder; every callback and call result it produces completes
// only inside SteamAPI_RunCallbacks, once per frame, as the SDK's do.

#include <cstdint>

using SteamAPICall_t = uint64_t;
constexpr SteamAPICall_t k_uAPICallInvalid = 0;

// The base of callback and call-result receivers.
class CCallbackBase
{
public:
    virtual ~CCallbackBase() = default;
    virtual void Run(void* parameter) = 0;
    virtual void Run(void* parameter, bool ioFailure, SteamAPICall_t call) = 0;
    virtual int GetCallbackSizeBytes() = 0;

    int m_iCallback = 0;
};

// Starts the service: true when its folder is usable and PENDREL_PLATFORM is
// not "off". The folder is PENDREL_PLATFORM_DIR, else below XDG_STATE_HOME
// (or ~/.local/state). When PENDREL_PLATFORM is a redis:// address the
// services live on that server instead, and start-up fails without it.
bool SteamAPI_Init();
void SteamAPI_Shutdown();
// Delivers every queued callback and call result.
void SteamAPI_RunCallbacks();

void SteamAPI_RegisterCallback(CCallbackBase* callback, int callbackId);
void SteamAPI_UnregisterCallback(CCallbackBase* callback);
void SteamAPI_RegisterCallResult(CCallbackBase* callback, SteamAPICall_t call);
void SteamAPI_UnregisterCallResult(CCallbackBase* callback, SteamAPICall_t call);

// The service's side: queue a callback for every receiver of its id, or the
// completion of an asynchronous call. The bytes are copied.
void StorefrontPostCallback(int callbackId, const void* data, int size);
SteamAPICall_t StorefrontNewCall();
void StorefrontCompleteCall(SteamAPICall_t call, int callbackId, const void* data, int size, bool ioFailure);

// The folder that holds the service's state; empty while it is not started.
const char* StorefrontFolder();
