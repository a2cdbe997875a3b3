#include "frontend/UpgradeBar.h"
#include "frontend/UpgradeMenu.h"
#include "frontend/UpgradePoint.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr float kStep = 1.0f / 30.0f;
constexpr int kRowHeight = 40; // the selection image's height

struct TestBar
{
    std::vector<std::unique_ptr<UpgradePoint>> points;
    UpgradeBar bar;
};

std::unique_ptr<TestBar> MakeBar(const std::vector<int>& costs)
{
    auto made = std::make_unique<TestBar>();
    made->bar.Icon.width = 8;
    made->bar.Icon.height = 8;
    made->bar.IconGlow.width = 8;
    made->bar.IconGlow.height = 8;
    for (int cost : costs)
    {
        auto point = std::make_unique<UpgradePoint>();
        point->Cost = cost;
        point->PointImage.width = 10;
        point->MiddleImage.width = 10;
        point->MiddleImage.height = 20;
        point->TopImage.height = 4;
        made->bar.AddPoint(point.get());
        made->points.push_back(std::move(point));
    }
    return made;
}

void BuildMenu(UpgradeMenu& menu, std::vector<std::unique_ptr<TestBar>>& bars,
               const std::vector<std::vector<int>>& costsPerBar)
{
    menu.x = 100;
    menu.y = 50;
    menu.SelectedImage.height = kRowHeight;
    menu.UpArrow.width = 10;
    menu.UpArrow.height = 10;
    for (const std::vector<int>& costs : costsPerBar)
    {
        bars.push_back(MakeBar(costs));
        menu.AddBar(&bars.back()->bar);
    }
}

class UpgradeMenuTest : public ::testing::Test
{
protected:
    void Build(const std::vector<std::vector<int>>& costsPerBar) { BuildMenu(menu, bars, costsPerBar); }

    UpgradeBar& Bar(size_t i) { return bars[i]->bar; }

    std::string States(size_t i)
    {
        std::string states;
        for (auto& point : bars[i]->points)
            states += char('0' + point->Purchase());
        return states;
    }

    void StepUntilIdle()
    {
        for (int i = 0; i < 10; ++i)
            menu.Update(kStep);
    }

    UpgradeMenu menu;
    std::vector<std::unique_ptr<TestBar>> bars;
};

TEST_F(UpgradeMenuTest, FirstLayoutGrowsTheFirstBarAndShrinksTheOthers)
{
    Build({{2, 3}, {2, 3}, {2, 3}});
    menu.AutoAlignMenu();
    EXPECT_FLOAT_EQ(Bar(0).Icon.Scale, 2.0f);
    EXPECT_FLOAT_EQ(Bar(1).Icon.Scale, 1.0f);
    EXPECT_FLOAT_EQ(Bar(2).Icon.Scale, 1.0f);
    EXPECT_EQ(menu.UpArrow.Color.a, kUpgradeArrowDimmed);
    EXPECT_EQ(menu.SelectedImage.x, 100);
    EXPECT_EQ(menu.SelectedImage.y, 50);
    EXPECT_EQ(menu.FirstAlign, 0);
    // Full row minus twice the margin for the selected bar, half a row for the others.
    EXPECT_EQ(bars[0]->points[0]->PointImage.height, kRowHeight);
    EXPECT_EQ(bars[1]->points[0]->PointImage.height, kRowHeight / 2);
}

TEST_F(UpgradeMenuTest, FreeFirstLevelStartsBought)
{
    Build({{0, 3}, {1, 3}});
    menu.AutoAlignMenu();
    EXPECT_EQ(States(0), "30");
    EXPECT_EQ(Bar(0).CurrentlySelected, 1);
    EXPECT_EQ(States(1), "00");
    EXPECT_EQ(Bar(1).CurrentlySelected, 0);
}

struct PurchaseCase
{
    const char* name;
    std::vector<int> codes;
    int balance;
    const char* states;
    int temp;
    int bought;
    int pending;
};

class UpgradePurchaseTest : public UpgradeMenuTest, public ::testing::WithParamInterface<PurchaseCase>
{
};

TEST_P(UpgradePurchaseTest, CodesMoveTheBalanceAndTheStates)
{
    const PurchaseCase& c = GetParam();
    Build({{2, 3, 5}, {4}});
    menu.AutoAlignMenu();
    menu.ReCalculateAvailablePoints(6);
    for (int code : c.codes)
        menu.Input(code);
    EXPECT_EQ(menu.UnSpentPoints, c.balance);
    EXPECT_EQ(States(0), c.states);
    EXPECT_EQ(Bar(0).TempSelected, c.temp);
    EXPECT_EQ(Bar(0).CurrentlySelected, c.bought);
    EXPECT_EQ(menu.CheckIfThereAreAnyPoints(), c.pending);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UpgradePurchaseTest,
    ::testing::Values(PurchaseCase{"Fresh", {}, 6, "110", 0, 0, 0},
                      PurchaseCase{"ChooseOne", {1}, 4, "210", 1, 0, 1},
                      PurchaseCase{"ChooseUntilBroke", {1, 1, 1}, 1, "220", 2, 0, 1},
                      PurchaseCase{"ChooseThenDecrease", {1, 0}, 6, "110", 0, 0, 0},
                      PurchaseCase{"ChooseThenCancel", {1, 5}, 6, "110", 0, 0, 0},
                      PurchaseCase{"ChooseTwoThenCancel", {1, 1, 5}, 6, "110", 0, 0, 0},
                      PurchaseCase{"ChooseThenConfirm", {1, 4}, 4, "310", 1, 1, 0},
                      PurchaseCase{"BoughtCannotBeTakenBack", {1, 4, 0}, 4, "310", 1, 1, 0},
                      PurchaseCase{"DecreaseWithNothingChosen", {0}, 6, "110", 0, 0, 0},
                      PurchaseCase{"UnknownCode", {6, -1}, 6, "110", 0, 0, 0},
                      PurchaseCase{"OtherBarChosen", {3, 1}, 2, "100", 0, 0, 1}),
    [](const ::testing::TestParamInfo<PurchaseCase>& info) { return std::string(info.param.name); });

TEST_F(UpgradeMenuTest, SelectionMovesOnlyBetweenIdleBars)
{
    Build({{2}, {2}, {2}});
    menu.Update(kStep);
    const int topY = menu.SelectedImage.y;

    menu.Input(kUpgradeMoveUp);
    EXPECT_EQ(menu.CurrentlySelected, 0);

    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 1);
    EXPECT_EQ(menu.SelectedImage.y, topY + kRowHeight / 2);
    EXPECT_EQ(menu.UpArrow.Color.a, 255);
    EXPECT_EQ(Bar(0).animationState, kBarShrinking);
    EXPECT_EQ(Bar(1).animationState, kBarGrowing);

    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 1) << "the new bar is still growing";

    // 0.08 s at 30 steps a second: three steps animate, the fourth ends.
    for (int i = 0; i < 3; ++i)
        menu.Update(kStep);
    EXPECT_EQ(Bar(1).animationState, kBarGrowing);
    menu.Update(kStep);
    EXPECT_EQ(Bar(1).animationState, kBarIdle);
    EXPECT_FLOAT_EQ(Bar(1).Icon.Scale, 2.0f);
    EXPECT_FLOAT_EQ(Bar(0).Icon.Scale, 1.0f);
    EXPECT_EQ(menu.SelectedImage.y, topY + kRowHeight / 2);

    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 2);
    EXPECT_EQ(menu.DownArrow.Color.a, kUpgradeArrowDimmed);
    StepUntilIdle();
    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 2);

    menu.Input(kUpgradeMoveUp);
    EXPECT_EQ(menu.CurrentlySelected, 1);
    EXPECT_EQ(menu.DownArrow.Color.a, 255);
}

TEST_F(UpgradeMenuTest, MouseOverrideHoldsTheSelection)
{
    Build({{2}, {2}});
    menu.MouseOverRide = 1;
    menu.Update(kStep);
    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 0);
    EXPECT_EQ(Bar(0).hideArrows, 1);
}

TEST_F(UpgradeMenuTest, PurchaseStatesSurviveManySteps)
{
    Build({{2, 3, 5}});
    menu.Update(kStep);
    menu.ReCalculateAvailablePoints(6);
    menu.Input(kUpgradeIncrease);
    for (int i = 0; i < 200; ++i)
    {
        menu.Update(kStep);
        menu.Render();
    }
    EXPECT_EQ(States(0), "210");
    // The images show the state, whatever their own stepping did.
    for (auto& point : bars[0]->points)
    {
        EXPECT_EQ(point->MiddleImage.CurrentFrame, point->Purchase());
        EXPECT_EQ(point->TopImage.CurrentFrame, point->Purchase());
        EXPECT_EQ(point->BottomImage.CurrentFrame, point->Purchase());
    }
}

TEST_F(UpgradeMenuTest, DownArrowOfTheRegularLayoutDoesNotDependOnTheBarCount)
{
    UpgradeMenu other;
    std::vector<std::unique_ptr<TestBar>> otherBars;
    Build({{2}, {2}});
    BuildMenu(other, otherBars, {{2}, {2}, {2}, {2}, {2}});
    for (int i = 0; i < 3; ++i)
    {
        menu.Update(kStep);
        other.Update(kStep);
    }
    EXPECT_EQ(menu.DownArrow.y, other.DownArrow.y);
    EXPECT_NE(menu.Callout.y, other.Callout.y);
}

TEST_F(UpgradeMenuTest, BarWithoutPointsIsSkippedAndNeverBlocksTheSelection)
{
    Build({{2}, {}, {2}});
    menu.Update(kStep);
    menu.Input(kUpgradeMoveDown);
    menu.Update(kStep);
    menu.Input(kUpgradeMoveDown);
    EXPECT_EQ(menu.CurrentlySelected, 2);
    menu.Input(kUpgradeIncrease);
    menu.Render();
    EXPECT_EQ(Bar(1).LenthOfBar, 0);
}

TEST_F(UpgradeMenuTest, SelectionsOutsideTheListsDoNothing)
{
    Build({{2, 3}, {2}});
    menu.Update(kStep);
    menu.ReCalculateAvailablePoints(6);
    menu.CurrentlySelected = 7;
    for (int code = 0; code < 6; ++code)
        menu.Input(code);
    menu.CurrentlySelected = -2;
    for (int code = 0; code < 4; ++code)
        menu.Input(code);
    EXPECT_EQ(menu.UnSpentPoints, 6);

    for (int temp : {-5, 2, 99})
    {
        Bar(0).TempSelected = temp;
        EXPECT_EQ(Bar(0).IncreaseByOne(6), 6) << temp;
        EXPECT_EQ(Bar(0).DecreaseByOne(6), 6) << temp;
        Bar(0).AwardPoint();
        Bar(0).ReCalculateAvailablePoints(6);
        Bar(0).Render();
    }
}

TEST_F(UpgradeMenuTest, UnusableDivisorsLeavePlacesAlone)
{
    Build({{2}, {2}, {2}});
    menu.Update(kStep);
    const int barY = Bar(2).y;
    const int iconX = Bar(0).Icon.x;
    menu.SpacingBasedOnHeight = 0.0f;
    Bar(0).IconGlow.Scale = 0.0f;
    Bar(0).AutoAlignBar();
    Bar(0).Render();
    menu.AutoAlignMenu();
    EXPECT_EQ(Bar(2).y, barY);
    EXPECT_EQ(Bar(0).Icon.x, iconX);
    menu.SpacingBasedOnHeight = -1.0f;
    menu.FirstAlign = 1;
    menu.AutoAlignMenu();
    EXPECT_EQ(Bar(2).y, barY);
}

TEST(UpgradePointTest, ShrinkAndGrowMoveBetweenFullAndSquashed)
{
    UpgradePoint point;
    point.MiddleImage.height = 20;
    point.TopImage.height = 4;
    point.StartAlpha = 255;
    point.EndAlpha = 55;
    point.Init();
    point.Shrink(3.0f);
    EXPECT_EQ(point.MiddleImage.height, 0);
    EXPECT_FLOAT_EQ(point.topOffset, 12.0f);
    EXPECT_FLOAT_EQ(point.bottomOffset, 24.0f - 12.0f);
    EXPECT_FLOAT_EQ(point.shift, -15.0f);
    EXPECT_EQ(point.TopImage.Color.a, 55);
    point.Grow(0.5f);
    EXPECT_EQ(point.MiddleImage.height, 10);
    EXPECT_EQ(point.MiddleImage.Color.a, 155);
    point.Grow(1.0f);
    EXPECT_EQ(point.MiddleImage.height, 20);
    EXPECT_FLOAT_EQ(point.shift, 0.0f);
    EXPECT_EQ(point.BottomImage.Color.a, 255);
}
} // namespace
