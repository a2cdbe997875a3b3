// The demo's HUD through its own window: the breath meter refills and the
// first tip types itself out between two shots; with the upgrade screen
// open the arrow keys move its selection and leave the dragon alone.

#include "GameWindowFixture.h"

#include <algorithm>
#include <cstdlib>

namespace
{
// The meter's bar texture (224, 64, 32), drawn opaque.
bool IsBreath(const uint8_t* pixel)
{
    return std::abs(pixel[0] - 224) <= 12 && std::abs(pixel[1] - 64) <= 12 && std::abs(pixel[2] - 32) <= 12;
}

// The tip's description is white; nothing else in its box is (the scene
// shows through the panel at half strength, the title is yellow).
bool IsTipText(const uint8_t* pixel)
{
    return pixel[0] >= 200 && pixel[1] >= 200 && pixel[2] >= 200;
}

// The HUD's places in window pixels, as game.nut sets them.
Box MeterOf(const Picture&)
{
    return {40, 125, 240, 150};
}

Box TipOf(const Picture& picture)
{
    return {picture.width / 2 - 220, picture.height - 240, picture.width / 2 + 220, picture.height};
}

// The upgrade menu's lit selection (96, 128, 192) behind the chosen row.
bool IsSelection(const uint8_t* pixel)
{
    return std::abs(pixel[0] - 96) <= 24 && std::abs(pixel[1] - 128) <= 24 && std::abs(pixel[2] - 192) <= 24;
}

class HudEndToEndTest : public RunningGameTest
{
};
} // namespace

// Each shot is taken paused, so the frames shot are the ones asked for;
// in between the game plays on for at least the second the key is held.
TEST_F(HudEndToEndTest, TheBreathMeterRefillsAndTheTipTypesItselfOut)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - tip")) << "the tip never began to type: " << Title(window);

    ASSERT_TRUE(PressUntilTitle(window, "p", "Tolvan - paused"));
    Picture first;
    ASSERT_TRUE(Shoot(window, first));
    ASSERT_TRUE(PressUntilPlaying(window, "p"));
    ASSERT_TRUE(PressUntilTitle(window, "p", "Tolvan - paused"));
    Picture second;
    ASSERT_TRUE(Shoot(window, second));

    const int breathBefore = CountIn(first, MeterOf(first), IsBreath);
    const int breathAfter = CountIn(second, MeterOf(second), IsBreath);
    EXPECT_GT(breathBefore, 0) << "no breath shows at all";
    EXPECT_GT(breathAfter, breathBefore) << "the breath meter did not refill";
    const int textBefore = CountIn(first, TipOf(first), IsTipText);
    const int textAfter = CountIn(second, TipOf(second), IsTipText);
    EXPECT_GT(textAfter, textBefore) << "the tip's text did not grow";
}

// Down goes to the open upgrade screen: its selection moves one row. The
// title names the chosen upgrade, and would add "dragon steered" had the
// key steered the dragon off its path.
TEST_F(HudEndToEndTest, WithTheUpgradeScreenOpenAnArrowMovesItsSelectionNotTheDragon)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    XDoTool("mousemove --window " + window + " 2 2");
    ASSERT_TRUE(PressUntilTitle(window, "u", "Tolvan - upgrades 1"));
    Picture before;
    ASSERT_TRUE(Shoot(window, before));

    ASSERT_TRUE(PressUntilTitle(window, "Down", "Tolvan - upgrades 2")) << Title(window);
    Picture after;
    ASSERT_TRUE(Shoot(window, after));
    // The menu's rows start at y 220; the selection is 60 high.
    const Box firstRow{120, 225, 300, 275};
    const Box secondRow{120, 285, 300, 335};
    EXPECT_GT(CountIn(before, firstRow, IsSelection), CountIn(before, secondRow, IsSelection));
    EXPECT_GT(CountIn(after, secondRow, IsSelection), CountIn(after, firstRow, IsSelection));

    EXPECT_TRUE(PressUntilPlaying(window, "Escape"));
}
