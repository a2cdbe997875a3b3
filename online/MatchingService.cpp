#include "online/MatchingService.h"

#include "core/Hash.h"

MatchingService::MatchingService() : m_netVersionValue(static_cast<int32_t>(HashString(kNetVersion))) {}

void MatchingService::LeaveGame()
{
    // Leaving the lobby itself comes with the lobby service.
    m_inLobby = 0;
    m_createState = 0;
    m_joinState = 0;
    m_foundCount = 0;
    m_gameType = 0;
}

MatchingService& GetMatchingService()
{
    static MatchingService service;
    return service;
}
