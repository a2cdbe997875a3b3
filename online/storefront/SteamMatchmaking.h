#pragma once
// The storefront's lobbies, invitations and friends as the online layer
// reaches them. A lobby is the file lobbies/ID shared by the processes of the
// folder (on a server, a key of the same text); a member whose process has
// gone no longer counts. Every other user is every user's friend.

#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/Storefront.h"

#include <cstdint>

enum ELobbyType
{
    k_ELobbyTypePrivate = 0,
    k_ELobbyTypeFriendsOnly = 1,
    k_ELobbyTypePublic = 2,
};

enum ELobbyComparison
{
    k_ELobbyComparisonEqual = 0,
};

enum EChatRoomEnterResponse
{
    k_EChatRoomEnterResponseSuccess = 1,
    k_EChatRoomEnterResponseDoesntExist = 2,
    k_EChatRoomEnterResponseNotAllowed = 3,
    k_EChatRoomEnterResponseFull = 4,
};

enum EChatMemberStateChange
{
    k_EChatMemberStateChangeEntered = 1,
    k_EChatMemberStateChangeLeft = 2,
    k_EChatMemberStateChangeDisconnected = 4,
};

constexpr int k_EFriendFlagAll = 0xFFFF;

struct LobbyCreated_t
{
    static constexpr int k_iCallback = 513;
    int32_t m_eResult;
    uint64_t m_ulSteamIDLobby;
};

struct LobbyMatchList_t
{
    static constexpr int k_iCallback = 510;
    uint32_t m_nLobbiesMatching;
};

struct LobbyEnter_t
{
    static constexpr int k_iCallback = 504;
    uint64_t m_ulSteamIDLobby;
    uint32_t m_rgfChatPermissions;
    bool m_bLocked;
    uint32_t m_EChatRoomEnterResponse;
};

struct LobbyChatUpdate_t
{
    static constexpr int k_iCallback = 506;
    uint64_t m_ulSteamIDLobby;
    uint64_t m_ulSteamIDUserChanged;
    uint64_t m_ulSteamIDMakingChange;
    uint32_t m_rgfChatMemberStateChange;
};

struct GameLobbyJoinRequested_t
{
    static constexpr int k_iCallback = 333;
    CSteamID m_steamIDLobby;
    CSteamID m_steamIDFriend;
};

class ISteamMatchmaking
{
public:
    SteamAPICall_t CreateLobby(ELobbyType type, int maxMembers);
    void AddRequestLobbyListStringFilter(const char* key, const char* value, ELobbyComparison comparison);
    // Lists the public, joinable lobbies with room that match the filters
    // added since the last request (which are then forgotten).
    SteamAPICall_t RequestLobbyList();
    CSteamID GetLobbyByIndex(int index);
    SteamAPICall_t JoinLobby(CSteamID lobby);
    void LeaveLobby(CSteamID lobby);
    bool InviteUserToLobby(CSteamID lobby, CSteamID invitee);
    int GetNumLobbyMembers(CSteamID lobby);
    CSteamID GetLobbyMemberByIndex(CSteamID lobby, int index);
    CSteamID GetLobbyOwner(CSteamID lobby);
    // "" when the lobby or the key is missing.
    const char* GetLobbyData(CSteamID lobby, const char* key);
    bool SetLobbyData(CSteamID lobby, const char* key, const char* value);
    bool SetLobbyMemberLimit(CSteamID lobby, int limit);
    int GetLobbyMemberLimit(CSteamID lobby);
    bool SetLobbyType(CSteamID lobby, ELobbyType type);
    bool SetLobbyJoinable(CSteamID lobby, bool joinable);
};

ISteamMatchmaking* SteamMatchmaking();

// Re-reads the joined lobbies (at most ten times a second), posting
// LobbyChatUpdate_t for every member that came or went, and turns the user's
// invitations into accepted GameLobbyJoinRequested_t. Run by the pump.
void StorefrontLobbiesPump();
void StorefrontLobbiesForget();
