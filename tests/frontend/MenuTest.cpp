#include "frontend/ButtonManager.h"
#include "frontend/DropdownMenu.h"
#include "frontend/ScrollableMenu.h"
#include "frontend/Slider.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
// Counts its draws instead of drawing.
class CountingButton : public Button
{
public:
    void Render() override { ++renders; }
    int renders = 0;
};

std::vector<std::unique_ptr<CountingButton>> MakeButtons(int count, int width = 20, int height = 10)
{
    std::vector<std::unique_ptr<CountingButton>> buttons;
    for (int i = 0; i < count; ++i)
    {
        buttons.push_back(std::make_unique<CountingButton>());
        buttons.back()->UpImage.width = width;
        buttons.back()->UpImage.height = height;
        buttons.back()->ID = 100 + i;
    }
    return buttons;
}

template <class M> void AddAll(M& menu, std::vector<std::unique_ptr<CountingButton>>& buttons)
{
    for (auto& button : buttons)
        menu.AddButton(button.get());
}

TEST(ButtonTest, GoalWithoutTriggerTimeIsReachedAtTheNextStep)
{
    Button button;
    button.y = 50;
    button.SetGoal(12.0f, 80.0f, 200.0f, 100.0f, 1.5f);
    button.Update(0.1f);
    EXPECT_EQ(button.SelectedButtonOffsetX, 12);
    EXPECT_EQ(button.y, 80);
    EXPECT_FLOAT_EQ(button.Scale, 1.5f);
    EXPECT_EQ(button.HasGoal, 0);
    EXPECT_EQ(button.Color.a, 100);
    EXPECT_EQ(button.LeftArrow.Color.a, 200);
    button.ExternalAlpha = 127.5f;
    button.Update(0.1f);
    EXPECT_EQ(button.Color.a, 50) << "the external alpha scales the button's";
    EXPECT_EQ(button.SelectedColor.a, 50);
}

TEST(ButtonTest, GoalMovesByItsShareOfTheRemainingDistance)
{
    Button button;
    button.TimeTrigger = 1.0f;
    button.SetGoal(100.0f, -1.0f, 0.0f, 255.0f, 1.0f);
    button.Update(0.5f);
    EXPECT_EQ(button.SelectedButtonOffsetX, 0) << "k is 0 at the first step";
    button.Update(0.5f);
    EXPECT_EQ(button.SelectedButtonOffsetX, 50);
    EXPECT_EQ(button.y, 0) << "a goal y of -1 keeps y";
    button.Update(0.5f);
    EXPECT_EQ(button.SelectedButtonOffsetX, 100);
    EXPECT_EQ(button.HasGoal, 0);
}

TEST(ButtonTest, PressReturnsToOverAfterItsTime)
{
    Button button;
    button.SetState(kButtonDown);
    button.SetState(kButtonUp);
    EXPECT_EQ(button.State, kButtonDown) << "a pressed button keeps its state";
    const int expected[] = {kButtonDown, kButtonDown, kButtonDown, kButtonOver};
    for (int state : expected)
    {
        button.Update(0.04f);
        EXPECT_EQ(button.State, state);
    }
}

TEST(ButtonTest, PulseCyclesOncePerSecond)
{
    Button button;
    button.Update(1.0f);
    EXPECT_FLOAT_EQ(button.pulse, -99.0f) << "off below -1";
    button.pulse = -1.0f;
    button.Update(0.5f);
    EXPECT_FLOAT_EQ(button.pulse, 0.0f);
    button.Update(0.5f);
    EXPECT_FLOAT_EQ(button.pulse, 1.0f);
    button.Update(0.1f);
    EXPECT_FLOAT_EQ(button.pulse, -1.0f);
}

TEST(ButtonTest, DisabledButtonIgnoresStates)
{
    Button button;
    button.SetButtonDisabled(true);
    button.SetState(kButtonOver);
    EXPECT_EQ(button.State, kButtonDisabled);
    button.SetButtonDisabled(false);
    EXPECT_EQ(button.State, kButtonUp);
    button.SetState(kButtonOver);
    EXPECT_EQ(button.State, kButtonOver);
}

TEST(ButtonTest, SpritesTakeTheButtonsPlaceAndSize)
{
    Button button;
    button.UpImage.width = 30;
    button.UpImage.height = 12;
    button.x = 7;
    button.y = 9;
    button.OverlayOffsetX = 3;
    button.Color = rgba8888(1, 2, 3, 4);
    button.SetAllSpriteVariables();
    EXPECT_EQ(button.width, 30) << "a button without a size takes its up image's";
    EXPECT_EQ(button.height, 12);
    for (const AnimSprite* image :
         {&button.OverImage, &button.SelectedImage, &button.DisabledImage, &button.LockedImage})
    {
        EXPECT_EQ(image->x, 7);
        EXPECT_EQ(image->width, 30);
        EXPECT_EQ(image->Color.b, 3);
    }
    EXPECT_EQ(button.OverlayImage.x, 10);
}

TEST(ElementTest, PositionIsTruncated)
{
    Sprite sprite;
    sprite.SetPosition(10.9f, -3.7f);
    EXPECT_EQ(sprite.x, 10);
    EXPECT_EQ(sprite.y, -3);
    EXPECT_FLOAT_EQ(sprite.GetPosition().y, -3.0f);
}

TEST(MenuTest, FirstButtonAddedIsCurrentAndOver)
{
    Menu menu;
    auto buttons = MakeButtons(2);
    AddAll(menu, buttons);
    EXPECT_EQ(menu.CurrentButton, buttons[0].get());
    EXPECT_EQ(buttons[0]->State, kButtonOver);
    EXPECT_EQ(buttons[1]->State, kButtonUp);
    EXPECT_EQ(buttons[0]->owner, &menu);
    menu.Update(0.0f);
    EXPECT_EQ(menu.ID, 100);
}

struct InputCase
{
    const char* name;
    int columns; // 0: a column laid out by layout 1
    int start;   // index made current first
    int code;
    int result;
    int current; // index current afterwards
};

class MenuInputTable : public ::testing::TestWithParam<InputCase>
{
};

TEST_P(MenuInputTable, MovesAlongTheLinks)
{
    const InputCase& c = GetParam();
    Menu menu;
    auto buttons = MakeButtons(6);
    AddAll(menu, buttons);
    if (c.columns == 0)
        menu.AutoAlignButtons(1);
    else
        menu.AutoAlignButtonsInGrid(c.columns);
    menu.ResetCurrentButton(c.start);
    ASSERT_EQ(menu.CurrentButton, buttons[size_t(c.start)].get());
    EXPECT_EQ(menu.Input(c.code), c.result);
    EXPECT_EQ(menu.CurrentButton, buttons[size_t(c.current)].get());
    EXPECT_EQ(menu.CurrentButton->State, kButtonOver);
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        const bool other = int(i) != c.current && int(i) != c.start;
        EXPECT_TRUE(!other || buttons[i]->State == kButtonUp) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, MenuInputTable,
                         ::testing::Values(InputCase{"ColumnDown", 0, 0, kMenuDown, 1, 1},
                                           InputCase{"ColumnUp", 0, 3, kMenuUp, 1, 2},
                                           InputCase{"ColumnDownAtTheEndStays", 0, 5, kMenuDown, 0, 5},
                                           InputCase{"ColumnUpAtTheTopGoesToFirst", 0, 0, kMenuUp, 0, 0},
                                           InputCase{"ColumnLeftHasNoNeighbour", 0, 2, kMenuLeft, 0, 2},
                                           InputCase{"GridRight", 3, 0, kMenuRight, 1, 1},
                                           InputCase{"GridLeft", 3, 2, kMenuLeft, 1, 1},
                                           InputCase{"GridDown", 3, 1, kMenuDown, 1, 4},
                                           InputCase{"GridUp", 3, 5, kMenuUp, 1, 2},
                                           InputCase{"GridRightAtRowEnd", 3, 2, kMenuRight, 0, 2},
                                           InputCase{"GridUpFromTopRowGoesToFirst", 3, 2, kMenuUp, 0, 0},
                                           InputCase{"CodeFourDoesNothing", 3, 4, 4, 0, 4},
                                           InputCase{"CodeFiveDoesNothing", 3, 4, 5, 0, 4}),
                         [](const ::testing::TestParamInfo<InputCase>& info)
                         { return std::string(info.param.name); });

TEST(MenuTest, OneButtonMenuKeepsItsButton)
{
    Menu menu;
    auto buttons = MakeButtons(1);
    AddAll(menu, buttons);
    EXPECT_EQ(menu.Input(kMenuUp), 0);
    EXPECT_EQ(menu.CurrentButton, buttons[0].get());
    EXPECT_EQ(menu.Input(kMenuDown), 0);
    EXPECT_EQ(menu.CurrentButton, buttons[0].get());
}

TEST(MenuTest, GridPlacesAndLinksButtons)
{
    Menu menu;
    menu.x = 10;
    menu.y = 20;
    menu.ButtonOffsetX = 5;
    menu.ButtonOffsetY = 2;
    auto buttons = MakeButtons(5);
    AddAll(menu, buttons);
    menu.AutoAlignButtonsInGrid(2);
    EXPECT_FLOAT_EQ(menu.rows, 3.0f);
    EXPECT_FLOAT_EQ(menu.columns, 2.0f);
    const int expected[5][2] = {{10, 20}, {35, 20}, {10, 32}, {35, 32}, {10, 44}};
    for (int k = 0; k < 5; ++k)
    {
        EXPECT_EQ(buttons[size_t(k)]->x, expected[k][0]) << k;
        EXPECT_EQ(buttons[size_t(k)]->y, expected[k][1]) << k;
        EXPECT_EQ(buttons[size_t(k)]->UpImage.x, expected[k][0]) << "images follow";
    }
    EXPECT_EQ(buttons[3]->LeftButton, buttons[2].get());
    EXPECT_EQ(buttons[3]->UpButton, buttons[1].get());
    EXPECT_EQ(buttons[2]->RightButton, buttons[3].get());
    EXPECT_EQ(buttons[4]->RightButton, nullptr);
}

TEST(MenuTest, GridWithFewerThanOneColumnDoesNothing)
{
    Menu menu;
    auto buttons = MakeButtons(3);
    AddAll(menu, buttons);
    for (int columns : {0, -4})
    {
        menu.AutoAlignButtonsInGrid(columns);
        EXPECT_FLOAT_EQ(menu.rows, 0.0f);
        EXPECT_EQ(buttons[1]->LeftButton, nullptr);
    }
}

TEST(MenuTest, LayoutTwoLinesButtonsUpAtOneX)
{
    Menu menu;
    menu.x = 40;
    menu.y = 7;
    menu.SelectedButtonOffsetX = 6;
    auto buttons = MakeButtons(3, 20, 41);
    const int ys[3] = {3, 50, 90};
    for (int i = 0; i < 3; ++i)
    {
        buttons[size_t(i)]->x = 100 + i;
        buttons[size_t(i)]->y = ys[i];
        buttons[size_t(i)]->Scale = 0.5f;
        buttons[size_t(i)]->LeftArrowOffset = Vec2(-10.0f, 2.0f);
        buttons[size_t(i)]->RightArrowOffset = Vec2(30.0f, 4.0f);
    }
    AddAll(menu, buttons);
    menu.AutoAlignButtons(2);
    for (int i = 0; i < 3; ++i)
    {
        const Button& b = *buttons[size_t(i)];
        EXPECT_EQ(b.x, 46) << i;
        EXPECT_EQ(b.y, ys[i]) << "y stays";
        EXPECT_FLOAT_EQ(b.Scale, 0.5f) << "scale stays";
        EXPECT_EQ(b.LeftArrow.x, 36);
        EXPECT_EQ(b.RightArrow.x, 76);
        EXPECT_EQ(b.LeftArrow.y, ys[i] + 2);
        EXPECT_EQ(b.RightArrow.y, ys[i] + 4);
        EXPECT_FLOAT_EQ(b.TextOffset.y, 41.0f / 4.1f);
        EXPECT_EQ(b.UpImage.x, 46) << "images follow";
    }
    EXPECT_EQ(buttons[1]->UpButton, buttons[0].get());
    EXPECT_EQ(buttons[0]->DownButton, buttons[1].get());
}

TEST(MenuTest, LayoutThreeLinesButtonsUpAtOneY)
{
    Menu menu;
    menu.x = 40;
    menu.y = 7;
    menu.SelectedButtonOffsetX = 6;
    auto buttons = MakeButtons(2, 20, 10);
    buttons[0]->x = 5;
    buttons[1]->x = 80;
    buttons[0]->LeftArrowOffset = Vec2(-10.0f, 2.0f);
    AddAll(menu, buttons);
    menu.AutoAlignButtons(3);
    EXPECT_EQ(buttons[0]->x, 5);
    EXPECT_EQ(buttons[1]->x, 80);
    EXPECT_EQ(buttons[0]->y, 13);
    EXPECT_EQ(buttons[1]->y, 13);
    EXPECT_EQ(buttons[0]->LeftArrow.x, 36);
    EXPECT_EQ(buttons[0]->LeftArrow.y, 9) << "the arrows take the menu's y";
    menu.AutoAlignButtons(4);
    EXPECT_EQ(buttons[0]->y, 13) << "a layout above 3 does nothing";
}

TEST(MenuTest, ClipRectangleSkipsButtonsOutsideIt)
{
    Menu menu;
    auto buttons = MakeButtons(3);
    const int xs[3] = {0, 100, 101};
    for (int i = 0; i < 3; ++i)
    {
        buttons[size_t(i)]->x = xs[i];
        buttons[size_t(i)]->y = 50;
    }
    AddAll(menu, buttons);
    menu.Render();
    for (auto& b : buttons)
        EXPECT_EQ(b->renders, 1) << "no clip while a value is -1";
    menu.StartPosition = Vec2(0.0f, 0.0f);
    menu.EndPosition = Vec2(100.0f, 100.0f);
    menu.Render();
    EXPECT_EQ(buttons[0]->renders, 2);
    EXPECT_EQ(buttons[1]->renders, 2) << "inclusive";
    EXPECT_EQ(buttons[2]->renders, 1);
}

TEST(MenuTest, IndicesAreChecked)
{
    Menu menu;
    auto buttons = MakeButtons(2);
    AddAll(menu, buttons);
    for (int index : {-1, 2, 1000})
    {
        menu.ResetCurrentButton(index);
        menu.SetButtonToUp(index);
        EXPECT_EQ(menu.CurrentButton, buttons[0].get());
    }
    menu.SetCurrentButtonToLast();
    EXPECT_EQ(menu.CurrentButton, buttons[1].get());
    Menu empty;
    empty.SetCurrentButtonToLast();
    EXPECT_EQ(empty.Input(kMenuDown), 0);
    EXPECT_EQ(empty.CurrentButton, nullptr);
}

TEST(MenuTest, HoverMovesTheSelectionAndLeavingClearsIt)
{
    Menu menu;
    menu.SelectedButtonOffsetX = 9;
    auto buttons = MakeButtons(3);
    AddAll(menu, buttons);
    menu.ButtonHovered(*buttons[2]);
    EXPECT_EQ(menu.CurrentButton, buttons[2].get());
    EXPECT_EQ(buttons[2]->State, kButtonOver);
    EXPECT_EQ(buttons[2]->m_GoalX, 9);
    EXPECT_EQ(buttons[0]->State, kButtonUp);
    EXPECT_EQ(buttons[0]->m_GoalX, 0);
    menu.ButtonLeft(*buttons[0]);
    EXPECT_EQ(menu.CurrentButton, buttons[2].get()) << "only the current button's leaving counts";
    menu.ButtonLeft(*buttons[2]);
    EXPECT_EQ(menu.CurrentButton, nullptr);
    EXPECT_EQ(buttons[2]->State, kButtonUp);
}

TEST(MenuTest, DyingMenuClearsItsButtonsOwner)
{
    auto buttons = MakeButtons(2);
    {
        Menu menu;
        AddAll(menu, buttons);
    }
    EXPECT_EQ(buttons[0]->owner, nullptr);
    EXPECT_EQ(buttons[1]->owner, nullptr);
}

TEST(MenuTest, DyingButtonLeavesTheMenu)
{
    Menu menu;
    auto buttons = MakeButtons(3);
    AddAll(menu, buttons);
    menu.AutoAlignButtons(1);
    buttons[0].reset();
    EXPECT_EQ(menu.buttons.size(), 2u);
    EXPECT_EQ(menu.CurrentButton, nullptr);
    EXPECT_EQ(buttons[1]->UpButton, nullptr) << "no link points at the dead button";
    menu.Update(0.1f);
    menu.Render();
}

TEST(MenuTest, AlphaSettersSkipOrTakeTheCurrentButton)
{
    Menu menu;
    auto buttons = MakeButtons(2);
    AddAll(menu, buttons);
    menu.SetAlpha(100.0f);
    EXPECT_FLOAT_EQ(buttons[0]->ExternalAlpha, 255.0f);
    EXPECT_FLOAT_EQ(buttons[1]->ExternalAlpha, 100.0f);
    menu.SetSelectedAlpha(300.0f);
    EXPECT_FLOAT_EQ(buttons[0]->ExternalAlpha, 300.0f);
    EXPECT_EQ(buttons[0]->LeftArrow.Color.a, 255) << "a byte clamps";
    menu.SetSelectedLArrowsAlpha(-5.0f);
    menu.SetSelectedRArrowsAlpha(17.0f);
    EXPECT_EQ(buttons[0]->LeftArrow.Color.a, 0);
    EXPECT_EQ(buttons[0]->RightArrow.Color.a, 17);
}

TEST(ScrollableMenuTest, FourStepScrollMovesTheButtonsThenTheSelection)
{
    ScrollableMenu menu;
    menu.MoveDistance = 40;
    menu.NumberTillScrollingDown = 0;
    auto buttons = MakeButtons(4, 20, 30);
    AddAll(menu, buttons);
    menu.AutoAlignButtons(1);
    ASSERT_EQ(buttons[1]->y, 30);
    EXPECT_EQ(menu.Input(kMenuDown), 1);
    EXPECT_EQ(menu.ScrollingState, 1);
    EXPECT_EQ(menu.Input(kMenuDown), 0) << "no input while scrolling";
    EXPECT_EQ(menu.CurrentButton, buttons[0].get()) << "the selection moves when the scroll ends";
    const int expectedY[] = {30, 20, 10, 0};
    for (int step = 0; step < 4; ++step)
    {
        menu.Update(0.0625f);
        EXPECT_EQ(buttons[1]->y, expectedY[step]) << step;
    }
    menu.Update(0.0625f);
    EXPECT_EQ(menu.ScrollingState, 0);
    EXPECT_EQ(buttons[1]->y, -10);
    EXPECT_EQ(buttons[0]->y, -40);
    EXPECT_EQ(menu.CurrentButton, buttons[1].get());
}

TEST(ScrollableMenuTest, FadedScrollClampsAlphas)
{
    ScrollableMenu menu;
    menu.MoveDistance = 10;
    menu.Fade = 1;
    menu.FadeOffset = 300;
    auto buttons = MakeButtons(3);
    AddAll(menu, buttons);
    menu.AutoAlignButtons(1);
    buttons[0]->Color.a = 100;
    buttons[1]->Color.a = 60;
    buttons[2]->Color.a = 200;
    ASSERT_EQ(menu.Input(kMenuDown), 1);
    EXPECT_EQ(buttons[0]->EndAlpha, 0) << "below p: fades, clamped at 0";
    EXPECT_EQ(buttons[1]->EndAlpha, 255) << "the new selection";
    EXPECT_GE(buttons[2]->EndAlpha, 0);
    EXPECT_LE(buttons[2]->EndAlpha, 255);
}

TEST(SliderTest, StepsStayOnTheBar)
{
    Slider slider;
    for (int i = 0; i < 11; ++i)
        slider.Input(1);
    EXPECT_FLOAT_EQ(slider.PercentbetweenTwoPoints, 1.0f);
    for (int i = 0; i < 3; ++i)
        slider.Input(0);
    EXPECT_NEAR(slider.PercentbetweenTwoPoints, 0.7f, 1e-5f);
    for (int i = 0; i < 20; ++i)
        slider.Input(0);
    EXPECT_FLOAT_EQ(slider.PercentbetweenTwoPoints, 0.0f);
    slider.Input(7);
    EXPECT_FLOAT_EQ(slider.PercentbetweenTwoPoints, 0.0f);
}

TEST(SliderTest, HorizontalKnobTravelsAlongTheBar)
{
    Slider slider;
    slider.x = 10;
    slider.y = 100;
    slider.ButtonOffsetX = 2;
    slider.Background.width = 200;
    slider.Background.height = 20;
    slider.knob.UpImage.width = 10;
    slider.knob.UpImage.height = 8;
    slider.AlignButtonToBar(0);
    EXPECT_EQ(slider.knob.x, 12);
    EXPECT_EQ(slider.knob.y, 106);
    slider.PercentbetweenTwoPoints = 0.5f;
    slider.Update(0.0f);
    EXPECT_EQ(slider.knob.x, 12 + 94);
    slider.PercentbetweenTwoPoints = 1.0f;
    slider.Update(0.0f);
    EXPECT_EQ(slider.knob.x + slider.knob.UpImage.width, 10 + 200) << "the knob ends at the bar's end";
    EXPECT_EQ(slider.knob.UpImage.x, slider.knob.x) << "images follow";
}

TEST(DropdownMenuTest, ClosingCopiesTheChoice)
{
    DropdownMenu dropdown;
    dropdown.x = 5;
    dropdown.y = 6;
    dropdown.Background.height = 12;
    auto buttons = MakeButtons(3);
    const char* names[] = {"Low", "Mid", "High"};
    for (int i = 0; i < 3; ++i)
    {
        buttons[size_t(i)]->SetName(names[i]);
        dropdown.DropDownMenu.AddButton(buttons[size_t(i)].get());
    }
    dropdown.AutoAlignComponents();
    EXPECT_EQ(dropdown.DisplayButton.buttonName, "Low");
    EXPECT_EQ(buttons[0]->y, 18);
    EXPECT_FLOAT_EQ(buttons[2]->ExternalAlpha, 0.0f) << "closed: hidden";
    EXPECT_EQ(dropdown.Input(kMenuDown), 0) << "closed: no input";
    dropdown.CurrentState = 1;
    EXPECT_EQ(dropdown.Input(kMenuDown), 1);
    EXPECT_EQ(dropdown.Input(kMenuDown), 1);
    EXPECT_EQ(dropdown.Input(4), 1);
    EXPECT_EQ(dropdown.CurrentState, 0);
    EXPECT_EQ(dropdown.DisplayButton.buttonName, "High");
}
} // namespace
