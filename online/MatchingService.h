#pragma once
// The lobby side of online play. For now it holds what the node layer needs:
// the net version every join request carries, and leaving the game.

#include <cstdint>

class MatchingService
{
public:
    MatchingService();

    int32_t NetVersionValue() const { return m_netVersionValue; }
    void LeaveGame();
    // Acts on what the platform's callbacks recorded; once per frame.
    void Update() {}

    bool IsInLobby() const { return m_inLobby != 0; }
    int CreateState() const { return m_createState; }
    int JoinState() const { return m_joinState; }

private:
    int32_t m_createState = 0;
    int32_t m_joinState = 0;
    uint8_t m_inLobby = 0;
    uint64_t m_ownLobby = 0;
    uint64_t m_joinedLobby = 0;
    int32_t m_foundCount = 0;
    int32_t m_gameType = 0;
    int32_t m_netVersionValue;
};

MatchingService& GetMatchingService();

// The version text the lobby publishes and a join request's value is made from.
constexpr const char* kNetVersion = "005";
