#include "frontend/PlayerInfo.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

void Size(FrontendElement& image, int width, int height)
{
    image.width = width;
    image.height = height;
}

// A panel at (200, 100) with a 64 x 64 icon and known part sizes.
void Build(PlayerInfo& panel)
{
    panel.x = 200;
    panel.y = 100;
    Size(panel.DragonIcon, 64, 64);
    Size(panel.UnSpentPointsSymbol, 16, 16);
    Size(panel.ScoreMultiplerFrame, 40, 20);
    Size(panel.RightScoreMultiplerFrame, 40, 20);
    Size(panel.ScoreMultiplerImage, 20, 10);
    Size(panel.PowerUpSymbolFrame, 30, 30);
    Size(panel.RightPowerUpSymbolFrame, 30, 30);
    Size(panel.PowerUpSymbol, 20, 20);
    Size(panel.FireBarFrontCap, 10, 20);
    Size(panel.FireBarRightFrontCap, 10, 20);
    Size(panel.FireBarBackCap, 10, 20);
    Size(panel.FireBarRightBackCap, 10, 20);
    Size(panel.FireBarMiddle, 50, 20);
    Size(panel.FireBarBackground, 100, 10);
}

struct Place
{
    const char* part;
    int side;
    int x;
    int y;
};

FrontendElement& Part(PlayerInfo& panel, const std::string& name)
{
    if (name == "icon")
        return panel.DragonIcon;
    if (name == "unspent")
        return panel.UnSpentPointsSymbol;
    if (name == "multiplierFrame")
        return panel.ScoreMultiplerFrame;
    if (name == "rightMultiplierFrame")
        return panel.RightScoreMultiplerFrame;
    if (name == "multiplier")
        return panel.ScoreMultiplerImage;
    if (name == "powerFrame")
        return panel.PowerUpSymbolFrame;
    if (name == "rightPowerFrame")
        return panel.RightPowerUpSymbolFrame;
    if (name == "power")
        return panel.PowerUpSymbol;
    if (name == "frontCap")
        return panel.FireBarFrontCap;
    if (name == "rightFrontCap")
        return panel.FireBarRightFrontCap;
    if (name == "middle")
        return panel.FireBarMiddle;
    if (name == "backCap")
        return panel.FireBarBackCap;
    if (name == "rightBackCap")
        return panel.FireBarRightBackCap;
    if (name == "bar")
        return panel.FireBar;
    return panel.FireBarBackground;
}

class PlayerInfoLayoutTest : public ::testing::TestWithParam<Place>
{
};

TEST_P(PlayerInfoLayoutTest, PartSitsWhereTheLayoutPutsIt)
{
    const Place& place = GetParam();
    PlayerInfo panel;
    Build(panel);
    panel.AutoAlignComponents(place.side);
    const FrontendElement& part = Part(panel, place.part);
    EXPECT_EQ(part.x, place.x) << place.part;
    EXPECT_EQ(part.y, place.y) << place.part;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PlayerInfoLayoutTest,
    ::testing::Values(Place{"icon", 0, 200, 100}, Place{"unspent", 0, 240, 140},
                      Place{"multiplierFrame", 0, 184, 154}, Place{"multiplier", 0, 190, 161},
                      Place{"powerFrame", 0, 184, 90}, Place{"power", 0, 184, 90},
                      Place{"frontCap", 0, 264, 122}, Place{"middle", 0, 274, 122},
                      Place{"backCap", 0, 370, 122}, Place{"bar", 0, 272, 134},
                      Place{"background", 0, 272, 134}, Place{"icon", 1, 200, 100},
                      Place{"unspent", 1, 240, 140}, Place{"rightMultiplierFrame", 1, 240, 154},
                      Place{"multiplier", 1, 254, 161}, Place{"rightPowerFrame", 1, 249, 90},
                      Place{"power", 1, 257, 90}, Place{"rightFrontCap", 1, 190, 122},
                      Place{"middle", 1, 94, 122}, Place{"rightBackCap", 1, 84, 122},
                      Place{"bar", 1, 138, 134}, Place{"background", 1, 138, 134}));

TEST(PlayerInfoTest, TextPlacesAndTheBarEndFollowTheSide)
{
    PlayerInfo panel;
    Build(panel);
    panel.AutoAlignComponents(kPlayerInfoLeft);
    EXPECT_FLOAT_EQ(panel.TextPosition.x, 200.0f + 1.2f * 64.0f);
    EXPECT_FLOAT_EQ(panel.TextPosition.y, 100.0f + 0.15f * 64.0f);
    EXPECT_FLOAT_EQ(panel.PlayerTextPosition.y, 100.0f - 0.4f * 64.0f);
    EXPECT_EQ(panel.FireBarMiddle.width, 96);

    PlayerInfo right;
    Build(right);
    right.AutoAlignComponents(kPlayerInfoRight);
    EXPECT_FLOAT_EQ(right.TextPosition.x, 200.0f - 1.65f * 64.0f);
    EXPECT_EQ(right.RealBarX, 238);

    PlayerInfo other;
    Build(other);
    other.AutoAlignComponents(5);
    EXPECT_EQ(other.side, 5);
    EXPECT_EQ(other.DragonIcon.x, 0);
    other.Render();
}

TEST(PlayerInfoTest, NewPanelPulsesItsMultiplierElevenTimes)
{
    PlayerInfo panel;
    int pulses = 0;
    int lowest = 255;
    for (int i = 0; i < 1000 && panel.pulseActive; ++i)
    {
        const int before = panel.pulseCount;
        panel.Update(kStep);
        pulses += panel.pulseCount > before ? 1 : 0;
        if (panel.pulseActive)
            lowest = std::min(lowest, int(panel.ScoreMultiplerImage.Color.a));
    }
    EXPECT_EQ(pulses, PlayerInfo::kPulses);
    EXPECT_EQ(panel.ScoreMultiplerImage.Color.a, 255);
    EXPECT_LE(lowest, 133);
    EXPECT_GE(lowest, 128);
    for (int i = 0; i < 100; ++i)
        panel.Update(kStep);
    EXPECT_EQ(panel.ScoreMultiplerImage.Color.a, 255);

    // A new multiplier frame starts the pulses again.
    panel.ScoreMultiplerImage.CurrentFrame = 2;
    panel.Update(kStep);
    EXPECT_EQ(panel.pulseActive, 1);
    EXPECT_EQ(panel.pulseCount, 0);
}

TEST(PlayerInfoTest, ColourFadeRunsWhilePointsAreUnspentAndRestsOtherwise)
{
    PlayerInfo panel;
    panel.StartColor = rgba8888{255, 0, 0, 255};
    panel.EndColor = rgba8888{0, 0, 255, 255};
    panel.ShowUnspeantPoints = 1;
    bool sawStart = false;
    bool sawEnd = false;
    for (int i = 0; i < 90; ++i)
    {
        panel.Update(kStep);
        sawStart = sawStart || (panel.PulseImage.Color.r == 255 && panel.PulseImage.Color.b == 0);
        sawEnd = sawEnd || (panel.PulseImage.Color.r == 0 && panel.PulseImage.Color.b == 255);
    }
    EXPECT_TRUE(sawStart);
    EXPECT_TRUE(sawEnd);

    panel.ShowUnspeantPoints = 0;
    for (int i = 0; i < 90; ++i)
        panel.Update(kStep);
    EXPECT_EQ(panel.fadeDirection, 1);
    EXPECT_FLOAT_EQ(panel.fadeTimer, 0.0f);
    EXPECT_EQ(panel.PulseImage.Color.r, 255);
    EXPECT_EQ(panel.PulseImage.Color.b, 0);
}

TEST(PlayerInfoTest, TriggerNotAboveZeroSetsTheLegsEndColourAtOnce)
{
    for (float trigger : {0.0f, -1.0f})
    {
        PlayerInfo panel;
        panel.TimeTrigger = trigger;
        panel.StartColor = rgba8888{10, 20, 30, 255};
        panel.EndColor = rgba8888{200, 100, 50, 255};
        panel.ShowUnspeantPoints = 1;
        panel.Update(kStep);
        EXPECT_EQ(panel.PulseImage.Color.r, 10) << trigger;
        EXPECT_EQ(panel.fadeDirection, 1);
        panel.Update(kStep);
        EXPECT_EQ(panel.PulseImage.Color.g, 100) << trigger;
        EXPECT_EQ(panel.fadeDirection, 0);
        EXPECT_FLOAT_EQ(panel.fadeTimer, 0.0f);
    }
}

TEST(PlayerInfoTest, WhiteFadeChangesNothing)
{
    PlayerInfo panel;
    panel.ShowUnspeantPoints = 1;
    for (int i = 0; i < 60; ++i)
    {
        panel.Update(kStep);
        EXPECT_EQ(panel.PulseImage.Color.r, 255);
        EXPECT_EQ(panel.PulseImage.Color.g, 255);
        EXPECT_EQ(panel.PulseImage.Color.b, 255);
    }
}
} // namespace
