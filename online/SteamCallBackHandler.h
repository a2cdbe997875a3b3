#pragma once
// The platform's lobby callbacks and call results: each only records what
// came into the matching service (or the members-changed flag), which acts
// on it in its Update.

#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamMatchmaking.h"

class SteamCallBackHandler
{
public:
    SteamCallBackHandler();

    void ArmLobbyCreated(SteamAPICall_t call);
    void ArmLobbyList(SteamAPICall_t call);
    void ArmLobbyEnter(SteamAPICall_t call);
    // Reads and clears the flag.
    bool TakeMembersChanged();

private:
    void OnLobbyCreated(LobbyCreated_t* created, bool ioFailure);
    void OnLobbyList(LobbyMatchList_t* list, bool ioFailure);
    void OnLobbyEnter(LobbyEnter_t* entered, bool ioFailure);
    void OnLobbyChatUpdate(LobbyChatUpdate_t* update);
    void OnJoinRequested(GameLobbyJoinRequested_t* request);

    CCallResult<SteamCallBackHandler, LobbyCreated_t> m_lobbyCreated;
    CCallResult<SteamCallBackHandler, LobbyMatchList_t> m_lobbyList;
    CCallResult<SteamCallBackHandler, LobbyEnter_t> m_lobbyEnter;
    CCallback<SteamCallBackHandler, LobbyChatUpdate_t> m_chatUpdate;
    CCallback<SteamCallBackHandler, GameLobbyJoinRequested_t> m_joinRequested;
    bool m_membersChanged = false;
};

// Lives while the platform is up; null otherwise.
void SteamCallBackHandlerStart();
void SteamCallBackHandlerStop();
SteamCallBackHandler* GetSteamCallBackHandler();
