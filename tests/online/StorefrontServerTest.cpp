// The storefront's services on a Redis server the test starts: players sign
// in one after another in this process, each with its own account.

#include "online/PlatformServices.h"
#include "online/storefront/RedisConnection.h"
#include "online/storefront/SteamCallback.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/SteamMatchmaking.h"
#include "online/storefront/SteamUserStats.h"
#include "online/storefront/Storefront.h"

#include "support/LogCapture.h"
#include "support/RedisServer.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace
{
// Waits for one call result, pumping the callbacks.
template <class Result> struct Awaited
{
    Result result = {};
    bool done = false;
    bool ioFailure = false;
    void On(Result* value, bool failure)
    {
        result = *value;
        ioFailure = failure;
        done = true;
    }
};

template <class Result> Awaited<Result> Await(SteamAPICall_t call)
{
    Awaited<Result> awaited;
    CCallResult<Awaited<Result>, Result> receiver;
    receiver.Set(call, &awaited, &Awaited<Result>::On);
    for (int frame = 0; frame < 4 && !awaited.done; ++frame)
        SteamAPI_RunCallbacks();
    return awaited;
}

// Catches the broadcast callbacks of statistics.
struct StatsListener
{
    StatsListener() : stored(this, &StatsListener::OnStored) {}
    void OnStored(UserStatsStored_t* value) { results.push_back(value->m_eResult); }
    std::vector<int32_t> results;
    CCallback<StatsListener, UserStatsStored_t> stored;
};

std::vector<LeaderboardEntry_t> Download(SteamLeaderboard_t board, ELeaderboardDataRequest request, int first,
                                         int last, bool* failed = nullptr)
{
    const auto downloaded = Await<LeaderboardScoresDownloaded_t>(
        SteamUserStats()->DownloadLeaderboardEntries(board, request, first, last));
    if (failed)
        *failed = !downloaded.done || downloaded.ioFailure;
    std::vector<LeaderboardEntry_t> entries(static_cast<size_t>(downloaded.result.m_cEntryCount));
    for (int i = 0; i < downloaded.result.m_cEntryCount; ++i)
        SteamUserStats()->GetDownloadedLeaderboardEntry(downloaded.result.m_hSteamLeaderboardEntries, i,
                                                         &entries[static_cast<size_t>(i)], nullptr, 0);
    return entries;
}

SteamLeaderboard_t FindBoard(const char* name, ELeaderboardSortMethod sort)
{
    return Await<LeaderboardFindResult_t>(
               SteamUserStats()->FindOrCreateLeaderboard(name, sort, k_ELeaderboardDisplayTypeNumeric))
        .result.m_hSteamLeaderboard;
}

LeaderboardScoreUploaded_t Upload(SteamLeaderboard_t board, int32_t score,
                                  ELeaderboardUploadScoreMethod method = k_ELeaderboardUploadScoreMethodKeepBest)
{
    return Await<LeaderboardScoreUploaded_t>(SteamUserStats()->UploadLeaderboardScore(board, method, score, nullptr, 0))
        .result;
}

class StorefrontServerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.Start(PENDREL_SOURCE_DIR, dir.Path(), {"alice", "bob", "carol"}));
        unsetenv("PENDREL_PLATFORM_DIR");
        unsetenv("PENDREL_PLATFORM_ADDRESS");
    }
    void TearDown() override
    {
        PlatformShutdown();
        unsetenv("PENDREL_PLATFORM");
        unsetenv("PENDREL_PLATFORM_USER");
    }
    // Signs the player in with its own account, after whoever was signed in.
    bool SignIn(const std::string& player)
    {
        PlatformShutdown();
        setenv("PENDREL_PLATFORM", server.Url(player).c_str(), 1);
        setenv("PENDREL_PLATFORM_USER", player.c_str(), 1);
        return PlatformInit();
    }
    // Opens a connection of the player's own account straight to the server.
    void OpenAccount(RedisConnection& connection, const std::string& player)
    {
        RedisAddress address;
        EXPECT_TRUE(ParseRedisAddress(server.Url(player).c_str(), address));
        EXPECT_TRUE(connection.Open(address));
    }

    TempDir dir;
    RedisServer server;
};
} // namespace

TEST(RedisAddressTest, ParsesTheAddressForms)
{
    struct Case
    {
        const char* text;
        bool valid;
        const char* user;
        const char* password;
        const char* host;
        int port;
        int database;
    };
    const Case cases[] = {
        {"redis://10.0.0.5:6379", true, "", "", "10.0.0.5", 6379, 0},
        {"redis://ann:s3:cret@host.lan:7000/3", true, "ann", "s3:cret", "host.lan", 7000, 3},
        {"redis://host:0", false, "", "", "", 0, 0},
        {"redis://host:70000", false, "", "", "", 0, 0},
        {"redis://host", false, "", "", "", 0, 0},
        {"redis://host:6379/16", false, "", "", "", 0, 0},
        {"redis://:pw@host:6379", false, "", "", "", 0, 0},
        {"http://host:6379", false, "", "", "", 0, 0},
    };
    for (const Case& c : cases)
    {
        RedisAddress address;
        ASSERT_EQ(ParseRedisAddress(c.text, address), c.valid) << c.text;
        if (!c.valid)
            continue;
        EXPECT_EQ(address.user, c.user);
        EXPECT_EQ(address.password, c.password);
        EXPECT_EQ(address.host, c.host);
        EXPECT_EQ(address.port, c.port);
        EXPECT_EQ(address.database, c.database);
    }
}

TEST_F(StorefrontServerTest, WithoutAServerThePlatformIsDown)
{
    LogCapture log;
    server.Kill();
    EXPECT_FALSE(SignIn("alice"));
    EXPECT_FALSE(PlatformIsUp());
    EXPECT_NE(log.Text().find("Pendrel Platform is down"), std::string::npos) << log.Text();
}

TEST_F(StorefrontServerTest, AnAccountSignsInOnlyAsItsOwnPlayer)
{
    LogCapture log;
    setenv("PENDREL_PLATFORM", server.Url("bob").c_str(), 1);
    setenv("PENDREL_PLATFORM_USER", "alice", 1);
    EXPECT_FALSE(PlatformInit());
    EXPECT_NE(log.Text().find("refused"), std::string::npos) << log.Text();
    ASSERT_TRUE(SignIn("alice"));
    const uint64_t alice = SteamUser()->GetSteamID();
    ASSERT_TRUE(SignIn("bob"));
    EXPECT_NE(SteamUser()->GetSteamID(), alice);
    EXPECT_STREQ(SteamFriends()->GetFriendPersonaName(alice), "alice");
    ASSERT_TRUE(SignIn("alice"));
    EXPECT_EQ(SteamUser()->GetSteamID(), alice) << "a player keeps its id";
}

TEST_F(StorefrontServerTest, StatisticsAndAchievementsComeBackInTheNextSession)
{
    ASSERT_TRUE(SignIn("alice"));
    StatsListener listener;
    EXPECT_TRUE(SteamUserStats()->SetStat("kills", 12));
    EXPECT_TRUE(SteamUserStats()->SetStat("accuracy", 0.75f));
    EXPECT_TRUE(SteamUserStats()->SetAchievement("FIRST_WIN"));
    EXPECT_TRUE(SteamUserStats()->StoreStats());
    SteamAPI_RunCallbacks();
    EXPECT_EQ(listener.results, std::vector<int32_t>{k_EResultOK});

    ASSERT_TRUE(SignIn("bob"));
    int32_t kills = -1;
    bool achieved = true;
    EXPECT_TRUE(SteamUserStats()->GetStat("kills", &kills));
    EXPECT_TRUE(SteamUserStats()->GetAchievement("FIRST_WIN", &achieved));
    EXPECT_EQ(kills, 0);
    EXPECT_FALSE(achieved);

    ASSERT_TRUE(SignIn("alice"));
    float accuracy = 0;
    EXPECT_TRUE(SteamUserStats()->GetStat("kills", &kills));
    EXPECT_TRUE(SteamUserStats()->GetStat("accuracy", &accuracy));
    EXPECT_TRUE(SteamUserStats()->GetAchievement("FIRST_WIN", &achieved));
    EXPECT_EQ(kills, 12);
    EXPECT_FLOAT_EQ(accuracy, 0.75f);
    EXPECT_TRUE(achieved);
}

TEST_F(StorefrontServerTest, LeaderboardsKeepTheBestAndAnswerTheThreeDownloads)
{
    const struct
    {
        const char* player;
        int32_t score;
    } uploads[] = {{"alice", 300}, {"bob", 500}, {"carol", 300}};
    uint64_t ids[3] = {};
    for (size_t i = 0; i < 3; ++i)
    {
        ASSERT_TRUE(SignIn(uploads[i].player));
        ids[i] = SteamUser()->GetSteamID();
        const SteamLeaderboard_t board = FindBoard("laps", k_ELeaderboardSortMethodDescending);
        ASSERT_NE(board, 0u);
        EXPECT_EQ(Upload(board, uploads[i].score).m_bSuccess, 1);
    }
    // carol reached 300 after alice: alice keeps the better rank.
    const LeaderboardScoreUploaded_t worse = Upload(FindBoard("laps", k_ELeaderboardSortMethodDescending), 100);
    EXPECT_EQ(worse.m_bSuccess, 1);
    EXPECT_EQ(worse.m_bScoreChanged, 0);
    EXPECT_EQ(worse.m_nGlobalRankNew, 3);

    ASSERT_TRUE(SignIn("alice"));
    const SteamLeaderboard_t board = FindBoard("laps", k_ELeaderboardSortMethodAscending);
    EXPECT_EQ(SteamUserStats()->GetLeaderboardEntryCount(board), 3);
    const std::vector<LeaderboardEntry_t> global = Download(board, k_ELeaderboardDataRequestGlobal, 1, 10);
    ASSERT_EQ(global.size(), 3u);
    const uint64_t order[3] = {ids[1], ids[0], ids[2]};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(global[i].m_steamIDUser, order[i]) << i;
        EXPECT_EQ(global[i].m_nGlobalRank, static_cast<int32_t>(i + 1));
    }
    EXPECT_EQ(global[0].m_nScore, 500);
    EXPECT_STREQ(SteamFriends()->GetFriendPersonaName(ids[1]), "bob");

    const std::vector<LeaderboardEntry_t> around = Download(board, k_ELeaderboardDataRequestGlobalAroundUser, 0, 1);
    ASSERT_EQ(around.size(), 2u);
    EXPECT_EQ(around[0].m_steamIDUser, ids[0]);
    EXPECT_EQ(around[0].m_nGlobalRank, 2);
    EXPECT_EQ(around[1].m_steamIDUser, ids[2]);

    const std::vector<LeaderboardEntry_t> friends = Download(board, k_ELeaderboardDataRequestFriends, 0, 0);
    ASSERT_EQ(friends.size(), 3u);
    EXPECT_EQ(friends[0].m_nGlobalRank, 1);
    EXPECT_EQ(friends[2].m_steamIDUser, ids[2]);

    const LeaderboardScoreUploaded_t better = Upload(board, 900);
    EXPECT_EQ(better.m_bScoreChanged, 1);
    EXPECT_EQ(better.m_nGlobalRankPrevious, 2);
    EXPECT_EQ(better.m_nGlobalRankNew, 1);
    EXPECT_EQ(Upload(board, 10, k_ELeaderboardUploadScoreMethodForceUpdate).m_nGlobalRankNew, 3);
}

TEST_F(StorefrontServerTest, CloudFilesAreEachPlayersOwn)
{
    ASSERT_TRUE(SignIn("alice"));
    const std::string save = "alice's save";
    EXPECT_TRUE(SteamRemoteStorage()->FileWrite("saves/slot1", save.data(), static_cast<int32_t>(save.size())));
    EXPECT_FALSE(SteamRemoteStorage()->FileWrite("../escape", "x", 1));
    ASSERT_TRUE(SignIn("bob"));
    EXPECT_FALSE(SteamRemoteStorage()->FileExists("saves/slot1"));
    EXPECT_TRUE(SteamRemoteStorage()->FileWrite("saves/slot1", "bob", 3));
    ASSERT_TRUE(SignIn("alice"));
    char bytes[64] = {};
    EXPECT_EQ(SteamRemoteStorage()->GetFileSize("saves/slot1"), static_cast<int32_t>(save.size()));
    EXPECT_EQ(SteamRemoteStorage()->FileRead("saves/slot1", bytes, sizeof bytes), static_cast<int32_t>(save.size()));
    EXPECT_EQ(std::string(bytes), save);
}

TEST_F(StorefrontServerTest, AnAccountCannotWriteAnotherPlayersKeys)
{
    ASSERT_TRUE(SignIn("alice"));
    EXPECT_TRUE(SteamRemoteStorage()->FileWrite("slot", "mine", 4));
    PlatformShutdown();
    LogCapture log;
    RedisConnection bob;
    OpenAccount(bob, "bob");
    for (const char* key : {"pendrel:user:alice:cloud", "pendrel:user:alice:stats", "pendrel:user:alice:record"})
        EXPECT_EQ(bob.Run({"HSET", key, "slot", "bob's"}), nullptr) << key;
    EXPECT_EQ(bob.Run({"DEL", "pendrel:user:alice:cloud"}), nullptr);
    EXPECT_EQ(bob.Run({"HSET", "pendrel:ids", "76561197960265729", "bob"}), nullptr);
    EXPECT_NE(log.Text().find("NOPERM"), std::string::npos) << log.Text();
    // Shared: leaderboards and lobbies.
    EXPECT_NE(bob.Run({"ZADD", "pendrel:board:scores:laps", "1", "2"}), nullptr);
    EXPECT_NE(bob.Run({"SET", "pendrel:lobby:1", "type\t2"}), nullptr);
    ASSERT_TRUE(SignIn("alice"));
    char bytes[8] = {};
    EXPECT_EQ(SteamRemoteStorage()->FileRead("slot", bytes, sizeof bytes), 4);
    EXPECT_STREQ(bytes, "mine");
}

TEST_F(StorefrontServerTest, ALostServerFailsCallsAndKeepsWhatItAcknowledged)
{
    ASSERT_TRUE(SignIn("alice"));
    StatsListener listener;
    const SteamLeaderboard_t board = FindBoard("laps", k_ELeaderboardSortMethodDescending);
    ASSERT_EQ(Upload(board, 40).m_bSuccess, 1);
    EXPECT_TRUE(SteamUserStats()->SetStat("kills", 7));
    EXPECT_TRUE(SteamUserStats()->StoreStats());
    EXPECT_TRUE(SteamRemoteStorage()->FileWrite("slot", "kept", 4));

    LogCapture log;
    server.Kill();
    EXPECT_TRUE(SteamUserStats()->SetStat("kills", 8));
    EXPECT_TRUE(SteamUserStats()->StoreStats());
    EXPECT_FALSE(SteamRemoteStorage()->FileWrite("slot", "lost", 4));
    EXPECT_EQ(Upload(board, 90).m_bSuccess, 0);
    bool failed = false;
    EXPECT_TRUE(Download(board, k_ELeaderboardDataRequestGlobal, 1, 10, &failed).empty());
    EXPECT_TRUE(failed);
    const auto created = Await<LobbyCreated_t>(SteamMatchmaking()->CreateLobby(k_ELobbyTypePublic, 4));
    EXPECT_EQ(created.result.m_eResult, k_EResultFail);
    SteamAPI_RunCallbacks();
    EXPECT_EQ(listener.results, (std::vector<int32_t>{k_EResultOK, k_EResultFail}));
    EXPECT_NE(log.Text().find("lost its server"), std::string::npos) << log.Text();

    ASSERT_TRUE(server.Restart());
    PlatformShutdown();
    ASSERT_TRUE(SignIn("alice"));
    int32_t kills = 0;
    EXPECT_TRUE(SteamUserStats()->GetStat("kills", &kills));
    EXPECT_EQ(kills, 7);
    char bytes[8] = {};
    EXPECT_EQ(SteamRemoteStorage()->FileRead("slot", bytes, sizeof bytes), 4);
    EXPECT_STREQ(bytes, "kept");
    const std::vector<LeaderboardEntry_t> global =
        Download(FindBoard("laps", k_ELeaderboardSortMethodDescending), k_ELeaderboardDataRequestGlobal, 1, 10);
    ASSERT_EQ(global.size(), 1u) << dir.ReadFile("redis.log");
    EXPECT_EQ(global[0].m_nScore, 40);
}
