#include "frontend/ElementScriptAPI.h"
#include "frontend/Button.h"
#include "frontend/ButtonManager.h"
#include "frontend/FrontendScriptAPI.h"
#include "frontend/LoadingScreen.h"
#include "frontend/PlayerInfo.h"
#include "tests/script/ScriptTestFixture.h"

#include <gtest/gtest.h>

namespace
{
class ElementScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }
    void SetUp() override
    {
        ScriptTest::SetUp();
        m_liveBefore = GetButtonManager().Live().size();
    }
    void TearDown() override
    {
        GetLoadingScreen().Clear();
        ElementScriptReleaseHolds();
        ScriptTest::TearDown();
        EXPECT_EQ(GetButtonManager().Live().size(), m_liveBefore) << "every script button was freed";
    }

    size_t LiveButtons() const { return GetButtonManager().Live().size() - m_liveBefore; }

    // A new widget `w` of the class: its `Text` views the font it draws
    // with, and a font assigned to the view lands there.
    template <class Widget> Widget* ExpectTextViewsTheFont(const char* widgetClass)
    {
        Run(std::string("w <- ") + widgetClass + "();" + R"(
isText <- (w.Text instanceof BasicText) ? 1 : 0;
width <- w.Text.GetStringLength("abc");
w.Text = BasicText("fonts/menu.fnt");
)");
        EXPECT_EQ(GlobalInt("isText"), 1) << widgetClass << "\n" << Reports();
        EXPECT_EQ(GlobalInt("width"), 0) << "no font without a display";
        Widget* widget = GlobalObject<Widget>("w");
        if (!widget)
            return nullptr;
        EXPECT_STREQ(widget->Text.name.c_str(), "fonts/menu.fnt") << "assigned through the view";
        Run("try { w.Text = Vec2(1, 2); } catch (e) {}");
        EXPECT_STREQ(widget->Text.name.c_str(), "fonts/menu.fnt") << "only a font is assigned";
        return widget;
    }

    void ExpectTheTextKeepsItsWidgetAlive()
    {
        Run("local text = w.Text; w = null; afterwards <- text.GetStringLength(\"abc\");");
        EXPECT_EQ(GlobalInt("afterwards"), 0) << "the view kept its widget alive: " << Reports();
    }

    size_t m_liveBefore = 0;
};

const char* const kMenuScript = R"(
menu <- Menu();
function AddButtons(count)
{
    for (local i = 0; i < count; i += 1)
    {
        local b = Button();
        b.ID = 10 + i;
        b.UpImage.width = 30;
        b.UpImage.height = 12;
        b.SetName("b" + i);
        menu.AddButton(b);
    }
}
)";

TEST_F(ElementScriptAPITest, MenuIsBuiltAndDrivenFromScript)
{
    Run(kMenuScript);
    Run("AddButtons(3); menu.x = 5; menu.y = 100; menu.AutoAlignButtons(1);"
        "moved <- menu.Input(3); menu.Update(0.1); id <- menu.ID; y <- menu.CurrentButton.y;"
        "stuck <- menu.Input(0); up <- menu.CurrentButton.UpButton.ID;");
    EXPECT_EQ(GlobalInt("moved"), 1) << Reports();
    EXPECT_EQ(GlobalInt("id"), 11);
    EXPECT_EQ(GlobalInt("y"), 112);
    EXPECT_EQ(GlobalInt("stuck"), 0);
    EXPECT_EQ(GlobalInt("up"), 10);
}

TEST_F(ElementScriptAPITest, ListedButtonLivesWhileTheMenuDoes)
{
    Run(kMenuScript);
    Run("AddButtons(2);");
    EXPECT_EQ(LiveButtons(), 2u) << "the script dropped its own references";
    Run("menu.Update(0.1); first <- menu.CurrentButton.ID;");
    EXPECT_EQ(GlobalInt("first"), 10) << Reports();
    Run("menu.ClearButtons();");
    EXPECT_EQ(LiveButtons(), 0u) << "cleared buttons are let go";
    Run("AddButtons(2); menu = null;");
    EXPECT_EQ(LiveButtons(), 0u) << "a released menu lets its buttons go";
}

TEST_F(ElementScriptAPITest, ConnectedButtonIsHeldWhileLinked)
{
    Run("owner <- Button(); owner.SetConnectedButton(Button()); owner.SetConnectedButton(Button());");
    EXPECT_EQ(LiveButtons(), 2u) << "the first connected button was let go: " << Reports();
    Run("owner = null;");
    EXPECT_EQ(LiveButtons(), 0u);
}

TEST_F(ElementScriptAPITest, WrongClassesAreRefused)
{
    Run(R"(
menu <- Menu();
errors <- 0;
foreach (call in [
    function() { menu.AddButton(Sprite()); },
    function() { menu.AddButton(Vec2(1, 2)); },
    function() { Button().SetConnectedButton(AnimSprite()); },
    function() { Menu.AddButton.call(Slider(), Button()); },
    function() { Sprite().SetPosition(rgba8888(1, 2, 3, 4)); },
    function() { CurveBar().Render(0.5, 0.1, Vec2(0, 0), rgba8888(1, 2, 3, 4), false); },
    function() { Sprite().DrawText("a", rgba8888(1, 2, 3, 4), Sprite(), 0, 0); },
])
{
    try { call(); } catch (e) { errors += 1; }
}
)");
    EXPECT_EQ(GlobalInt("errors"), 7) << Reports();
    Run("local font = BasicText(\"fonts/none.fnt\"); Sprite().DrawText(\"a\", rgba8888(1, 2, 3, 4), font, 0, "
        "0);"
        "Sprite().DrawText(\"a\", rgba8888(1, 2, 3, 4), font, 2, 0, 1.5); drawn <- 1;");
    EXPECT_EQ(GlobalInt("drawn"), 1) << Reports();
    EXPECT_EQ(LiveButtons(), 0u);
}

TEST_F(ElementScriptAPITest, ButtonMembersAndMethods)
{
    Run(R"(
local b = Button();
speed <- b.AnimTransition.AnimationSpeed;
pulse <- b.PulseAlpha;
clickable <- b.IsClickableWithMouse;
b.AlwaysPulse = 1;
b.SetButtonDisabled();
disabledState <- b.State;
b.SetState(1);
stillDisabled <- b.State;
b.SetButtonDisabled(false);
b.SetState(1);
over <- b.State;
b.SetGoal(12, -1, 255, 128, 2);
b.Update(0.1);
goalX <- b.SelectedButtonOffsetX;
scale <- b.Scale;
b.SetPosition(Vec2(10.9, -3.7));
local p = b.GetPosition();
px <- p.x; py <- p.y;
)");
    EXPECT_FLOAT_EQ(GlobalFloat("speed"), 4.0f) << Reports();
    EXPECT_FLOAT_EQ(GlobalFloat("pulse"), -99.0f);
    EXPECT_EQ(GlobalInt("clickable"), 1);
    EXPECT_EQ(GlobalInt("disabledState"), kButtonDisabled);
    EXPECT_EQ(GlobalInt("stillDisabled"), kButtonDisabled);
    EXPECT_EQ(GlobalInt("over"), kButtonOver);
    EXPECT_EQ(GlobalInt("goalX"), 12);
    EXPECT_FLOAT_EQ(GlobalFloat("scale"), 2.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("px"), 10.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("py"), -3.0f);
}

TEST_F(ElementScriptAPITest, ButtonTextIsAViewOfTheButtonsFont)
{
    ASSERT_NE(ExpectTextViewsTheFont<Button>("Button"), nullptr);
    ExpectTheTextKeepsItsWidgetAlive();
}

TEST_F(ElementScriptAPITest, PlayerPanelTextIsAViewOfTheScoreFont)
{
    PlayerInfo* panel = ExpectTextViewsTheFont<PlayerInfo>("PlayerInfo");
    ASSERT_NE(panel, nullptr);
    Run("w.Color.r = 7; w.TextAlign = 2;");
    EXPECT_EQ(panel->Color.r, 7) << "the members around it keep their places";
    EXPECT_EQ(panel->TextAlign, 2);
    panel->SetFont("fonts/score.fnt"); // a script's call is skipped without a display
    EXPECT_STREQ(panel->Text.name.c_str(), "fonts/score.fnt") << "the score's font is the one viewed";
    ExpectTheTextKeepsItsWidgetAlive();
}

// A flag a script sets to any integer: 256 keeps drawing, as 1 does.
TEST_F(ElementScriptAPITest, ShouldRenderHoldsAWholeIntegerOnEveryWidget)
{
    for (const char* widget : {"Sprite", "AnimSprite", "Button"})
        for (int value : {0, 1, 256, -1, 70000})
        {
            Run(std::string("w <- ") + widget + "(); w.ShouldRender = " + std::to_string(value) +
                "; back <- w.ShouldRender;");
            EXPECT_EQ(GlobalInt("back"), value) << widget << " " << Reports();
        }
    Run("w <- Sprite(); w.ShouldRender = 256;");
    const Sprite* sprite = GlobalObject<Sprite>("w");
    ASSERT_NE(sprite, nullptr);
    EXPECT_NE(sprite->ShouldRender, 0) << "the sprite still draws";
    Run("w = null;");
}

TEST_F(ElementScriptAPITest, AnimSpriteTextureReadsAsNull)
{
    Run(R"(
local a = AnimSprite();
own <- a.Texture;
viewed <- Button().UpImage.Texture;
)");
    EXPECT_EQ(GlobalType("own"), "null") << Reports();
    EXPECT_EQ(GlobalType("viewed"), "null");
}

TEST_F(ElementScriptAPITest, SliderAndDropdownThroughTheirViews)
{
    Run(R"(
slider <- Slider();
for (local i = 0; i < 11; i += 1) slider.Input(1);
percent <- slider.PercentbetweenTwoPoints;
slider.Button.UpImage.width = 8;
slider.Background.width = 100;
slider.AlignButtonToBar(0);
slider.Update(0);
knobX <- slider.Button.x;
)");
    EXPECT_FLOAT_EQ(GlobalFloat("percent"), 1.0f) << Reports();
    EXPECT_EQ(GlobalInt("knobX"), 92);
    Run(R"(
drop <- DropdownMenu();
local a = Button(); a.SetName("Low"); drop.DropDownMenu.AddButton(a);
local b = Button(); b.SetName("High"); drop.DropDownMenu.AddButton(b);
drop.AutoAlignComponents();
drop.CurrentState = 1;
drop.Input(3);
drop.Input(4);
closed <- drop.CurrentState;
)");
    EXPECT_EQ(GlobalInt("closed"), 0) << Reports();
    EXPECT_EQ(LiveButtons(), 4u) << "the knob, the display button and two held choices";
    Run("drop = null; slider = null;");
    EXPECT_EQ(LiveButtons(), 0u);
}

TEST_F(ElementScriptAPITest, LoadingScreenGlobals)
{
    Run(R"(
SetLoadingScreenText("early");
before <- IsLoadingScreenAcitve() ? 1 : 0;
local white = rgba8888(255, 255, 255, 255);
StartLoadingScreen(Sprite(), "Loading", "", white, Button(), "Tolvan", "", white, Sprite(), AnimSprite(), Sprite());
during <- IsLoadingScreenAcitve() ? 1 : 0;
SetLoadingScreenText("Level 1");
SetMinLoadingScreenTime(0.0);
FinishLoadingScreen();
after <- IsLoadingScreenAcitve() ? 1 : 0;
clicked <- GetButtonClicked();
)");
    EXPECT_EQ(GlobalInt("before"), 0) << Reports();
    EXPECT_EQ(GlobalInt("during"), 1);
    EXPECT_EQ(GlobalInt("after"), 0);
    EXPECT_EQ(GlobalType("clicked"), "null") << "no click pending";
    Run("wrong <- 0; try { StartLoadingScreen(Vec2(0, 0), \"\", \"\", rgba8888(0, 0, 0, 0), Sprite(), \"\", "
        "\"\","
        " rgba8888(0, 0, 0, 0), Sprite(), Sprite(), Sprite()); } catch (e) { wrong = 1; }"
        "active <- IsLoadingScreenAcitve();");
    EXPECT_EQ(GlobalInt("wrong"), 1);
    EXPECT_FALSE(GetLoadingScreen().IsActive());
}
} // namespace
