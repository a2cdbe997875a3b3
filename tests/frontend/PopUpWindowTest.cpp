#include "frontend/PopUpWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

class PopUpWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.x = 320;
        window.y = 200;
        window.TopImage.width = 200;
        window.TopImage.height = 20;
        window.MiddleImage.height = 60;
        window.BottomImage.height = 20;
        window.ButtonToPress.width = 16;
        window.ButtonToPress.height = 16;
    }

    void Open(const char* description)
    {
        window.SetDecription(description);
        window.Init();
        window.AutoAlignComponents();
    }

    // Steps until the state changes; the seconds it took.
    float StepUntilStateChanges()
    {
        const int32_t state = window.State;
        float seconds = 0.0f;
        for (int i = 0; i < 1000 && window.State == state; ++i)
        {
            window.Update(kStep);
            seconds += kStep;
        }
        return seconds;
    }

    PopUpWindow window;
};

TEST_F(PopUpWindowTest, NewWindowIsClosedWithTheFirstTipTitle)
{
    EXPECT_EQ(window.State, kPopUpClosed);
    EXPECT_EQ(window.Title(), "Tip: #1");
    window.Update(kStep);
    EXPECT_EQ(window.State, kPopUpClosed);
}

TEST_F(PopUpWindowTest, WithoutAFontTheMiddleHasNoHeightAndThePanelsStillGrow)
{
    Open("Fly low over the roofs");
    EXPECT_FLOAT_EQ(window.middleHeight, 0.0f);
    EXPECT_FLOAT_EQ(window.totalHeight, 40.0f);
    EXPECT_EQ(window.State, kPopUpExpanding);
    EXPECT_EQ(window.TopImage.width, 0);
    StepUntilStateChanges();
    EXPECT_EQ(window.State, kPopUpRevealing);
    // Grown to the full window, centred on the window's position.
    EXPECT_EQ(window.TopImage.width, 200);
    EXPECT_EQ(window.TopImage.x, 220);
    EXPECT_EQ(window.TopImage.height, 20);
    EXPECT_EQ(window.BottomImage.y, window.TopImage.y + 20);
}

TEST_F(PopUpWindowTest, TimelineClosesAfterExpandRevealAndHold)
{
    Open("A B");
    const float expanding = StepUntilStateChanges();
    const float revealing = StepUntilStateChanges();
    const float holding = StepUntilStateChanges();
    EXPECT_EQ(window.State, kPopUpClosed);
    EXPECT_NEAR(expanding, 0.25f, 2.5f * kStep);
    EXPECT_NEAR(revealing, 1.0f, 2.5f * kStep);
    EXPECT_NEAR(holding, 2.5f, 2.5f * kStep);
    EXPECT_NEAR(expanding + revealing + holding, 3.75f, 6.0f * kStep);
    EXPECT_EQ(window.RevealedDescription(), "A B");
    EXPECT_EQ(window.DisplayImage.Color.a, 255);
    EXPECT_EQ(window.TitleColor.a, 255);
}

TEST_F(PopUpWindowTest, WordsAreRevealedAroundTheLineBreak)
{
    window.TriggerForText = 3.0f * kStep + 0.001f; // a step per character of "A}B"
    Open("A}B");
    StepUntilStateChanges();
    std::vector<std::string> seen;
    while (window.State == kPopUpRevealing)
    {
        window.Update(kStep);
        if (seen.empty() || seen.back() != window.RevealedDescription())
            seen.push_back(window.RevealedDescription());
    }
    const std::vector<std::string> expected{"", "A", "A\n", "A\nB"};
    EXPECT_EQ(seen, expected);
}

TEST_F(PopUpWindowTest, WordsEndAtBlanksWithoutAFont)
{
    const std::string text = "  fire  breath}x";
    struct Case
    {
        size_t from;
        size_t end;
    };
    for (const Case& c : {Case{0, 6}, Case{6, 14}, Case{14, 14}, Case{15, 16}, Case{16, 16}, Case{99, 16}})
        EXPECT_EQ(PopUpWordEnd(text, c.from), c.end) << c.from;
}

TEST_F(PopUpWindowTest, CancelFinishesTheRevealAndTheHold)
{
    Open("Press the fire button to breathe fire");
    StepUntilStateChanges();
    window.Update(kStep);
    window.Cancel = 1;
    window.Update(kStep);
    EXPECT_EQ(window.State, kPopUpHolding);
    EXPECT_EQ(window.RevealedDescription(), "Press the fire button to breathe fire");
    EXPECT_EQ(window.Cancel, 0);
    EXPECT_EQ(window.BackgroundDisplayImage.Color.a, 255);
    window.Update(kStep);
    EXPECT_EQ(window.State, kPopUpHolding);
    window.Cancel = 1;
    window.Update(kStep);
    EXPECT_EQ(window.State, kPopUpClosed);
    EXPECT_EQ(window.Cancel, 0);
}

TEST_F(PopUpWindowTest, ReopeningStartsAFreshReveal)
{
    Open("one two");
    for (int i = 0; i < 200; ++i)
        window.Update(kStep);
    ASSERT_EQ(window.State, kPopUpClosed);
    Open("three");
    EXPECT_EQ(window.State, kPopUpExpanding);
    EXPECT_EQ(window.RevealedDescription(), "");
    EXPECT_EQ(window.DisplayImage.Color.a, 0);
    for (int i = 0; i < 200; ++i)
        window.Update(kStep);
    EXPECT_EQ(window.RevealedDescription(), "three");
}
} // namespace
