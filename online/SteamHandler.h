#pragma once
// The platform's peer-session glue: every session a peer asks for is accepted
// at once, and peers whose datagrams could not be delivered are queued (at
// most 100 a frame) for ProcessConnectFailures to reset their connections.

#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamInterfaces.h"

#include <cstdint>

class SteamHandler
{
public:
    static constexpr int kMaxFailedPeers = 100;

    SteamHandler();

    void ProcessConnectFailures();
    int FailedPeerCount() const { return m_failedCount; }

private:
    void OnSessionRequest(P2PSessionRequest_t* request);
    void OnSessionConnectFail(P2PSessionConnectFail_t* failure);

    CCallback<SteamHandler, P2PSessionRequest_t> m_sessionRequest;
    CCallback<SteamHandler, P2PSessionConnectFail_t> m_sessionConnectFail;
    uint64_t m_failedPeers[kMaxFailedPeers];
    int m_failedCount = 0;
};

// The handler lives while the platform is up: made after the platform
// starts, gone before it stops. Null while the platform is down.
void SteamHandlerStart();
void SteamHandlerStop();
SteamHandler* GetSteamHandler();
