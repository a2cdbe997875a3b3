#include "frontend/ElementScriptAPI.h"
#include "frontend/FrontendScriptAPI.h"
#include "tests/script/ScriptTestFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
class HudScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }
    void TearDown() override
    {
        ElementScriptReleaseHolds();
        ScriptTest::TearDown();
    }
};

// Points and bars made inside a function: only the menu's holds keep them.
const char* const kUpgradeScript = R"(
menu <- UpgradeMenu();
function AddBar(costs)
{
    local bar = UpgradeBar();
    bar.Icon.width = 8;
    foreach (cost in costs)
    {
        local point = UpgradePoint();
        point.Cost = cost;
        point.PointImage.width = 10;
        point.MiddleImage.height = 20;
        bar.AddPoint(point);
    }
    menu.AddBar(bar);
}
)";

TEST_F(HudScriptAPITest, UpgradeMenuIsBuiltAndDrivenFromScript)
{
    Run(kUpgradeScript);
    Run("menu.SelectedImage.height = 40; AddBar([2, 3, 5]); AddBar([4]); collectgarbage();"
        "menu.Update(0.033); menu.ReCalculateAvailablePoints(6); menu.Input(1);"
        "pending <- menu.CheckIfThereAreAnyPoints(); left <- menu.UnSpentPoints;"
        "menu.Input(3); for (local i = 0; i < 5; i += 1) menu.Update(0.033); menu.Render();"
        "selected <- menu.CurrentlySelected; menu.Input(5); after <- menu.UnSpentPoints;");
    EXPECT_EQ(GlobalInt("pending"), 1) << Reports();
    EXPECT_EQ(GlobalInt("left"), 4);
    EXPECT_EQ(GlobalInt("selected"), 1);
    EXPECT_EQ(GlobalInt("after"), 6);
}

TEST_F(HudScriptAPITest, AddingChecksTheClassOfWhatIsAdded)
{
    Run(kUpgradeScript);
    for (const char* code : {"menu.AddBar(UpgradePoint());", "menu.AddBar(Sprite());", "UpgradeBar().AddPoint(menu);",
                             "UpgradeBar().AddPoint(UpgradeBar());"})
    {
        ClearReports();
        Run(std::string(code) + " reached <- 1;");
        EXPECT_TRUE(ReportsContain("is not an instance of Upgrade")) << code << "\n" << Reports();
    }
    EXPECT_FALSE(HasGlobal("reached"));
    // Nothing was added: the menu's layout and steps have no bar to touch.
    Run("menu.SelectedImage.height = 40; menu.Update(0.033); menu.Input(3); menu.Render(); first <- menu.FirstAlign;");
    EXPECT_EQ(GlobalInt("first"), 1);
}

TEST_F(HudScriptAPITest, PopUpWindowRunsItsTimelineFromScript)
{
    Run("w <- PopUpWindow(); w.x = 100; w.y = 100; w.TopImage.width = 120; w.TopImage.height = 10;"
        "w.SetDecription(\"Breathe}fire\"); w.SetFont(\"fonts/none.fnt\"); w.Init(); w.AutoAlignComponents();"
        "states <- []; for (local i = 0; i < 150; i += 1) { w.Update(1.0 / 30.0); states.append(w.State); }"
        "w.Render(); opened <- states[0]; closed <- w.State; w.Cancel = 1; real <- w.RealWidth;");
    EXPECT_EQ(GlobalInt("opened"), 0) << Reports();
    EXPECT_EQ(GlobalInt("closed"), -1);
    EXPECT_EQ(GlobalFloat("real"), 120.0f);
}

TEST_F(HudScriptAPITest, PlayerPanelLaysOutFromScript)
{
    Run("p <- PlayerInfo(); p.x = 200; p.y = 100; p.DragonIcon.width = 64; p.DragonIcon.height = 64;"
        "p.SetScore(\"1250\"); p.SetPlayerName(\"Ember\"); p.AutoAlignComponents(0); p.Update(0.1); p.Render();"
        "tx <- p.TextPosition.x; cap <- p.FireBarFrontCap.x; alpha <- p.ScoreMultiplerImage.Color.a;");
    EXPECT_NEAR(GlobalFloat("tx"), 276.8f, 0.01f) << Reports();
    EXPECT_EQ(GlobalInt("cap"), 264);
    EXPECT_EQ(GlobalInt("alpha"), 255);
}
TEST_F(HudScriptAPITest, LeaderBoardOpensOfflineOnTheNoScoreRow)
{
    Run("lb <- LeaderBoard(); lb.SetElements(Button()); lb.SetUpMenu(2, 1); lb.Init();"
        "for (local i = 0; i < 5; i += 1) lb.Update(0.033); lb.Input(3); lb.Render();"
        "waiting <- lb.Waiting; pages <- lb.MaxPage; rows <- lb.m_MaxNumberOfRecords; menuY <- lb.Menu.y;");
    EXPECT_EQ(GlobalInt("waiting"), 0) << Reports();
    EXPECT_EQ(GlobalInt("pages"), 1);
    EXPECT_EQ(GlobalInt("rows"), 0);
    EXPECT_EQ(GlobalInt("menuY"), 0);
}
} // namespace
