#include "online/SteamHandler.h"

#include "online/Connection.h"
#include "online/ConnectionManager.h"

#include <memory>

SteamHandler::SteamHandler()
    : m_sessionRequest(this, &SteamHandler::OnSessionRequest),
      m_sessionConnectFail(this, &SteamHandler::OnSessionConnectFail)
{
}

void SteamHandler::OnSessionRequest(P2PSessionRequest_t* request)
{
    SteamNetworking()->AcceptP2PSessionWithUser(request->m_steamIDRemote);
}

void SteamHandler::OnSessionConnectFail(P2PSessionConnectFail_t* failure)
{
    if (m_failedCount < kMaxFailedPeers)
        m_failedPeers[m_failedCount++] = failure->m_steamIDRemote;
}

void SteamHandler::ProcessConnectFailures()
{
    for (int i = 0; i < m_failedCount; ++i)
        if (Connection* connection = GetConnectionManager().Find(m_failedPeers[i]))
            connection->Reset();
    m_failedCount = 0;
}

namespace
{
std::unique_ptr<SteamHandler> g_handler;
} // namespace

void SteamHandlerStart()
{
    if (!g_handler)
        g_handler = std::make_unique<SteamHandler>();
}

void SteamHandlerStop()
{
    g_handler.reset();
}

SteamHandler* GetSteamHandler()
{
    return g_handler.get();
}
