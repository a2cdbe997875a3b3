#include "core/StringKeeper.h"
#include "frontend/LeaderBoard.h"
#include "online/PlatformServices.h"
#include "online/storefront/StorefrontBoards.h"

#include "online/PlatformFolderTest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace
{
// The screen against the local storefront service, stepped as a game may
// step it: any number of times between two pumps of the service's callbacks.
struct StepCase
{
    int entries;          // on the board of level 3 (named "4")
    int updatesPerPump;   // screen steps between two pumps
    bool refreshOnOpen;   // the screen asks for its first block again when shown
};

void PrintTo(const StepCase& c, std::ostream* out)
{
    *out << c.entries << " entries, " << c.updatesPerPump << " steps a pump"
         << (c.refreshOnOpen ? ", refreshed on open" : "");
}

class LeaderBoardStorefrontTest : public PlatformFolderTest, public ::testing::WithParamInterface<StepCase>
{
protected:
    LeaderBoardStorefrontTest() : PlatformFolderTest("racer") {}

    void WriteBoard(int count)
    {
        ASSERT_TRUE(dir.MakeFolder("leaderboards"));
        BoardFile file;
        for (int i = 0; i < count; ++i)
            file.entries.push_back({10 * (i + 1), 1000 + static_cast<uint64_t>(i), "user" + std::to_string(i)});
        ASSERT_TRUE(BoardWrite(dir.PathOf("leaderboards/4").c_str(), file));
    }

    // Frames until the screen stops waiting; a few suffice when it works.
    bool StepUntilShown(int updatesPerPump)
    {
        for (int frame = 0; frame < 50 && board.Waiting; ++frame)
        {
            for (int i = 0; i < updatesPerPump; ++i)
                board.Update(0.0f);
            PlatformRunCallbacks();
        }
        return board.Waiting == 0;
    }

    LeaderBoard board;
};

TEST_P(LeaderBoardStorefrontTest, RowsShowOnceTheServiceAnswers)
{
    const StepCase c = GetParam();
    ASSERT_TRUE(PlatformInit());
    WriteBoard(c.entries);
    board.SetElements(Button());
    board.SetUpMenu(3, 0);
    // Shown a little later, as a menu opens it.
    PlatformRunCallbacks();
    PlatformRunCallbacks();
    if (c.refreshOnOpen)
        board.Input(kLeaderBoardRefresh);
    ASSERT_TRUE(StepUntilShown(c.updatesPerPump));
    if (c.entries == 0)
    {
        const char* text = StringKeeperGetString("sid_fe_lb_screen_noscore");
        EXPECT_EQ(board.rows[0].name.text, text ? text : "sid_fe_lb_screen_noscore");
        return;
    }
    EXPECT_EQ(board.m_MaxNumberOfRecords, c.entries);
    EXPECT_EQ(board.rows[0].rank.text, "1");
    EXPECT_EQ(board.rows[0].score.text, "10");
    EXPECT_EQ(board.rows[size_t(c.entries - 1)].rank.text, std::to_string(c.entries));
}

INSTANTIATE_TEST_SUITE_P(Steps, LeaderBoardStorefrontTest,
                         ::testing::Values(StepCase{5, 1, true}, StepCase{5, 2, true}, StepCase{5, 3, true},
                                           StepCase{5, 2, false}, StepCase{0, 2, true}, StepCase{0, 1, true}));
} // namespace
