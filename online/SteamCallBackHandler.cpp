#include "online/SteamCallBackHandler.h"

#include "online/MatchingService.h"

#include <memory>

SteamCallBackHandler::SteamCallBackHandler()
    : m_chatUpdate(this, &SteamCallBackHandler::OnLobbyChatUpdate),
      m_joinRequested(this, &SteamCallBackHandler::OnJoinRequested)
{
}

void SteamCallBackHandler::ArmLobbyCreated(SteamAPICall_t call)
{
    m_lobbyCreated.Set(call, this, &SteamCallBackHandler::OnLobbyCreated);
}

void SteamCallBackHandler::ArmLobbyList(SteamAPICall_t call)
{
    m_lobbyList.Set(call, this, &SteamCallBackHandler::OnLobbyList);
}

void SteamCallBackHandler::ArmLobbyEnter(SteamAPICall_t call)
{
    m_lobbyEnter.Set(call, this, &SteamCallBackHandler::OnLobbyEnter);
}

bool SteamCallBackHandler::TakeMembersChanged()
{
    const bool changed = m_membersChanged;
    m_membersChanged = false;
    return changed;
}

void SteamCallBackHandler::OnLobbyCreated(LobbyCreated_t* created, bool ioFailure)
{
    GetMatchingService().OnLobbyCreated(!ioFailure && created->m_eResult == k_EResultOK, created->m_ulSteamIDLobby);
}

void SteamCallBackHandler::OnLobbyList(LobbyMatchList_t* list, bool ioFailure)
{
    GetMatchingService().OnLobbyList(ioFailure, static_cast<int>(list->m_nLobbiesMatching));
}

void SteamCallBackHandler::OnLobbyEnter(LobbyEnter_t* entered, bool ioFailure)
{
    GetMatchingService().OnLobbyEntered(!ioFailure &&
                                        entered->m_EChatRoomEnterResponse == k_EChatRoomEnterResponseSuccess);
}

void SteamCallBackHandler::OnLobbyChatUpdate(LobbyChatUpdate_t*)
{
    m_membersChanged = true;
}

void SteamCallBackHandler::OnJoinRequested(GameLobbyJoinRequested_t* request)
{
    GetMatchingService().OnJoinRequested(request->m_steamIDLobby);
}

namespace
{
std::unique_ptr<SteamCallBackHandler> g_handler;
} // namespace

void SteamCallBackHandlerStart()
{
    if (!g_handler)
        g_handler = std::make_unique<SteamCallBackHandler>();
}

void SteamCallBackHandlerStop()
{
    g_handler.reset();
}

SteamCallBackHandler* GetSteamCallBackHandler()
{
    return g_handler.get();
}
