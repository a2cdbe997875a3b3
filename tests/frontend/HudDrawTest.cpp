// The HUD's pieces drawn under the GL fixture: the pop-up's panels without a
// font, the upgrade pillars in their purchase state's frame, the leaderboard's
// rows with their texts.
#include "FrontendDrawTest.h"

#include "core/StringKeeper.h"
#include "frontend/LeaderBoard.h"
#include "frontend/PopUpWindow.h"
#include "frontend/UpgradeBar.h"
#include "frontend/UpgradePoint.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
class HudDrawTest : public FrontendDrawTest
{
protected:
    void WriteSolid(const std::string& name, uint8_t r, uint8_t g, uint8_t b)
    {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < 8 * 8; ++i)
            pixels.insert(pixels.end(), {b, g, r, 255});
        const std::vector<uint8_t> file = TgaWrite(pixels.data(), 8, 8, {});
        ASSERT_TRUE(m_dir.WriteFile("data/" + name, file.data(), file.size()));
        Mount();
    }

    bool IsColour(int x, int y, int r, int g, int b) const
    {
        const Rgba p = Pixel(x, y);
        return std::abs(p.r - r) < 40 && std::abs(p.g - g) < 40 && std::abs(p.b - b) < 40;
    }
};

TEST_F(HudDrawTest, PopUpPanelsDrawWithoutAFont)
{
    WriteSolid("ui/red.tga", 255, 0, 0);
    WriteSolid("ui/blue.tga", 0, 0, 255);
    PopUpWindow window;
    ASSERT_TRUE(window.TopImage.AddTexture("ui/red.tga"));
    ASSERT_TRUE(window.BottomImage.AddTexture("ui/blue.tga"));
    window.x = 32;
    window.y = 32;
    window.TopImage.width = 40;
    window.TopImage.height = 10;
    window.BottomImage.height = 10;
    window.SetDecription("A tip no font can show");
    window.Init();
    window.AutoAlignComponents();
    Clear();
    window.Render();
    Capture();
    EXPECT_EQ(LitIn(0, 0, kGLTestWidth, kGLTestHeight), 0) << "opens from nothing";

    for (int i = 0; i < 12; ++i)
        window.Update(1.0f / 30.0f);
    ASSERT_EQ(window.State, kPopUpRevealing);
    Clear();
    window.Render();
    Capture();
    // Top panel above the centre, bottom panel right under it: no middle.
    EXPECT_TRUE(IsColour(32, 27, 255, 0, 0));
    EXPECT_TRUE(IsColour(14, 27, 255, 0, 0));
    EXPECT_TRUE(IsColour(32, 35, 0, 0, 255));
    EXPECT_FALSE(Lit(32, 45));
    EXPECT_FALSE(Lit(8, 27));
}

TEST_F(HudDrawTest, PillarShowsTheFrameOfItsPurchaseState)
{
    const char* colours[4] = {"ui/s0.tga", "ui/s1.tga", "ui/s2.tga", "ui/s3.tga"};
    WriteSolid(colours[0], 255, 0, 0);
    WriteSolid(colours[1], 0, 255, 0);
    WriteSolid(colours[2], 0, 0, 255);
    WriteSolid(colours[3], 255, 255, 255);
    UpgradePoint point;
    for (const char* name : colours)
        ASSERT_TRUE(point.MiddleImage.AddTexture(name));
    point.MiddleImage.width = 16;
    point.MiddleImage.height = 16;
    point.TopImage.height = 0;
    point.StartAlpha = 255;
    point.EndAlpha = 255;
    point.PointImage.x = 24;
    point.PointImage.y = 24;
    point.Init();
    point.MiddleImage.Color.a = 255;
    struct Case
    {
        int32_t purchase;
        int r, g, b;
    };
    for (const Case& c : {Case{kPointBought, 255, 255, 255}, Case{kPointChosen, 0, 0, 255},
                          Case{kPointAffordable, 0, 255, 0}, Case{kPointNotAffordable, 255, 0, 0}})
    {
        point.SetPurchase(c.purchase);
        for (int i = 0; i < 7; ++i)
            point.Update(0.1f);
        Clear();
        point.Render();
        Capture();
        EXPECT_TRUE(IsColour(32, 32, c.r, c.g, c.b)) << c.purchase;
    }
}

// Rows one under another across the view, their columns in the test font.
void PlaceRows(LeaderBoard& board)
{
    for (int i = 0; i < LeaderBoard::kRows; ++i)
    {
        LeaderBoardElement& row = board.rows[size_t(i)];
        row.x = 0;
        row.y = 10 * i;
        row.width = 64;
        row.height = 10;
        for (LeaderBoardColumn* column : {&row.rank, &row.name, &row.score})
            column->fontPath = "fonts/Boxes.fnt";
    }
}

// The highlighted row is the player's own, or the one notice that there are
// no scores: a row shows its rank, name and score in every state.
TEST_F(HudDrawTest, LeaderBoardRowsShowTheirTextsInEveryState)
{
    WriteFont("fonts/Boxes", FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4));
    for (int32_t state : {kButtonUp, kButtonOver, kButtonDown, kButtonDisabled})
    {
        LeaderBoard board;
        PlaceRows(board);
        LeaderBoardElement& row = board.rows[0];
        row.rank.text = "1";
        row.name.text = "AB";
        row.score.text = "9";
        row.State = state;
        Clear();
        row.Render();
        Capture();
        // Columns start at a tenth, three tenths and eight tenths of the row.
        EXPECT_GT(LitIn(0, 0, 16, 10), 0) << "rank in state " << state;
        EXPECT_GT(LitIn(16, 0, 48, 10), 0) << "name in state " << state;
        EXPECT_GT(LitIn(48, 0, 64, 10), 0) << "score in state " << state;
        EXPECT_EQ(LitIn(0, 10, 64, 64), 0) << "within the row in state " << state;
    }
}

TEST_F(HudDrawTest, AnEmptyBoardShowsTheNoScoreNoticeOnItsHighlightedRow)
{
    WriteFont("fonts/Boxes", FontSolidBoxes("Boxes", 8, 33, 126, 3, 6, 4));
    GetStringKeeper().Add("sid_fe_lb_screen_noscore", "NONE");
    LeaderBoard board; // offline: the board has no entries
    board.SetElements(Button());
    board.SetUpMenu(1, 0);
    board.Update(0.0f);
    PlaceRows(board);
    GetStringKeeper().Clear();
    ASSERT_EQ(board.rows[0].name.text, "NONE");
    ASSERT_EQ(board.rows[0].State, kButtonOver) << "the notice's row is the current one";
    Clear();
    board.Render();
    Capture();
    EXPECT_GT(LitIn(16, 0, 48, 10), 12) << "the notice";
    EXPECT_EQ(LitIn(0, 10, 64, 64), 0) << "the other rows are empty";
}
} // namespace
