#include "online/LeaderboardFacade.h"
#include "online/PlatformServices.h"
#include "online/SteamLeaderboards.h"
#include "online/storefront/SteamInterfaces.h"
#include "online/storefront/StorefrontBoards.h"

#include "PlatformFolderTest.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
class LeaderboardsTest : public PlatformFolderTest
{
protected:
    LeaderboardsTest() : PlatformFolderTest("racer") {}

    std::string BoardPath(const char* name) const { return dir.PathOf(std::string("leaderboards/") + name); }
    // Frames until the condition holds; everything completes within a few.
    bool PumpUntil(const std::function<bool()>& done)
    {
        for (int frame = 0; frame < 50; ++frame)
        {
            if (done())
                return true;
            PlatformRunCallbacks();
        }
        return done();
    }
    // A board of `count` other users, scores 10, 20, 30, ...
    void WriteBoard(const char* name, int count)
    {
        BoardFile board;
        for (int i = 0; i < count; ++i)
            board.entries.push_back({10 * (i + 1), 1000 + static_cast<uint64_t>(i), "user" + std::to_string(i)});
        ASSERT_TRUE(dir.MakeFolder("leaderboards"));
        ASSERT_TRUE(BoardWrite(BoardPath(name).c_str(), board));
    }
    CSteamLeaderboards& FoundBoard(const char* name)
    {
        LeaderboardsCreate();
        CSteamLeaderboards& object = *GetSteamLeaderboards();
        object.FindLeaderboard(name);
        EXPECT_TRUE(PumpUntil([&] { return !object.IsFinding(); }));
        return object;
    }
    int WaitForAsync(int mode)
    {
        int result = 1;
        PumpUntil([&] { return (result = LeaderboardsWaitForAsync(mode)) != 1; });
        return result;
    }
    std::vector<int32_t> Scores(const char* name)
    {
        BoardFile board;
        EXPECT_TRUE(BoardRead(BoardPath(name).c_str(), board));
        std::vector<int32_t> scores;
        for (const BoardEntry& entry : board.entries)
            scores.push_back(entry.score);
        return scores;
    }
};

struct PostCase
{
    int32_t sort;
    std::vector<std::pair<uint64_t, int32_t>> posts; // (user, score), keep best
    std::vector<std::pair<uint64_t, int32_t>> board; // best first
};

class BoardPostTest : public ::testing::TestWithParam<PostCase>
{
};
} // namespace

TEST_P(BoardPostTest, KeepsEachUsersBestInOrder)
{
    TempDir dir;
    const std::string path = dir.PathOf("board");
    ASSERT_TRUE(BoardCreate(path.c_str(), GetParam().sort));
    for (const auto& [user, score] : GetParam().posts)
    {
        BoardPostResult result;
        ASSERT_TRUE(BoardPostScore(path.c_str(), user, ("u" + std::to_string(user)).c_str(), score, true, result));
    }
    BoardFile board;
    ASSERT_TRUE(BoardRead(path.c_str(), board));
    std::vector<std::pair<uint64_t, int32_t>> got;
    for (const BoardEntry& entry : board.entries)
        got.push_back({entry.user, entry.score});
    EXPECT_EQ(got, GetParam().board);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, BoardPostTest,
    ::testing::Values(PostCase{1, {{1, 50}, {2, 30}, {3, 40}}, {{2, 30}, {3, 40}, {1, 50}}},
                      PostCase{2, {{1, 50}, {2, 30}, {3, 40}}, {{1, 50}, {3, 40}, {2, 30}}},
                      // a worse score leaves the best; a better one moves the user
                      PostCase{1, {{1, 50}, {2, 30}, {1, 60}, {1, 20}}, {{1, 20}, {2, 30}}},
                      // equal scores: who reached it first stays ahead
                      PostCase{1, {{1, 30}, {2, 30}, {3, 30}, {1, 30}}, {{1, 30}, {2, 30}, {3, 30}}},
                      PostCase{1, {{1, INT32_MIN}, {2, INT32_MAX}}, {{1, INT32_MIN}, {2, INT32_MAX}}}));

TEST(BoardFileTest, DamagedLinesAreSkippedAndOthersRefused)
{
    TempDir dir;
    LogCapture log;
    ASSERT_TRUE(dir.WriteFile("board", "board\t1\n5\t77\tann\nx\t1\tbad\n9\t0\tzero id\n99999999999\t2\tbig\n7\t78\tbob"));
    BoardFile board;
    ASSERT_TRUE(BoardRead(dir.PathOf("board").c_str(), board));
    ASSERT_EQ(board.entries.size(), 2u);
    EXPECT_EQ(board.entries[1].persona, "bob");
    EXPECT_TRUE(log.Contains("3 bad lines"));
    ASSERT_TRUE(dir.WriteFile("other", "not a board\n"));
    EXPECT_FALSE(BoardRead(dir.PathOf("other").c_str(), board));
    EXPECT_FALSE(BoardRead(dir.PathOf("missing").c_str(), board));
}

TEST(BoardFileTest, NamesAreFileNames)
{
    for (const char* name : {"1", "Level 12", "a.b"})
        EXPECT_TRUE(IsBoardName(name)) << name;
    for (const char* name : {"", ".", "..", "a/b", "../1", "a\nb", "a\\b", "1.lock", "1.77-3.tmp"})
        EXPECT_FALSE(IsBoardName(name)) << name;
}

// Processes posting to one board at once keep every user's best.
TEST(BoardFileTest, ProcessesPostingAtOnceKeepEveryBest)
{
    TempDir dir;
    const std::string path = dir.PathOf("board");
    ASSERT_TRUE(BoardCreate(path.c_str(), 1));
    constexpr int kProcesses = 3;
    constexpr int kUsersEach = 10;
    constexpr int kPostsEach = 60;
    int gate[2];
    ASSERT_EQ(pipe(gate), 0);
    std::map<uint64_t, int32_t> best;
    std::vector<pid_t> children;
    for (int process = 0; process < kProcesses; ++process)
    {
        std::mt19937 random(100 + process);
        std::vector<std::pair<uint64_t, int32_t>> posts;
        for (int post = 0; post < kPostsEach; ++post)
        {
            const uint64_t user = 1 + process * kUsersEach + static_cast<uint64_t>(post % kUsersEach);
            const int32_t score = std::uniform_int_distribution<int32_t>(0, 100000)(random);
            posts.push_back({user, score});
            if (!best.count(user) || score < best[user])
                best[user] = score;
        }
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            close(gate[1]);
            char released;
            // Every child starts when the parent closes the gate's other end.
            while (read(gate[0], &released, 1) > 0)
            {
            }
            bool ok = true;
            for (const auto& [user, score] : posts)
            {
                BoardPostResult result;
                ok = BoardPostScore(path.c_str(), user, "p", score, true, result) && ok;
            }
            _exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    close(gate[0]);
    close(gate[1]);
    for (pid_t child : children)
    {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    BoardFile board;
    ASSERT_TRUE(BoardRead(path.c_str(), board));
    std::map<uint64_t, int32_t> kept;
    for (size_t i = 0; i < board.entries.size(); ++i)
    {
        kept[board.entries[i].user] = board.entries[i].score;
        if (i > 0)
        {
            EXPECT_LE(board.entries[i - 1].score, board.entries[i].score);
        }
    }
    EXPECT_EQ(kept, best);
    EXPECT_EQ(board.entries.size(), best.size());
}

TEST_F(LeaderboardsTest, OfflineEverythingAnswersItsOfflineValue)
{
    setenv("PENDREL_PLATFORM", "off", 1);
    ASSERT_FALSE(PlatformInit());
    LeaderboardsCreate();
    EXPECT_EQ(GetSteamLeaderboards(), nullptr);
    int count = 7;
    LeaderboardRow rows[2];
    EXPECT_EQ(LeaderboardsDownloadState(), -1);
    EXPECT_EQ(LeaderboardsEntryCount(), 0);
    EXPECT_EQ(LeaderboardsTotalScores(), 1);
    EXPECT_EQ(LeaderboardsGetEntries(0, 2, &count, rows, 1, 1), 0);
    EXPECT_EQ(count, 7);
    EXPECT_EQ(LeaderboardsWaitForAsync(0), -1);
    EXPECT_EQ(LeaderboardsCheckIfOnline(), 3);
    LeaderboardsRecordScore(5, 0);
    LeaderboardsFindForLevel(0);
    EXPECT_FALSE(dir.Exists("leaderboards/1"));
}

TEST_F(LeaderboardsTest, FacadeFunctionsMakeTheObject)
{
    ASSERT_TRUE(PlatformInit());
    EXPECT_EQ(GetSteamLeaderboards(), nullptr);
    LeaderboardsFindForLevel(4);
    ASSERT_NE(GetSteamLeaderboards(), nullptr);
    EXPECT_TRUE(PumpUntil([] { return !GetSteamLeaderboards()->IsFinding(); }));
    EXPECT_STREQ(SteamUserStats()->GetLeaderboardName(GetSteamLeaderboards()->CurrentBoard()), "5");
    EXPECT_TRUE(dir.Exists("leaderboards/5"));
}

TEST_F(LeaderboardsTest, ADownloadOf1500EntriesKeeps1000)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 1500);
    CSteamLeaderboards& object = FoundBoard("1");
    EXPECT_EQ(object.GetTotalNumberOfScore(), 1500);
    ASSERT_TRUE(object.DownloadMyFriendsScores());
    LeaderboardRow row;
    EXPECT_FALSE(object.GetMyFriendsScores(0, row));
    ASSERT_TRUE(PumpUntil([&] { return object.IsDownloadScoresDone(kDownloadFriends); }));
    EXPECT_EQ(object.DownloadedCount(), CSteamLeaderboards::kMaxEntries);
    ASSERT_TRUE(object.GetMyFriendsScores(999, row));
    EXPECT_EQ(row.rank, 1000);
    EXPECT_EQ(row.score, 10000);
    EXPECT_STREQ(row.name, "user999");
    for (int index : {-1, 1000, 5000})
        EXPECT_FALSE(object.GetMyFriendsScores(index, row)) << index;
}

TEST_F(LeaderboardsTest, GlobalDownloadsTakeTheirRankRange)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 30);
    CSteamLeaderboards& object = FoundBoard("1");
    EXPECT_FALSE(object.IsDownloadScoresDone(7));
    ASSERT_TRUE(object.DownloadGlobalScores(11, 5));
    ASSERT_TRUE(PumpUntil([&] { return object.IsDownloadScoresDone(kDownloadGlobal); }));
    ASSERT_EQ(object.DownloadedCount(), 6);
    LeaderboardRow first, last;
    ASSERT_TRUE(object.GetGlobalScores(0, first));
    ASSERT_TRUE(object.GetGlobalScores(5, last));
    EXPECT_EQ(first.rank, 11);
    EXPECT_EQ(last.rank, 16);
    EXPECT_EQ(last.score, 160);
}

TEST_F(LeaderboardsTest, RankRangesBeyondTheIntRangeSaturate)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 30);
    CSteamLeaderboards& object = FoundBoard("1");
    ASSERT_TRUE(object.DownloadGlobalScores(2147483647, 5));
    ASSERT_TRUE(PumpUntil([&] { return object.IsDownloadScoresDone(kDownloadGlobal); }));
    EXPECT_EQ(object.DownloadedCount(), 0);
    ASSERT_TRUE(object.DownloadMyScores(-2147483647 - 1, 2));
    ASSERT_TRUE(PumpUntil([&] { return object.IsDownloadScoresDone(kDownloadAroundUser); }));
}

TEST_F(LeaderboardsTest, ABlockOf101RowsFillsATableOf100)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 150);
    LeaderboardsCreate();
    PumpUntil([] { return false; });
    int count = 0;
    std::vector<LeaderboardRow> rows(100);
    ASSERT_EQ(LeaderboardsGetEntries(0, 100, &count, rows.data(), 0, 1), 1);
    ASSERT_EQ(WaitForAsync(0), 0);
    EXPECT_EQ(GetSteamLeaderboards()->DownloadedCount(), 101);
    ASSERT_EQ(LeaderboardsGetEntries(0, 100, &count, rows.data(), 1, 1), 1);
    EXPECT_EQ(count, 100);
    EXPECT_EQ(rows[99].rank, 100);
    EXPECT_EQ(rows[99].score, 1000);
    EXPECT_EQ(LeaderboardsTotalScores(), 150);
}

TEST_F(LeaderboardsTest, DownloadStateAlternatesAndAsksForThePlayersPlace)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 5);
    CSteamLeaderboards& object = FoundBoard("1");
    EXPECT_EQ(LeaderboardsDownloadState(), 1);
    EXPECT_EQ(LeaderboardsDownloadState(), -1);
    EXPECT_EQ(LeaderboardsEntryCount(), 0);
    // Once the player is on the board, the around-user download tells its place.
    BoardPostResult posted;
    ASSERT_TRUE(BoardPostScore(BoardPath("1").c_str(), SteamUser()->GetSteamID(), "racer", 25, true, posted));
    ASSERT_TRUE(object.DownloadMyScores(2, 2));
    EXPECT_EQ(LeaderboardsDownloadState(), 1);
    ASSERT_TRUE(PumpUntil([&] { return object.IsDownloadScoresDone(kDownloadAroundUser); }));
    EXPECT_EQ(object.DownloadedCount(), 5);
    EXPECT_EQ(LeaderboardsEntryCount(), 3);
    EXPECT_EQ(LeaderboardsDownloadState(), 1);
    EXPECT_EQ(LeaderboardsDownloadState(), 0);
    LeaderboardRow mine;
    ASSERT_TRUE(object.GetMyScore(2, mine));
    EXPECT_STREQ(mine.name, "racer");
}

TEST_F(LeaderboardsTest, RecordedScoresReachTheirBoardsAndOutliveARestart)
{
    ASSERT_TRUE(PlatformInit());
    // While a find runs, both records wait, and the last goes first.
    LeaderboardsFindForLevel(9);
    LeaderboardsRecordScore(500, 0);
    LeaderboardsRecordScore(300, 2);
    EXPECT_EQ(LeaderboardsQueuedScoreCount(), 2);
    EXPECT_EQ(LeaderboardsWaitForAsync(1), 1);
    EXPECT_EQ(WaitForAsync(1), 0);
    EXPECT_EQ(LeaderboardsQueuedScoreCount(), 1);
    ASSERT_TRUE(PumpUntil([] { return !GetSteamLeaderboards()->IsFinding(); }));
    EXPECT_STREQ(SteamUserStats()->GetLeaderboardName(GetSteamLeaderboards()->CurrentBoard()), "3");
    EXPECT_EQ(LeaderboardsWaitForAsync(1), 0);
    EXPECT_EQ(LeaderboardsQueuedScoreCount(), 0);
    ASSERT_TRUE(PumpUntil([] {
        LeaderboardsWaitForAsync(2);
        return GetSteamLeaderboards()->PendingUploadCount() == 0;
    }));
    PlatformRunCallbacks();
    EXPECT_EQ(Scores("1"), std::vector<int32_t>{500});
    EXPECT_EQ(Scores("3"), std::vector<int32_t>{300});
    // A worse time keeps the best; a better one replaces it.
    LeaderboardsRecordScore(700, 0);
    ASSERT_TRUE(PumpUntil([] { return LeaderboardsWaitForAsync(2) && GetSteamLeaderboards()->PendingUploadCount() == 0; }));
    LeaderboardsRecordScore(200, 0);
    ASSERT_TRUE(PumpUntil([] { return LeaderboardsWaitForAsync(2) && GetSteamLeaderboards()->PendingUploadCount() == 0; }));
    PlatformShutdown();
    ASSERT_TRUE(PlatformInit());
    EXPECT_EQ(Scores("1"), std::vector<int32_t>{200});
    CSteamLeaderboards& object = FoundBoard("1");
    EXPECT_EQ(object.GetTotalNumberOfScore(), 1);
}

TEST_F(LeaderboardsTest, AScoreWaitsUntilItsBoardIsFound)
{
    ASSERT_TRUE(PlatformInit());
    CSteamLeaderboards& object = FoundBoard("1");
    object.UploadScore("7", 42);
    object.UploadScore("8", 43);
    object.UpdateLeaderboard();
    EXPECT_EQ(object.PendingUploadCount(), 2);
    PlatformRunCallbacks();
    object.UpdateLeaderboard();
    EXPECT_EQ(object.PendingUploadCount(), 0);
    PlatformRunCallbacks();
    EXPECT_EQ(Scores("7"), std::vector<int32_t>{42});
    EXPECT_EQ(Scores("8"), std::vector<int32_t>{43});
}

TEST_F(LeaderboardsTest, ADestroyedObjectHearsNoMore)
{
    ASSERT_TRUE(PlatformInit());
    WriteBoard("1", 3);
    CSteamLeaderboards& object = FoundBoard("1");
    object.DownloadGlobalScores(1, 3);
    object.UploadScore("1", 5);
    object.FindLeaderboard("2");
    LeaderboardsCleanUp();
    EXPECT_EQ(GetSteamLeaderboards(), nullptr);
    PlatformRunCallbacks();
    PlatformRunCallbacks();
    EXPECT_EQ(Scores("1").size(), 3u);
}

TEST_F(LeaderboardsTest, BadBoardNamesAreNotFound)
{
    ASSERT_TRUE(PlatformInit());
    LeaderboardsCreate();
    CSteamLeaderboards& object = *GetSteamLeaderboards();
    object.FindLeaderboard("../escape");
    EXPECT_TRUE(object.IsFinding());
    PumpUntil([] { return false; });
    EXPECT_FALSE(object.IsFinding());
    EXPECT_EQ(object.CurrentBoard(), 0u);
    EXPECT_FALSE(object.DownloadGlobalScores(1, 10));
    EXPECT_FALSE(dir.Exists("escape"));
}
