#include "core/StringKeeper.h"
#include "frontend/LeaderBoard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
std::string NoScoreText()
{
    const char* text = StringKeeperGetString("sid_fe_lb_screen_noscore");
    return text ? text : "sid_fe_lb_screen_noscore";
}

// A board of `total` entries; entry n (from 1) has rank n and score 10 x n.
class FakeLeaderboards final : public LeaderboardService
{
public:
    void FindForLevel(int) override { ++finds; }
    int DownloadState() override { return downloadState; }
    int EntryCount() override { return playerPosition; }
    int GetEntries(int, int count, int* outCount, LeaderboardRow* rows, int mode, int start) override
    {
        if (mode == 0)
        {
            starts.push_back(start);
            return 1;
        }
        const int first = starts.empty() ? 1 : starts.back();
        const int copied = std::max(0, std::min(count, total - (first - 1)));
        for (int i = 0; i < copied; ++i)
        {
            rows[i] = LeaderboardRow();
            rows[i].rank = first + i;
            rows[i].score = scoreOf(first + i);
            std::snprintf(rows[i].name, sizeof(rows[i].name), "P%d", first + i);
        }
        *outCount = copied;
        return 1;
    }
    int WaitForAsync(int) override { return blockState; }
    int TotalScores() override { return total; }

    int total = 0;
    int downloadState = -1;
    int blockState = 0;
    int playerPosition = 0;
    int finds = 0;
    int (*scoreOf)(int) = [](int n) { return 10 * n; };
    std::vector<int> starts;
};

class LeaderBoardTest : public ::testing::Test
{
protected:
    void Open(int total, int timeFormat = 0)
    {
        fake.total = total;
        board.SetElements(Button());
        board.SetUpMenu(3, timeFormat);
        board.Update(0.0f);
    }

    int FilledRows() const
    {
        int filled = 0;
        for (const LeaderBoardElement& row : board.rows)
            filled += row.rank.text.empty() ? 0 : 1;
        return filled;
    }

    void Down(int times)
    {
        for (int i = 0; i < times; ++i)
            board.Input(kLeaderBoardDown);
    }

    FakeLeaderboards fake;
    LeaderBoard board{fake};
};

TEST_F(LeaderBoardTest, ThirtyFiveEntriesGiveFourPagesWithFiveOnTheLast)
{
    Open(35);
    EXPECT_EQ(board.Waiting, 0);
    EXPECT_EQ(board.MaxPage, 4);
    EXPECT_EQ(board.m_MaxNumberOfRecords, 35);
    EXPECT_EQ(board.MaxPagesForwholeboard, 4);
    EXPECT_EQ(fake.starts, std::vector<int>{1});
    EXPECT_EQ(FilledRows(), 10);
    EXPECT_EQ(board.rows[0].name.text, "P1");
    Down(30);
    EXPECT_EQ(board.CurrentPage, 3);
    EXPECT_EQ(FilledRows(), 5);
    EXPECT_EQ(board.rows[4].rank.text, "35");
    EXPECT_EQ(board.CurrentRow(), 0);
    Down(10);
    EXPECT_EQ(board.CurrentRow(), 4) << "stops on the board's last entry";
    EXPECT_EQ(board.Input(kLeaderBoardDown), 0);
    EXPECT_EQ(fake.starts.size(), 1u);
}

TEST_F(LeaderBoardTest, EmptyBoardShowsTheNoScoreRow)
{
    Open(0);
    EXPECT_EQ(board.Waiting, 0);
    EXPECT_EQ(board.MaxPage, 1);
    EXPECT_EQ(board.m_MaxNumberOfRecords, 0);
    EXPECT_EQ(board.rows[0].name.text, NoScoreText());
    EXPECT_EQ(board.Input(kLeaderBoardDown), 0);
    EXPECT_EQ(board.CurrentRow(), 0);
}

TEST_F(LeaderBoardTest, FailedBlockShowsTheNoScoreRow)
{
    fake.blockState = -1;
    Open(50);
    EXPECT_EQ(board.Waiting, 0);
    EXPECT_EQ(board.MaxPage, 1);
    EXPECT_EQ(board.rows[0].name.text, NoScoreText());
}

TEST_F(LeaderBoardTest, PagingPastABlockFetchesTheNeighbouringBlocks)
{
    Open(250);
    Down(99);
    EXPECT_EQ(board.CurrentPage, 9);
    EXPECT_EQ(board.CurrentRow(), 9);
    EXPECT_EQ(board.Input(kLeaderBoardDown), 0);
    EXPECT_EQ(fake.starts.back(), 101);
    EXPECT_EQ(board.Waiting, 1);
    board.Update(0.0f);
    EXPECT_EQ(board.CurrentSection, 1);
    EXPECT_EQ(board.rows[0].rank.text, "101");
    EXPECT_EQ(board.CurrentPage, 0);

    EXPECT_EQ(board.Input(kLeaderBoardUp), 0);
    EXPECT_EQ(fake.starts.back(), 1);
    board.Update(0.0f);
    EXPECT_EQ(board.CurrentSection, 0);
    EXPECT_EQ(board.rows[0].rank.text, "1");
    EXPECT_EQ(board.Input(kLeaderBoardUp), 0);
    EXPECT_EQ(fake.starts.back(), 1);
}

TEST_F(LeaderBoardTest, ScoresPrintAsNumbersOrTimes)
{
    struct Case
    {
        int timeFormat;
        int score;
        const char* printed;
    };
    for (const Case& c : {Case{1, 125, "02:05:00"}, Case{1, 59, "00:59:00"}, Case{1, 3600, "60:00:00"},
                          Case{0, 125, "125"}, Case{0, -7, "-7"}})
    {
        FakeLeaderboards fakeBoard;
        static int score;
        score = c.score;
        fakeBoard.scoreOf = [](int) { return score; };
        fakeBoard.total = 1;
        LeaderBoard screen(fakeBoard);
        screen.SetElements(Button());
        screen.SetUpMenu(0, c.timeFormat);
        screen.Update(0.0f);
        EXPECT_EQ(screen.rows[0].score.text, c.printed) << c.score;
    }
}

TEST_F(LeaderBoardTest, PlayerOnTheBoardOpensOnTheirPage)
{
    fake.downloadState = 0;
    fake.playerPosition = 137;
    Open(250);
    EXPECT_EQ(fake.starts, std::vector<int>{101});
    EXPECT_EQ(board.OnBoard, 1);
    EXPECT_EQ(board.CurrentSection, 1);
    EXPECT_EQ(board.CurrentPage, 3);
    EXPECT_EQ(board.CurrentRow(), 6);
    EXPECT_EQ(board.rows[6].rank.text, "137");
}

TEST_F(LeaderBoardTest, WaitsWhileTheDownloadIsBusy)
{
    fake.blockState = 1;
    Open(20);
    EXPECT_EQ(board.Waiting, 1);
    EXPECT_TRUE(board.rows[0].rank.text.empty());
    fake.blockState = 0;
    board.Update(0.0f);
    EXPECT_EQ(board.Waiting, 0);
    EXPECT_EQ(board.rows[0].rank.text, "1");
}

// Whatever a script writes into the paging fields, the board shows rows of
// its own entries, keeps its selection on a row it has, and pages as before
// once the fields are sane again.
TEST_F(LeaderBoardTest, ScriptWrittenPagingFieldsStayInsideTheTables)
{
    Open(100);
    for (int perPage : {0, -3, 50})
        for (int page : {-5, 0, 99, 1000})
        {
            board.ButtonsPerPage = perPage;
            board.CurrentPage = page;
            board.MaxPage = page;
            for (int code : {kLeaderBoardDown, kLeaderBoardUp, kLeaderBoardDown})
                board.Input(code);
            board.Update(0.0f);
            board.Render();
            EXPECT_GE(board.CurrentRow(), 0) << perPage << " " << page;
            EXPECT_LT(board.CurrentRow(), LeaderBoard::kRows) << perPage << " " << page;
            for (const LeaderBoardElement& row : board.rows)
                if (!row.rank.text.empty())
                {
                    const int rank = std::atoi(row.rank.text.c_str());
                    EXPECT_TRUE(rank >= 1 && rank <= 100) << row.rank.text << " at " << perPage << " " << page;
                }
        }
    board.ButtonsPerPage = 10;
    board.CurrentPage = 0;
    board.MaxPage = 10;
    fake.starts.clear();
    Open(100);
    EXPECT_EQ(board.rows[0].rank.text, "1");
    Down(15);
    EXPECT_EQ(board.CurrentPage, 1);
    EXPECT_EQ(board.CurrentRow(), 5);
    EXPECT_EQ(board.rows[5].rank.text, "16");
}
} // namespace
