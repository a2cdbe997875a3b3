// Saved data and the local storefront's files: an atomic save (temporary,
// fsync, rename) of 4 KB and 1 MB against a plain write with and without its
// fsync; 100 rows around the user of a 10,000-entry board against a raw read
// of the board's file; a lobby search of one process against ten lobbies;
// and between processes: a client's search for a host's lobby, its join up to
// the host's grant, and a game made here up to the grant of a client that
// joins it the moment it is listed, against the round trip of one peer
// datagram.

#include "core/AtomicFile.h"
#include "online/ConnectionMaker.h"
#include "online/storefront/SteamInterfaces.h"
#include "script/ScriptHost.h"
#include "online/MatchingService.h"
#include "online/NetworkCommunicator.h"
#include "online/PlatformServices.h"
#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamMatchmaking.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/StorefrontBoards.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
std::string ScratchFolder()
{
    char pattern[] = "/tmp/pendrel-bench-online-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? made : "/tmp";
}

const std::string& Folder()
{
    static const std::string folder = ScratchFolder();
    return folder;
}

void BM_AtomicSave(benchmark::State& state)
{
    const std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)), 'x');
    const std::string path = Folder() + "/atomic.sav";
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteFileAtomically(path.c_str(), bytes.data(), bytes.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_AtomicSave)->Arg(4 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void PlainWrite(benchmark::State& state, bool sync)
{
    const std::vector<uint8_t> bytes(static_cast<size_t>(state.range(0)), 'x');
    const std::string path = Folder() + "/plain.sav";
    for (auto _ : state)
    {
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        benchmark::DoNotOptimize(write(fd, bytes.data(), bytes.size()));
        if (sync)
            fsync(fd);
        close(fd);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_PlainWrite(benchmark::State& state)
{
    PlainWrite(state, false);
}
BENCHMARK(BM_PlainWrite)->Arg(4 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

void BM_PlainWriteSynced(benchmark::State& state)
{
    PlainWrite(state, true);
}
BENCHMARK(BM_PlainWriteSynced)->Arg(4 << 10)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

// The platform signed in to a folder of its own, with a 10,000-entry board
// "1" on which the user stands in the middle.
struct PlatformFixture
{
    PlatformFixture()
    {
        const std::string folder = Folder() + "/platform";
        setenv("PENDREL_PLATFORM_DIR", folder.c_str(), 1);
        setenv("PENDREL_PLATFORM_USER", "bench", 1);
        up = PlatformInit();
        BoardFile board;
        for (int i = 0; i < 10000; ++i)
            board.entries.push_back({i, 1000 + static_cast<uint64_t>(i), "player" + std::to_string(i)});
        board.entries[5000].user = SteamUser()->GetSteamID();
        boardPath = folder + "/leaderboards/1";
        BoardCreate(boardPath.c_str(), 1);
        BoardWrite(boardPath.c_str(), board);
    }
    ~PlatformFixture() { PlatformShutdown(); }

    bool up = false;
    std::string boardPath;
};

PlatformFixture& Platform()
{
    static PlatformFixture fixture;
    return fixture;
}

struct BoardCatcher
{
    SteamLeaderboard_t board = 0;
    int count = -1;
    SteamLeaderboardEntries_t entries = 0;
    void OnFound(LeaderboardFindResult_t* result, bool) { board = result->m_hSteamLeaderboard; }
    void OnDownloaded(LeaderboardScoresDownloaded_t* result, bool)
    {
        count = result->m_cEntryCount;
        entries = result->m_hSteamLeaderboardEntries;
    }
};

void BM_BoardRowsAroundUser(benchmark::State& state)
{
    if (!Platform().up)
    {
        state.SkipWithError("the platform did not start");
        return;
    }
    BoardCatcher catcher;
    CCallResult<BoardCatcher, LeaderboardFindResult_t> find;
    find.Set(SteamUserStats()->FindLeaderboard("1"), &catcher, &BoardCatcher::OnFound);
    PlatformRunCallbacks();
    CCallResult<BoardCatcher, LeaderboardScoresDownloaded_t> download;
    for (auto _ : state)
    {
        download.Set(SteamUserStats()->DownloadLeaderboardEntries(catcher.board,
                                                                  k_ELeaderboardDataRequestGlobalAroundUser, -50, 49),
                     &catcher, &BoardCatcher::OnDownloaded);
        PlatformRunCallbacks();
        LeaderboardEntry_t entry{};
        for (int i = 0; i < catcher.count; ++i)
            SteamUserStats()->GetDownloadedLeaderboardEntry(catcher.entries, i, &entry, nullptr, 0);
        benchmark::DoNotOptimize(entry);
    }
    state.counters["rows"] = catcher.count;
}
BENCHMARK(BM_BoardRowsAroundUser)->Unit(benchmark::kMicrosecond);

void BM_BoardRawRead(benchmark::State& state)
{
    std::vector<uint8_t> bytes;
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(Platform().boardPath.c_str(), bytes, 64 << 20));
    state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_BoardRawRead)->Unit(benchmark::kMicrosecond);

struct ListCatcher
{
    int count = -1;
    void OnCreated(LobbyCreated_t*, bool) {}
    void OnList(LobbyMatchList_t* list, bool) { count = static_cast<int>(list->m_nLobbiesMatching); }
};

void BM_LobbySearch(benchmark::State& state)
{
    if (!Platform().up)
    {
        state.SkipWithError("the platform did not start");
        return;
    }
    static bool made = false;
    ListCatcher catcher;
    if (!made)
    {
        for (int i = 0; i < 10; ++i)
        {
            CCallResult<ListCatcher, LobbyCreated_t> created;
            created.Set(SteamMatchmaking()->CreateLobby(k_ELobbyTypePublic, 4), &catcher, &ListCatcher::OnCreated);
            PlatformRunCallbacks();
        }
        made = true;
    }
    CCallResult<ListCatcher, LobbyMatchList_t> list;
    for (auto _ : state)
    {
        list.Set(SteamMatchmaking()->RequestLobbyList(), &catcher, &ListCatcher::OnList);
        PlatformRunCallbacks();
    }
    state.counters["lobbies"] = catcher.count;
}
BENCHMARK(BM_LobbySearch)->Unit(benchmark::kMicrosecond);
using Clock = std::chrono::steady_clock;

// Frames until the condition holds; false after 10 s.
template <class Condition> bool FramesUntil(Condition done)
{
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline)
    {
        PlatformRunCallbacks();
        NetworkFrame();
        if (done())
            return true;
    }
    return false;
}

// A child signed in as its own user that runs `body` once, then frames until it is killed.
template <class Body> pid_t StartChild(const char* user, Body body)
{
    const pid_t child = fork();
    if (child != 0)
        return child;
    setenv("PENDREL_PLATFORM_USER", user, 1);
    if (!PlatformInit() || !body())
        _exit(2);
    for (;;)
    {
        PlatformRunCallbacks();
        NetworkFrame();
        usleep(200);
    }
}

bool HostGame()
{
    const char* script = "function CanAnotherNodeJoin() { return true; }";
    if (!ScriptInit(false, nullptr) ||
        !ScriptRunString(ScriptGetVM(), script, static_cast<SQInteger>(strlen(script)), "host"))
        return false;
    NetworkCommunicator::Init();
    GetConnectionMaker().SetMaxNodes(4);
    GetConnectionMaker().SetAsParent(true);
    GetMatchingService().MakeMyGame();
    return true;
}

// Sends every datagram back to its sender.
bool Echo()
{
    for (;;)
    {
        uint32_t size = 0;
        while (SteamNetworking()->IsP2PPacketAvailable(&size))
        {
            uint8_t bytes[ISteamNetworking::kMaxPacketBytes];
            CSteamID sender = 0;
            if (SteamNetworking()->ReadP2PPacket(bytes, sizeof bytes, &size, &sender))
                SteamNetworking()->SendP2PPacket(sender, bytes, size, k_EP2PSendUnreliable);
        }
        PlatformRunCallbacks();
    }
}

pid_t g_host = -1;
pid_t g_echo = -1;
pid_t g_joiner = -1;
int g_grants = -1; // the joiner writes a byte here at each grant

// Joins every game that user "bench" makes, the moment it is listed, and
// leaves it again once granted.
bool JoinEachNewGame(int grants)
{
    NetworkCommunicator::Init();
    MatchingService& service = GetMatchingService();
    uint64_t previous = 0;
    for (;;)
    {
        PlatformRunCallbacks();
        NetworkFrame();
        if (service.HasJoinedGame())
        {
            const char granted = 1;
            if (write(grants, &granted, 1) != 1)
                return false;
            service.LeaveGame();
            GetConnectionMaker().QuitGame();
            continue;
        }
        const int state = service.JoinState();
        if (state != kJoinIdle && state != kJoinListed && state != kJoinNoneFound)
            continue;
        const int last = service.GetAvailableGameCount() - 1;
        const uint64_t lobby = last >= 0 ? service.FoundLobby(last) : 0;
        if (lobby > previous && strcmp(SteamMatchmaking()->GetLobbyData(lobby, "name"), "bench") == 0)
        {
            previous = lobby;
            service.JoinNthGame(last);
        }
        else
            service.AskForGames(-1);
    }
}

void BM_TwoProcessLobbySearch(benchmark::State& state)
{
    if (!Platform().up)
    {
        state.SkipWithError("the platform did not start");
        return;
    }
    NetworkCommunicator::Init();
    for (auto _ : state)
    {
        GetMatchingService().AskForGames(-1);
        if (!FramesUntil([] { return GetMatchingService().JoinState() != kJoinListing; }))
            state.SkipWithError("no list came");
    }
    state.counters["found"] = GetMatchingService().GetAvailableGameCount();
}

void BM_TwoProcessJoinToGrant(benchmark::State& state)
{
    if (!Platform().up)
    {
        state.SkipWithError("the platform did not start");
        return;
    }
    NetworkCommunicator::Init();
    for (auto _ : state)
    {
        state.PauseTiming();
        GetMatchingService().LeaveGame();
        // Arg 1 leaves as a quit does, telling the host; arg 0 resets
        // silently, so the host meets the rejoin on its old connection.
        if (state.range(0) == 1)
            GetConnectionMaker().QuitGame();
        else
            GetConnectionMaker().ResetConnections();
        FramesUntil([] { return GetConnectionMaker().PendingConnectionCount() == 0; });
        GetMatchingService().AskForGames(-1);
        FramesUntil([] { return GetMatchingService().JoinState() != kJoinListing; });
        state.ResumeTiming();
        GetMatchingService().JoinNthGame(0);
        if (!FramesUntil([] { return GetMatchingService().HasJoinedGame(); }))
        {
            state.SkipWithError("no grant came");
            break;
        }
    }
    GetMatchingService().LeaveGame();
    GetConnectionMaker().ResetConnections();
}

bool TakeGrant()
{
    char granted = 0;
    return read(g_grants, &granted, 1) == 1;
}

void BM_TwoProcessMakeGameToGrant(benchmark::State& state)
{
    const char* script = "function CanAnotherNodeJoin() { return true; }";
    if (!Platform().up || !ScriptInit(false, nullptr) ||
        !ScriptRunString(ScriptGetVM(), script, static_cast<SQInteger>(strlen(script)), "bench"))
    {
        state.SkipWithError("the platform or the script did not start");
        return;
    }
    NetworkCommunicator::Init();
    for (auto _ : state)
    {
        GetConnectionMaker().SetMaxNodes(4);
        GetConnectionMaker().SetAsParent(true);
        GetMatchingService().MakeMyGame();
        if (!FramesUntil(TakeGrant))
        {
            state.SkipWithError("no grant came");
            break;
        }
        state.PauseTiming();
        GetMatchingService().LeaveGame();
        GetConnectionMaker().QuitGame();
        state.ResumeTiming();
    }
    GetMatchingService().LeaveGame();
    GetConnectionMaker().QuitGame();
    ScriptShutdown();
}

void BM_PeerRoundTrip(benchmark::State& state)
{
    char name[64];
    CSteamID echo = 0;
    const int friends = SteamFriends()->GetFriendCount(k_EFriendFlagAll);
    for (int i = 0; i < friends; ++i)
    {
        const CSteamID id = SteamFriends()->GetFriendByIndex(i, k_EFriendFlagAll);
        snprintf(name, sizeof name, "%s", SteamFriends()->GetFriendPersonaName(id));
        if (strcmp(name, "echo") == 0)
            echo = id;
    }
    uint8_t bytes[64] = {1};
    for (auto _ : state)
    {
        SteamNetworking()->SendP2PPacket(echo, bytes, sizeof bytes, k_EP2PSendUnreliable);
        uint32_t size = 0;
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        while (!SteamNetworking()->IsP2PPacketAvailable(&size) && Clock::now() < deadline)
            PlatformRunCallbacks();
        CSteamID sender = 0;
        if (!SteamNetworking()->ReadP2PPacket(bytes, sizeof bytes, &size, &sender))
        {
            state.SkipWithError("no echo came");
            break;
        }
    }
}
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    // The other processes start before this one signs in: each holds its own user's lock.
    setenv("PENDREL_PLATFORM_DIR", (Folder() + "/platform").c_str(), 1);
    g_host = StartChild("host", HostGame);
    g_echo = StartChild("echo", Echo);
    int grants[2] = {-1, -1};
    if (pipe2(grants, O_NONBLOCK | O_CLOEXEC) == 0)
    {
        g_joiner = StartChild("joiner", [grants] { return JoinEachNewGame(grants[1]); });
        close(grants[1]);
        g_grants = grants[0];
    }
    benchmark::RegisterBenchmark("BM_TwoProcessLobbySearch", BM_TwoProcessLobbySearch)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_TwoProcessJoinToGrant", BM_TwoProcessJoinToGrant)
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(5);
    benchmark::RegisterBenchmark("BM_TwoProcessMakeGameToGrant", BM_TwoProcessMakeGameToGrant)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_PeerRoundTrip", BM_PeerRoundTrip)->Unit(benchmark::kMicrosecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (pid_t child : {g_host, g_echo, g_joiner})
        if (child > 0)
        {
            kill(child, SIGKILL);
            waitpid(child, nullptr, 0);
        }
    PlatformShutdown();
    const std::string command = "rm -rf '" + Folder() + "'";
    return system(command.c_str()) == 0 ? 0 : 1;
}
