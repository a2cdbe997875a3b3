// The demo on its first run: no option file yet, so the display starts full
// screen before the scripts, and the game script writes the file it was told
// of. The frames must draw with that one display.

#include "GameWindowFixture.h"

namespace
{
using FirstRunEndToEndTest = RunningGameTest;

int CountBlack(const Picture& picture)
{
    int black = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x)
        {
            const uint8_t* pixel = picture.At(x, y);
            black += (pixel[0] < 8 && pixel[1] < 8 && pixel[2] < 8) ? 1 : 0;
        }
    return black;
}
} // namespace

TEST_F(FirstRunEndToEndTest, TheOptionFileWrittenByTheScriptLeavesTheFramesDrawn)
{
    fs::remove(Demo() / "OptionData.txt");
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    EXPECT_EQ(ReadWhole(Demo() / "OptionData.txt"), "fullscreen\t0\nvolume\t100\nsky\t0\n");
    Picture picture;
    ASSERT_TRUE(Shoot(window, picture));
    ASSERT_GT(picture.width * picture.height, 0);
    // The scene fills the frame; a lost context leaves it black.
    EXPECT_LT(CountBlack(picture), picture.width * picture.height / 10);
    const std::string log = ReadWhole(Demo() / "tolvan.log");
    EXPECT_EQ(log.find("- OpenGL:"), std::string::npos) << log;
}
