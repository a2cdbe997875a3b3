#pragma once
// The lobby side of online play: the host's lobby and its published keys, the
// client's search, join and the finding of the host among the members, lobby
// invitations, the friend table, and the lobby settings the script changes.
// The platform's callbacks only record (SteamCallBackHandler); Update acts
// on what they recorded, once per frame while networking is on.

#include <cstdint>

enum MatchingCreateState
{
    kCreateNone = 0,
    kCreateRunning = 1,
    kCreateDone = 2,
    kCreateFailed = 3,
};

enum MatchingJoinState
{
    kJoinIdle = 0,
    kJoinListing = 1,
    kJoinListed = 2,
    kJoinNoneFound = 3,
    kJoinEntering = 4,
    kJoinFailed = 5,
    kJoinEntered = 6,
    kJoinRequested = 7,
};

enum InviteState
{
    kInviteNone = 0,
    kInvitePending = 1,
    kInviteOffered = 2,
    kInviteJoining = 3,
};

class MatchingService
{
public:
    static constexpr int kMaxFoundLobbies = 10;
    static constexpr int kMaxFriends = 256;
    static constexpr int kNameBytes = 128;

    MatchingService();

    int32_t NetVersionValue() const { return m_netVersionValue; }

    void MakeMyGame();
    void AskForGames(int gameType);
    void JoinNthGame(int n);
    void JoinGameFromInvite();
    void LeaveGame();
    void RemoveMyGame();
    void SetGameType(int gameType);
    void SetPrivateGame(bool isPrivate);
    void SetMaxSlots(int count);
    void SetOpenSlots(int count);
    void OnGameStart();
    void AfterGameReopen();
    void SetPendingInvite(uint64_t lobby);

    bool IsMyGameCreated() const { return m_createState == kCreateDone; }
    int GetAvailableGameCount() const { return m_foundCount; }
    bool HasJoinedGame() const;
    int GetGameType() const { return m_gameType; }
    const char* GetMap() const { return "Unknown Map"; }
    const char* GetMyName() const;
    // "" for a net id no node has.
    const char* GetNameFromNetID(int netId) const;

    void UpdateFriendInfo();
    bool IsFriendInfoUpdated() const { return m_friendsUpdated != 0; }
    int GetFriendCount() const { return m_friendCount; }
    // "" for an index outside the table.
    const char* GetFriendName(int n) const;
    void SendInvitationToFriend(int n);
    void BringUpInviteDialog();

    // The script functions the invitation and start-over steps call by name.
    void SetBootableInviteCallbacks(const char* canJoin, const char* join);
    void SetStartOverErrorCallback(const char* name);

    // Back to the state of a new process, as when the platform stops.
    void Clear() { *this = MatchingService(); }

    // Acts on what the platform's callbacks recorded; once per frame.
    void Update();

    // What the callbacks record.
    void OnLobbyCreated(bool success, uint64_t lobby);
    void OnLobbyList(bool failure, int count);
    void OnLobbyEntered(bool success);
    void OnJoinRequested(uint64_t lobby);

    bool IsInLobby() const { return m_inLobby != 0; }
    // Whether the user is among the members of the lobby this side is in, as
    // the lobby reads now.
    bool IsLobbyMember(uint64_t user) const;
    int CreateState() const { return m_createState; }
    int JoinState() const { return m_joinState; }
    int GetInviteState() const { return m_inviteState; }
    uint64_t InvitedLobby() const { return m_invitedLobby; }
    uint64_t CurrentLobby() const { return m_currentLobby; }
    uint64_t FoundLobby(int n) const;

private:
    void SetCurrentLobby(uint64_t lobby);
    void WriteLobbyKeys();
    void StartJoin(uint64_t lobby);
    void OfferInvitation();
    void ConnectMembers();
    void FindHost();

    int32_t m_createState = kCreateNone;
    int32_t m_joinState = kJoinIdle;
    uint8_t m_inLobby = 0;
    uint64_t m_ownLobby = 0;
    uint64_t m_joinedLobby = 0;
    // The lobby this side is in, whichever role it had when it entered.
    uint64_t m_currentLobby = 0;
    uint64_t m_foundLobbies[kMaxFoundLobbies] = {};
    int32_t m_foundCount = 0;
    int32_t m_gameType = 0;
    int32_t m_netVersionValue;

    int32_t m_inviteState = kInviteNone;
    uint64_t m_invitedLobby = 0;
    bool m_startOverNeeded = false;
    char m_canJoinCallback[kNameBytes] = {};
    char m_joinCallback[kNameBytes] = {};
    char m_startOverCallback[kNameBytes] = {};

    struct Friend
    {
        uint64_t id;
        char name[kNameBytes];
    };
    Friend m_friends[kMaxFriends] = {};
    int32_t m_friendCount = 0;
    uint8_t m_friendsUpdated = 0;
};

MatchingService& GetMatchingService();

// The version text the lobby publishes and a join request's value is made from.
constexpr const char* kNetVersion = "005";
