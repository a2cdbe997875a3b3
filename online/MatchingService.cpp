#include "online/MatchingService.h"

#include "core/Hash.h"
#include "core/LogError.h"
#include "core/Scalar.h"
#include "online/Connection.h"
#include "online/ConnectionMaker.h"
#include "online/ConnectionManager.h"
#include "online/NetScriptCalls.h"
#include "online/PeerTable.h"
#include "online/PlatformServices.h"
#include "online/SteamCallBackHandler.h"
#include "online/storefront/SteamMatchmaking.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{
int32_t HashOfUser(uint64_t user)
{
    return static_cast<int32_t>(HashBytes(&user, static_cast<int>(sizeof user)));
}

void CopyName(char (&destination)[MatchingService::kNameBytes], const char* name)
{
    snprintf(destination, sizeof destination, "%s", name ? name : "");
}

std::vector<uint64_t> LobbyMembers(uint64_t lobby)
{
    std::vector<uint64_t> members;
    const int count = SteamMatchmaking()->GetNumLobbyMembers(lobby);
    for (int i = 0; i < count; ++i)
        if (const uint64_t member = SteamMatchmaking()->GetLobbyMemberByIndex(lobby, i))
            members.push_back(member);
    return members;
}
} // namespace

MatchingService::MatchingService() : m_netVersionValue(static_cast<int32_t>(HashString(kNetVersion))) {}

void MatchingService::SetCurrentLobby(uint64_t lobby)
{
    if (GetConnectionMaker().IsParent())
        m_ownLobby = lobby;
    else
        m_joinedLobby = lobby;
    m_currentLobby = lobby;
    m_inLobby = 1;
}

void MatchingService::MakeMyGame()
{
    m_createState = kCreateRunning;
    if (SteamCallBackHandler* handler = GetSteamCallBackHandler())
        handler->ArmLobbyCreated(SteamMatchmaking()->CreateLobby(k_ELobbyTypePublic, 4));
    else
        m_createState = kCreateFailed;
}

void MatchingService::AskForGames(int gameType)
{
    if (m_joinState == kJoinListing)
        return;
    SteamCallBackHandler* handler = GetSteamCallBackHandler();
    m_joinState = kJoinListing;
    if (!handler)
    {
        OnLobbyList(true, 0);
        return;
    }
    SteamMatchmaking()->AddRequestLobbyListStringFilter("netversion", kNetVersion, k_ELobbyComparisonEqual);
    if (gameType != -1)
    {
        char text[16];
        snprintf(text, sizeof text, "%d", gameType);
        SteamMatchmaking()->AddRequestLobbyListStringFilter("gametype", text, k_ELobbyComparisonEqual);
    }
    handler->ArmLobbyList(SteamMatchmaking()->RequestLobbyList());
}

void MatchingService::StartJoin(uint64_t lobby)
{
    m_joinState = kJoinEntering;
    SetCurrentLobby(lobby);
    SteamCallBackHandler* handler = GetSteamCallBackHandler();
    if (lobby == 0 || !handler)
    {
        // Nothing to enter: the join fails as a refused entry would.
        m_joinState = kJoinFailed;
        m_inLobby = 0;
        m_currentLobby = 0;
        return;
    }
    handler->ArmLobbyEnter(SteamMatchmaking()->JoinLobby(lobby));
}

void MatchingService::JoinNthGame(int n)
{
    StartJoin(FoundLobby(n));
}

void MatchingService::JoinGameFromInvite()
{
    m_inviteState = kInviteJoining;
    StartJoin(m_invitedLobby);
}

void MatchingService::LeaveGame()
{
    if (m_inLobby)
    {
        SteamMatchmaking()->LeaveLobby(m_currentLobby);
        m_inLobby = 0;
    }
    m_currentLobby = 0;
    m_ownLobby = 0;
    m_joinedLobby = 0;
    m_createState = kCreateNone;
    m_joinState = kJoinIdle;
    m_foundCount = 0;
    m_gameType = 0;
}

void MatchingService::RemoveMyGame()
{
    SteamMatchmaking()->LeaveLobby(m_currentLobby);
    m_inLobby = 0;
}

void MatchingService::SetGameType(int gameType)
{
    m_gameType = gameType;
    char text[16];
    snprintf(text, sizeof text, "%d", gameType);
    SteamMatchmaking()->SetLobbyData(m_currentLobby, "gametype", text);
}

void MatchingService::SetPrivateGame(bool isPrivate)
{
    SteamMatchmaking()->SetLobbyType(m_currentLobby, isPrivate ? k_ELobbyTypeFriendsOnly : k_ELobbyTypePublic);
}

void MatchingService::SetMaxSlots(int count)
{
    if (GetConnectionMaker().IsParent())
        SteamMatchmaking()->SetLobbyMemberLimit(m_currentLobby, count);
}

void MatchingService::SetOpenSlots(int count)
{
    if (!GetConnectionMaker().IsParent())
        return;
    const int members = SteamMatchmaking()->GetNumLobbyMembers(m_currentLobby);
    // A script may pass any integer.
    SteamMatchmaking()->SetLobbyMemberLimit(m_currentLobby, SaturatingAdd(members > 0 ? members : 1, count));
}

void MatchingService::OnGameStart()
{
    SteamMatchmaking()->SetLobbyJoinable(m_currentLobby, false);
}

void MatchingService::AfterGameReopen()
{
    SteamMatchmaking()->SetLobbyJoinable(m_currentLobby, true);
}

void MatchingService::SetPendingInvite(uint64_t lobby)
{
    if (m_inviteState != kInviteNone)
        return;
    m_inviteState = kInvitePending;
    m_invitedLobby = lobby;
}

bool MatchingService::HasJoinedGame() const
{
    return GetConnectionMaker().GetMyNetID() != -1;
}

const char* MatchingService::GetMyName() const
{
    return SteamFriends()->GetPersonaName();
}

const char* MatchingService::GetNameFromNetID(int netId) const
{
    const ConnectionMaker& maker = GetConnectionMaker();
    if (netId == maker.GetMyNetID() && netId != -1)
        return GetMyName();
    const Connection* connection = netId == -1 ? nullptr : maker.FindNodeByNetID(netId);
    return connection ? SteamFriends()->GetFriendPersonaName(connection->Peer()) : "";
}

void MatchingService::UpdateFriendInfo()
{
    int count = SteamFriends()->GetFriendCount(k_EFriendFlagAll);
    count = count < 0 ? 0 : (count > kMaxFriends ? kMaxFriends : count);
    m_friendCount = 0;
    for (int i = 0; i < count; ++i)
    {
        Friend& record = m_friends[m_friendCount++];
        record.id = SteamFriends()->GetFriendByIndex(i, k_EFriendFlagAll);
        CopyName(record.name, SteamFriends()->GetFriendPersonaName(record.id));
    }
    m_friendsUpdated = 1;
}

const char* MatchingService::GetFriendName(int n) const
{
    return n >= 0 && n < m_friendCount ? m_friends[n].name : "";
}

void MatchingService::SendInvitationToFriend(int n)
{
    if (n >= 0 && n < m_friendCount)
        SteamMatchmaking()->InviteUserToLobby(m_currentLobby, m_friends[n].id);
}

void MatchingService::BringUpInviteDialog()
{
    SteamFriends()->ActivateGameOverlayInviteDialog(m_currentLobby);
}

void MatchingService::SetBootableInviteCallbacks(const char* canJoin, const char* join)
{
    CopyName(m_canJoinCallback, canJoin);
    CopyName(m_joinCallback, join);
}

void MatchingService::SetStartOverErrorCallback(const char* name)
{
    CopyName(m_startOverCallback, name);
}

uint64_t MatchingService::FoundLobby(int n) const
{
    return n >= 0 && n < m_foundCount ? m_foundLobbies[n] : 0;
}

void MatchingService::WriteLobbyKeys()
{
    ISteamMatchmaking* lobbies = SteamMatchmaking();
    char text[32];
    lobbies->SetLobbyData(m_currentLobby, "name", GetMyName());
    snprintf(text, sizeof text, "%d", m_gameType);
    lobbies->SetLobbyData(m_currentLobby, "gametype", text);
    snprintf(text, sizeof text, "%d", HashOfUser(SteamUser()->GetSteamID()));
    lobbies->SetLobbyData(m_currentLobby, "parentaddress", text);
    // Searches match on the net version, so it goes last: a client that
    // finds the lobby finds the host's address in it too.
    lobbies->SetLobbyData(m_currentLobby, "netversion", kNetVersion);
}

void MatchingService::OnLobbyCreated(bool success, uint64_t lobby)
{
    if (!success)
    {
        m_createState = kCreateFailed;
        return;
    }
    SetCurrentLobby(lobby);
    WriteLobbyKeys();
    m_createState = kCreateDone;
}

void MatchingService::OnLobbyList(bool failure, int count)
{
    m_foundCount = 0;
    // A failed list ends the search, so that another one can start.
    if (failure || count <= 0)
    {
        m_joinState = kJoinNoneFound;
        return;
    }
    m_foundCount = count < kMaxFoundLobbies ? count : kMaxFoundLobbies;
    for (int i = 0; i < m_foundCount; ++i)
        m_foundLobbies[i] = SteamMatchmaking()->GetLobbyByIndex(i);
    m_joinState = kJoinListed;
}

void MatchingService::OnLobbyEntered(bool success)
{
    m_joinState = success ? kJoinEntered : kJoinFailed;
}

void MatchingService::OnJoinRequested(uint64_t lobby)
{
    if (m_inviteState != kInviteNone && m_inviteState != kInviteJoining)
        return;
    m_startOverNeeded = m_inLobby != 0;
    m_inviteState = kInvitePending;
    m_invitedLobby = lobby;
}

void MatchingService::OfferInvitation()
{
    m_inviteState = kInviteOffered;
    // An invitation that came while this side was in a lobby first starts the game over.
    if (m_startOverNeeded && m_startOverCallback[0])
        NetCallScript(m_startOverCallback);
    m_startOverNeeded = false;
    const bool canJoin = m_canJoinCallback[0] && NetAskScript(m_canJoinCallback);
    if (canJoin && m_joinCallback[0])
        NetCallScript(m_joinCallback);
    else if (!canJoin)
        m_inviteState = kInviteNone;
}

bool MatchingService::IsLobbyMember(uint64_t user) const
{
    if (!m_inLobby || user == 0 || user == SteamUser()->GetSteamID())
        return false;
    const std::vector<uint64_t> members = LobbyMembers(m_currentLobby);
    return std::find(members.begin(), members.end(), user) != members.end();
}

void MatchingService::ConnectMembers()
{
    const uint64_t me = SteamUser()->GetSteamID();
    const std::vector<uint64_t> members = LobbyMembers(m_currentLobby);
    ConnectionMaker& maker = GetConnectionMaker();
    // A member that left before it joined the game takes its connection along.
    maker.DropPendingConnectionsExcept(members);
    for (uint64_t member : members)
    {
        if (member == me)
            continue;
        GetPeerTable().FindOrAdd(member);
        if (!GetConnectionManager().Find(member))
            maker.AddPendingConnection(member);
    }
}

void MatchingService::FindHost()
{
    m_joinState = kJoinRequested;
    const char* address = SteamMatchmaking()->GetLobbyData(m_currentLobby, "parentaddress");
    if (address[0])
    {
        const int32_t wanted = atoi(address);
        for (uint64_t member : LobbyMembers(m_currentLobby))
            if (HashOfUser(member) == wanted)
            {
                GetConnectionMaker().RequestJoin(member);
                return;
            }
    }
    m_joinState = kJoinFailed;
    if (m_inLobby)
    {
        SteamMatchmaking()->LeaveLobby(m_currentLobby);
        m_inLobby = 0;
    }
}

void MatchingService::Update()
{
    if (!PlatformIsUp())
        return;
    if (m_inviteState == kInvitePending)
        OfferInvitation();
    SteamCallBackHandler* handler = GetSteamCallBackHandler();
    if (handler && handler->TakeMembersChanged())
        ConnectMembers();
    if (GetConnectionMaker().IsParent())
    {
        if (m_createState == kCreateFailed)
        {
            EmptyFunction("Error Networking failed to create lobby! \n");
            LeaveGame();
            NetCallScript("MatchingServerFailedToCreateLobby");
        }
        return;
    }
    if (m_joinState == kJoinEntered)
        FindHost();
    if (m_joinState == kJoinFailed)
    {
        m_joinState = kJoinIdle;
        NetCallScript("FailedJoiningGame");
    }
}

MatchingService& GetMatchingService()
{
    static MatchingService service;
    return service;
}
