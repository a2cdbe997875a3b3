// Lobbies between processes: each child is its own storefront user in the
// test's platform folder, forked before this process signs in. Children say
// "ready" through a pipe and run their frames until the test ends them by
// their PID; every wait is a poll with a generous deadline.

#include "online/ConnectionMaker.h"
#include "online/ConnectionManager.h"
#include "online/MatchingService.h"
#include "online/NetworkCommunicator.h"
#include "online/PlatformServices.h"
#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamMatchmaking.h"
#include "script/ScriptBinding.h"
#include "script/ScriptHost.h"

#include "PlatformFolderTest.h"
#include "support/LogCapture.h"
#include "support/RedisServer.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr auto kDeadline = std::chrono::seconds(30);

void RunFrame()
{
    PlatformRunCallbacks();
    NetworkFrame();
}

// Frames until the condition holds or the deadline passes.
bool FramesUntil(const std::function<bool()>& done)
{
    const auto deadline = Clock::now() + kDeadline;
    while (Clock::now() < deadline)
    {
        RunFrame();
        if (done())
            return true;
        usleep(2000);
    }
    return false;
}

// While a test runs on a server, children sign in there with their own accounts.
RedisServer* g_server = nullptr;

class Child
{
public:
    // The body signs in as the user, does its part, writes "ready" and then
    // runs frames until it is ended (or 60 s pass). On a server the child
    // binds its datagrams to the given address.
    Child(const char* user, const std::function<bool()>& body, const char* address = nullptr)
    {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0)
        {
            close(pipeEnds[0]);
            setenv("PENDREL_PLATFORM_USER", user, 1);
            if (g_server)
                setenv("PENDREL_PLATFORM", g_server->Url(user).c_str(), 1);
            if (address)
                setenv("PENDREL_PLATFORM_ADDRESS", address, 1);
            const bool ready = PlatformInit() && body();
            const char* text = ready ? "ready\n" : "failed\n";
            if (write(pipeEnds[1], text, strlen(text)) < 0)
                _exit(2);
            const auto deadline = Clock::now() + std::chrono::seconds(60);
            while (Clock::now() < deadline)
            {
                RunFrame();
                usleep(2000);
            }
            _exit(0);
        }
        close(pipeEnds[1]);
        m_ready = pipeEnds[0];
    }
    ~Child()
    {
        Kill();
        if (m_ready >= 0)
            close(m_ready);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool WaitReady()
    {
        pollfd wait = {m_ready, POLLIN, 0};
        char text[16] = {};
        return m_ready >= 0 &&
               poll(&wait, 1, static_cast<int>(std::chrono::milliseconds(kDeadline).count())) == 1 &&
               read(m_ready, text, sizeof text - 1) > 0 && strcmp(text, "ready\n") == 0;
    }
    void Kill()
    {
        if (m_pid <= 0)
            return;
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_ready = -1;
};

bool PumpUntilCreated()
{
    return FramesUntil([] { return GetMatchingService().CreateState() != kCreateRunning; }) &&
           GetMatchingService().IsMyGameCreated();
}

const char* kHostScript = R"(
function CanAnotherNodeJoin() { return true; }
function NetworkNewNodeJoined(id) { Mark("joined " + id); }
)";

// The host child leaves marks as files in the platform folder, for the test to see.
SQInteger ScriptMark(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
    {
        const std::string folder = std::string(getenv("PENDREL_PLATFORM_DIR")) + "/marks";
        mkdir(folder.c_str(), 0700);
        if (FILE* file = fopen((folder + "/" + text).c_str(), "w"))
            fclose(file);
    }
    return 0;
}

void RegisterMark(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "Mark", ScriptMark);
}

// A game made as the script's game-creation native makes it.
bool MakeAGame()
{
    GetConnectionMaker().SetMaxNodes(4);
    GetConnectionMaker().SetAsParent(true);
    GetMatchingService().MakeMyGame();
    return PumpUntilCreated();
}

bool HostAGame(int gameType)
{
    if (!ScriptInit(false, RegisterMark))
        return false;
    ScriptRunString(ScriptGetVM(), kHostScript, static_cast<SQInteger>(strlen(kHostScript)), "host");
    NetworkCommunicator::Init();
    if (!MakeAGame())
        return false;
    GetMatchingService().SetGameType(gameType);
    return true;
}

constexpr int kQuickJoinRounds = 25;

// Makes a game, waits for one node to join it and then leave its lobby, and
// starts over with a new game, for every round.
bool HostGameAfterGame()
{
    if (!HostAGame(0))
        return false;
    for (int round = 0; round < kQuickJoinRounds; ++round)
    {
        const uint64_t lobby = GetMatchingService().CurrentLobby();
        if (!FramesUntil([] { return GetConnectionMaker().GetGameNodeCount() == 2; }) ||
            !FramesUntil([lobby] { return SteamMatchmaking()->GetNumLobbyMembers(lobby) == 1; }))
            return false;
        GetMatchingService().LeaveGame();
        GetConnectionMaker().QuitGame();
        if (round + 1 < kQuickJoinRounds && !MakeAGame())
            return false;
    }
    return true;
}

// Lobbies made straight on the platform, as another game's host would.
struct LobbyCatcher
{
    uint64_t lobby = 0;
    void OnCreated(LobbyCreated_t* created, bool) { lobby = created->m_ulSteamIDLobby; }
};

uint64_t MakeLobby(const char* gameType, const char* netVersion, int limit, bool joinable, ELobbyType type)
{
    LobbyCatcher catcher;
    CCallResult<LobbyCatcher, LobbyCreated_t> result;
    result.Set(SteamMatchmaking()->CreateLobby(type, limit), &catcher, &LobbyCatcher::OnCreated);
    PlatformRunCallbacks();
    SteamMatchmaking()->SetLobbyData(catcher.lobby, "gametype", gameType);
    SteamMatchmaking()->SetLobbyData(catcher.lobby, "netversion", netVersion);
    SteamMatchmaking()->SetLobbyJoinable(catcher.lobby, joinable);
    return catcher.lobby;
}

struct ListCatcher
{
    int count = -1;
    void OnList(LobbyMatchList_t* list, bool) { count = static_cast<int>(list->m_nLobbiesMatching); }
};

// The platform's own count of matching lobbies, before any cap.
int PlatformListCount(const char* gameType)
{
    SteamMatchmaking()->AddRequestLobbyListStringFilter("netversion", "005", k_ELobbyComparisonEqual);
    if (gameType)
        SteamMatchmaking()->AddRequestLobbyListStringFilter("gametype", gameType, k_ELobbyComparisonEqual);
    ListCatcher catcher;
    CCallResult<ListCatcher, LobbyMatchList_t> result;
    result.Set(SteamMatchmaking()->RequestLobbyList(), &catcher, &ListCatcher::OnList);
    PlatformRunCallbacks();
    return catcher.count;
}

std::vector<std::string> g_scriptEvents;

SQInteger ScriptRecord(HSQUIRRELVM vm)
{
    const SQChar* text = nullptr;
    if (SQ_SUCCEEDED(sq_getstring(vm, 2, &text)))
        g_scriptEvents.push_back(text);
    return 0;
}

void RegisterRecorder(HSQUIRRELVM vm)
{
    ScriptBindGlobalFunction(vm, "Record", ScriptRecord);
}

class LobbyProcessTest : public PlatformFolderTest
{
protected:
    LobbyProcessTest() : PlatformFolderTest("guest") {}

    void TearDown() override
    {
        GetMatchingService().LeaveGame();
        NetworkCommunicator::Close();
        GetConnectionMaker().ResetConnections();
        ScriptShutdown();
        PlatformFolderTest::TearDown();
    }
    // The guest's script, its Record calls collected in g_scriptEvents.
    void LoadGuestScript(const char* script)
    {
        g_scriptEvents.clear();
        ASSERT_TRUE(ScriptInit(false, RegisterRecorder));
        ScriptRunString(ScriptGetVM(), script, static_cast<SQInteger>(strlen(script)), "guest");
    }
    void StartGuest()
    {
        ASSERT_TRUE(PlatformInit());
        NetworkCommunicator::Init();
    }
    // Lobbies of another process that are full, closed, not public or of
    // another version are not listed; the search keeps ten.
    void CheckListing()
    {
        Child many("many", [] {
            for (int i = 0; i < 25; ++i)
                MakeLobby(i % 2 ? "1" : "2", "005", 4, true, k_ELobbyTypePublic);
            MakeLobby("1", "004", 4, true, k_ELobbyTypePublic);
            MakeLobby("1", "005", 1, true, k_ELobbyTypePublic);
            MakeLobby("1", "005", 4, false, k_ELobbyTypePublic);
            MakeLobby("1", "005", 4, true, k_ELobbyTypeFriendsOnly);
            return true;
        });
        ASSERT_TRUE(many.WaitReady());
        StartGuest();
        EXPECT_EQ(PlatformListCount(nullptr), 25);
        EXPECT_EQ(PlatformListCount("1"), 12);
        EXPECT_EQ(Search(-1), MatchingService::kMaxFoundLobbies);
        EXPECT_EQ(GetMatchingService().JoinState(), kJoinListed);
        EXPECT_NE(GetMatchingService().FoundLobby(9), 0u);
        EXPECT_EQ(GetMatchingService().FoundLobby(10), 0u);
        EXPECT_EQ(GetMatchingService().FoundLobby(-1), 0u);
        EXPECT_EQ(Search(1), MatchingService::kMaxFoundLobbies);
        for (int i = 0; i < MatchingService::kMaxFoundLobbies; ++i)
            EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(GetMatchingService().FoundLobby(i), "gametype"), "1");
    }

    int Search(int gameType)
    {
        GetMatchingService().AskForGames(gameType);
        EXPECT_TRUE(FramesUntil([] { return GetMatchingService().JoinState() != kJoinListing; }));
        return GetMatchingService().GetAvailableGameCount();
    }
};
} // namespace

TEST_F(LobbyProcessTest, AGuestFindsTheHostJoinsLeavesAndLosesTheKilledHost)
{
    Child host("host", [] { return HostAGame(3); });
    ASSERT_TRUE(host.WaitReady());
    StartGuest();
    EXPECT_EQ(Search(4), 0);
    EXPECT_EQ(GetMatchingService().JoinState(), kJoinNoneFound);
    ASSERT_EQ(Search(3), 1);
    const uint64_t lobby = GetMatchingService().FoundLobby(0);
    EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(lobby, "name"), "host");
    EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(lobby, "netversion"), "005");
    GetMatchingService().JoinNthGame(0);
    ASSERT_TRUE(FramesUntil([] { return GetMatchingService().HasJoinedGame(); }));
    EXPECT_EQ(GetConnectionMaker().GetMyNetID(), 1);
    EXPECT_TRUE(FramesUntil([this] { return dir.Exists("marks/joined 1"); }));
    EXPECT_EQ(SteamMatchmaking()->GetNumLobbyMembers(lobby), 2);
    EXPECT_STREQ(GetMatchingService().GetNameFromNetID(0), "host");
    EXPECT_STREQ(GetMatchingService().GetNameFromNetID(1), "guest");
    EXPECT_STREQ(GetMatchingService().GetNameFromNetID(7), "");
    // Leaving takes this side out of the members; the lobby stays listed.
    GetMatchingService().LeaveGame();
    GetConnectionMaker().ResetConnections();
    EXPECT_EQ(SteamMatchmaking()->GetNumLobbyMembers(lobby), 1);
    ASSERT_EQ(Search(-1), 1);
    host.Kill();
    // A lobby whose members have all gone is no longer listed, and its file goes.
    EXPECT_EQ(Search(-1), 0);
    EXPECT_FALSE(dir.Exists("lobbies/" + std::to_string(lobby)));
}

// Lists until a lobby newer than `newerThan` shows, without pausing, and
// answers its index (-1 when none came).
int ListUntilANewerLobby(uint64_t newerThan)
{
    MatchingService& service = GetMatchingService();
    int found = -1;
    FramesUntil([&service, &found, newerThan] {
        if (service.JoinState() == kJoinListing)
            return false;
        const int last = service.GetAvailableGameCount() - 1;
        if (last >= 0 && service.FoundLobby(last) > newerThan)
        {
            found = last;
            return true;
        }
        service.AskForGames(-1);
        return false;
    });
    return found;
}

TEST_F(LobbyProcessTest, AJoinTheMomentAGameIsListedIsGranted)
{
    Child host("host", HostGameAfterGame);
    StartGuest();
    uint64_t previous = 0;
    for (int round = 0; round < kQuickJoinRounds; ++round)
    {
        const int index = ListUntilANewerLobby(previous);
        ASSERT_GE(index, 0) << "round " << round;
        previous = GetMatchingService().FoundLobby(index);
        GetMatchingService().JoinNthGame(index);
        ASSERT_TRUE(FramesUntil([] {
            return GetMatchingService().HasJoinedGame() || GetMatchingService().JoinState() == kJoinIdle;
        })) << "round " << round << ": join state " << GetMatchingService().JoinState();
        ASSERT_TRUE(GetMatchingService().HasJoinedGame()) << "round " << round << ": the join failed";
        EXPECT_EQ(GetConnectionMaker().GetMyNetID(), 1);
        GetMatchingService().LeaveGame();
        GetConnectionMaker().QuitGame();
    }
    EXPECT_TRUE(host.WaitReady());
}

TEST_F(LobbyProcessTest, ListingKeepsOpenMatchingLobbiesAndAtMostTen)
{
    CheckListing();
}

TEST_F(LobbyProcessTest, AnInvitationReachesTheScriptAndLeadsIntoTheGame)
{
    Child host("host", [] {
        if (!HostAGame(0))
            return false;
        // The guest signs in after this child started.
        if (!FramesUntil([] { return SteamFriends()->GetFriendCount(k_EFriendFlagAll) == 1; }))
            return false;
        GetMatchingService().UpdateFriendInfo();
        GetMatchingService().SendInvitationToFriend(0);
        return strcmp(GetMatchingService().GetFriendName(0), "guest") == 0;
    });
    LoadGuestScript(R"(
        function CanJoinInvite() { Record("asked"); return true; }
        function JoinInvite() { Record("join"); }
    )");
    StartGuest();
    GetMatchingService().SetBootableInviteCallbacks("CanJoinInvite", "JoinInvite");
    ASSERT_TRUE(host.WaitReady());
    ASSERT_TRUE(FramesUntil([] { return g_scriptEvents.size() == 2; }));
    EXPECT_EQ(g_scriptEvents, (std::vector<std::string>{"asked", "join"}));
    EXPECT_EQ(GetMatchingService().GetInviteState(), kInviteOffered);
    GetMatchingService().JoinGameFromInvite();
    ASSERT_TRUE(FramesUntil([] { return GetMatchingService().HasJoinedGame(); }));
    EXPECT_EQ(GetMatchingService().GetInviteState(), kInviteJoining);
    EXPECT_EQ(GetConnectionMaker().GetMyNetID(), 1);
}

TEST_F(LobbyProcessTest, AMemberThatLeavesBeforeJoiningLosesItsConnection)
{
    Child guest("visitor", [] {
        if (!FramesUntil([] { return PlatformListCount(nullptr) == 1; }))
            return false;
        SteamMatchmaking()->JoinLobby(SteamMatchmaking()->GetLobbyByIndex(0));
        return true;
    });
    ASSERT_TRUE(ScriptInit(false, nullptr));
    ASSERT_TRUE(PlatformInit());
    NetworkCommunicator::Init();
    GetConnectionMaker().SetMaxNodes(4);
    GetConnectionMaker().SetAsParent(true);
    GetMatchingService().MakeMyGame();
    ASSERT_TRUE(PumpUntilCreated());
    ASSERT_TRUE(guest.WaitReady());
    const uint64_t lobby = GetMatchingService().CurrentLobby();
    ASSERT_TRUE(FramesUntil([lobby] { return SteamMatchmaking()->GetNumLobbyMembers(lobby) == 2; }));
    const uint64_t visitor = SteamMatchmaking()->GetLobbyMemberByIndex(lobby, 1);
    ASSERT_TRUE(FramesUntil([visitor] { return GetConnectionManager().Find(visitor) != nullptr; }));
    EXPECT_EQ(GetConnectionMaker().PendingConnectionCount(), 1);
    guest.Kill();
    ASSERT_TRUE(FramesUntil([visitor] { return GetConnectionManager().Find(visitor) == nullptr; }));
    EXPECT_EQ(GetConnectionMaker().PendingConnectionCount(), 0);
    EXPECT_EQ(GetConnectionMaker().GetGameNodeCount(), 1);
}

TEST_F(LobbyProcessTest, TheHostsSettingsReachItsLobby)
{
    ASSERT_TRUE(PlatformInit());
    NetworkCommunicator::Init();
    GetConnectionMaker().SetAsParent(true);
    GetMatchingService().MakeMyGame();
    ASSERT_TRUE(PumpUntilCreated());
    const uint64_t lobby = GetMatchingService().CurrentLobby();
    GetMatchingService().SetOpenSlots(2);
    EXPECT_EQ(SteamMatchmaking()->GetLobbyMemberLimit(lobby), 3);
    GetMatchingService().SetMaxSlots(6);
    EXPECT_EQ(SteamMatchmaking()->GetLobbyMemberLimit(lobby), 6);
    // Open slots beyond the int range give the largest limit the lobby
    // takes, not a sum wrapped round to the smallest.
    GetMatchingService().SetMaxSlots(2147483647);
    const int largest = SteamMatchmaking()->GetLobbyMemberLimit(lobby);
    GetMatchingService().SetMaxSlots(6);
    GetMatchingService().SetOpenSlots(2147483647);
    EXPECT_EQ(SteamMatchmaking()->GetLobbyMemberLimit(lobby), largest);
    GetMatchingService().SetMaxSlots(6);
    GetMatchingService().SetGameType(9);
    EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(lobby, "gametype"), "9");
    EXPECT_EQ(GetMatchingService().GetGameType(), 9);
    EXPECT_STREQ(GetMatchingService().GetMap(), "Unknown Map");
    GetMatchingService().OnGameStart();
    EXPECT_NE(dir.ReadFile("lobbies/" + std::to_string(lobby)).find("joinable\t0"), std::string::npos);
    GetMatchingService().AfterGameReopen();
    GetMatchingService().SetPrivateGame(true);
    const std::string file = dir.ReadFile("lobbies/" + std::to_string(lobby));
    EXPECT_NE(file.find("joinable\t1"), std::string::npos);
    EXPECT_NE(file.find("type\t1"), std::string::npos);
    // After a reset this side is no host, yet it leaves the lobby it is in.
    GetConnectionMaker().ResetConnections();
    GetMatchingService().LeaveGame();
    EXPECT_FALSE(dir.Exists("lobbies/" + std::to_string(lobby)));
    EXPECT_FALSE(GetMatchingService().IsInLobby());
}

struct JoinFailureCase
{
    const char* name;
    std::function<void()> start;
};

class JoinFailureTest : public LobbyProcessTest, public ::testing::WithParamInterface<JoinFailureCase>
{
};

TEST_P(JoinFailureTest, TheScriptHearsAFailedJoin)
{
    LoadGuestScript(R"(
        function FailedJoiningGame() { Record("failed"); }
        function CanJoinInvite() { return true; }
        function JoinInvite() {}
    )");
    StartGuest();
    GetMatchingService().SetBootableInviteCallbacks("CanJoinInvite", "JoinInvite");
    GetParam().start();
    ASSERT_TRUE(FramesUntil([] { return !g_scriptEvents.empty(); }));
    EXPECT_EQ(g_scriptEvents, std::vector<std::string>{"failed"});
    EXPECT_EQ(GetMatchingService().JoinState(), kJoinIdle);
    EXPECT_FALSE(GetMatchingService().HasJoinedGame());
}

INSTANTIATE_TEST_SUITE_P(
    Joins, JoinFailureTest,
    ::testing::Values(JoinFailureCase{"NothingListed", [] { GetMatchingService().JoinNthGame(0); }},
                      JoinFailureCase{"NegativeIndex", [] { GetMatchingService().JoinNthGame(-1); }},
                      JoinFailureCase{"MissingLobby",
                                      [] {
                                          GetMatchingService().SetPendingInvite(109775240917663744ull + 99);
                                          GetMatchingService().JoinGameFromInvite();
                                      }},
                      // A lobby without a host address: entered, then left.
                      JoinFailureCase{"NoHostAddress",
                                      [] {
                                          const uint64_t lobby = MakeLobby("0", "005", 4, true, k_ELobbyTypePublic);
                                          GetMatchingService().SetPendingInvite(lobby);
                                          GetMatchingService().JoinGameFromInvite();
                                      }}),
    [](const ::testing::TestParamInfo<JoinFailureCase>& info) { return std::string(info.param.name); });

TEST_F(LobbyProcessTest, AnInvitationWhileOneIsOfferedIsIgnored)
{
    LoadGuestScript(R"(
        function CanJoinInvite() { Record("asked"); return true; }
        function JoinInvite() {}
        function StartOver() { Record("start over"); }
    )");
    StartGuest();
    GetMatchingService().SetBootableInviteCallbacks("CanJoinInvite", "JoinInvite");
    GetMatchingService().SetStartOverErrorCallback("StartOver");
    GetMatchingService().SetPendingInvite(5);
    GetMatchingService().SetPendingInvite(6);
    EXPECT_EQ(GetMatchingService().InvitedLobby(), 5u);
    RunFrame();
    EXPECT_EQ(GetMatchingService().GetInviteState(), kInviteOffered);
    const GameLobbyJoinRequested_t request{7, 1};
    StorefrontPostCallback(GameLobbyJoinRequested_t::k_iCallback, &request, sizeof request);
    RunFrame();
    EXPECT_EQ(GetMatchingService().InvitedLobby(), 5u);
    EXPECT_EQ(g_scriptEvents, std::vector<std::string>{"asked"});
}

TEST_F(LobbyProcessTest, AFailedListEndsTheSearch)
{
    StartGuest();
    GetMatchingService().AskForGames(-1);
    GetMatchingService().OnLobbyList(true, 0);
    EXPECT_EQ(GetMatchingService().JoinState(), kJoinNoneFound);
    EXPECT_EQ(GetMatchingService().GetAvailableGameCount(), 0);
    EXPECT_EQ(Search(-1), 0);
    EXPECT_EQ(GetMatchingService().JoinState(), kJoinNoneFound);
}

TEST_F(LobbyProcessTest, FriendsAreTheOtherUsers)
{
    ASSERT_TRUE(dir.WriteFile("users/zed/id", "76561197960265800\n"));
    ASSERT_TRUE(dir.WriteFile("users/amy/id", "76561197960265801\n"));
    StartGuest();
    GetMatchingService().UpdateFriendInfo();
    EXPECT_TRUE(GetMatchingService().IsFriendInfoUpdated());
    ASSERT_EQ(GetMatchingService().GetFriendCount(), 2);
    EXPECT_STREQ(GetMatchingService().GetFriendName(0), "amy");
    EXPECT_STREQ(GetMatchingService().GetFriendName(1), "zed");
    EXPECT_STREQ(GetMatchingService().GetFriendName(2), "");
    EXPECT_STREQ(GetMatchingService().GetFriendName(-1), "");
}

TEST_F(LobbyProcessTest, AnInvitationWhileInALobbyStartsTheGameOverFirst)
{
    LoadGuestScript(R"(
        function CanJoinInvite() { Record("asked"); return false; }
        function JoinInvite() { Record("join"); }
        function StartOver() { Record("start over"); }
    )");
    StartGuest();
    GetMatchingService().SetBootableInviteCallbacks("CanJoinInvite", "JoinInvite");
    GetMatchingService().SetStartOverErrorCallback("StartOver");
    GetConnectionMaker().SetAsParent(true);
    GetMatchingService().MakeMyGame();
    ASSERT_TRUE(PumpUntilCreated());
    const GameLobbyJoinRequested_t request{7, 1};
    StorefrontPostCallback(GameLobbyJoinRequested_t::k_iCallback, &request, sizeof request);
    RunFrame();
    EXPECT_EQ(g_scriptEvents, (std::vector<std::string>{"start over", "asked"}));
    // Declined: the next invitation is heard again.
    EXPECT_EQ(GetMatchingService().GetInviteState(), kInviteNone);
}

namespace
{
// The host and this guest sign in on a server of the test's own, on two
// addresses of this machine, sharing no folder.
class LobbyServerTest : public LobbyProcessTest
{
protected:
    void SetUp() override
    {
        // The folder stays for the host's marks only: the platform lives on the server.
        LobbyProcessTest::SetUp();
        ASSERT_TRUE(dir.MakeFolder("server"));
        ASSERT_TRUE(server.Start(PENDREL_SOURCE_DIR, dir.PathOf("server"), {"host", "guest", "many"}));
        g_server = &server;
        setenv("PENDREL_PLATFORM", server.Url("guest").c_str(), 1);
        setenv("PENDREL_PLATFORM_ADDRESS", "127.0.0.3", 1);
    }
    void TearDown() override
    {
        LobbyProcessTest::TearDown();
        unsetenv("PENDREL_PLATFORM_ADDRESS");
        g_server = nullptr;
    }

    RedisServer server;
};
} // namespace

TEST_F(LobbyServerTest, AGuestOnAnotherAddressFindsJoinsAndOutlivesTheKilledHostsLobby)
{
    Child host("host", [] { return HostAGame(3); }, "127.0.0.2");
    ASSERT_TRUE(host.WaitReady());
    StartGuest();
    EXPECT_EQ(Search(4), 0);
    ASSERT_EQ(Search(3), 1);
    const uint64_t lobby = GetMatchingService().FoundLobby(0);
    EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(lobby, "name"), "host");
    LogCapture log;
    GetMatchingService().JoinNthGame(0);
    ASSERT_TRUE(FramesUntil([] { return GetMatchingService().HasJoinedGame(); })) << log.Text();
    EXPECT_EQ(GetConnectionMaker().GetMyNetID(), 1);
    EXPECT_TRUE(FramesUntil([this] { return dir.Exists("marks/joined 1"); }));
    EXPECT_EQ(SteamMatchmaking()->GetNumLobbyMembers(lobby), 2);
    EXPECT_STREQ(GetMatchingService().GetNameFromNetID(0), "host");
    EXPECT_FALSE(dir.Exists("lobbies")) << "no lobby file in the folder";
    host.Kill();
    // Nobody renews the lobby of a vanished owner: it expires within ten seconds.
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_TRUE(FramesUntil([] { return PlatformListCount(nullptr) == 0; }));
    EXPECT_LE(std::chrono::steady_clock::now() - killed, std::chrono::seconds(11));
    EXPECT_STREQ(SteamMatchmaking()->GetLobbyData(lobby, "name"), "");
}

TEST_F(LobbyServerTest, ListingKeepsOpenMatchingLobbiesAndAtMostTen)
{
    CheckListing();
}
