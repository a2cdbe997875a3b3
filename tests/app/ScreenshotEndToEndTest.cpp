// Print Screen on the running game: keys go to the engine's own window.

#include "GameWindowFixture.h"

namespace
{
// Width and height from a JPEG's frame header.
bool JpegSize(const std::string& bytes, int& width, int& height)
{
    const auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    for (size_t i = 2; i + 8 < bytes.size(); ++i)
    {
        if (at(i) == 0xFF && (at(i + 1) == 0xC0 || at(i + 1) == 0xC2))
        {
            height = at(i + 5) * 256 + at(i + 6);
            width = at(i + 7) * 256 + at(i + 8);
            return true;
        }
    }
    return false;
}

using ScreenshotEndToEndTest = GameWindowTest;
} // namespace

// Print Screen writes a JPEG, with Shift a TGA, in the tree root, both of
// the window's size.
TEST_F(ScreenshotEndToEndTest, PrintScreenWritesShotsOfTheWindowsSize)
{
    const pid_t child = Start({"-nosound"}, "off");
    ASSERT_GT(child, 0);
    const std::string window = WaitForGameWindow(child);
    if (window.empty())
    {
        StopWithin(child, kQuitLimit);
        FAIL() << "the level never came up\n" << ReadWhole(Demo() / "tolvan.log");
    }
    int windowWidth = 0, windowHeight = 0;
    for (const std::string& line : XDoTool("getwindowgeometry --shell " + window))
    {
        sscanf(line.c_str(), "WIDTH=%d", &windowWidth);
        sscanf(line.c_str(), "HEIGHT=%d", &windowHeight);
    }
    // Shots are named to the second, but by their kind as well: the two
    // never share a name.
    const bool jpeg = ShootUntil(window, {"Print"}, ".jpg");
    const bool tga = ShootUntil(window, {"shift", "Print"}, ".tga");
    EXPECT_EQ(StopWithin(child, kQuitLimit), 1);
    ASSERT_TRUE(jpeg) << ReadWhole(Demo() / "tolvan.log");
    ASSERT_TRUE(tga) << ReadWhole(Demo() / "tolvan.log");
    EXPECT_EQ(Shots(".jpg").size(), 1u) << "Shift+Print writes no JPEG";
    ASSERT_GT(windowWidth, 0);

    int width = 0, height = 0;
    ASSERT_TRUE(JpegSize(ReadWhole(Shots(".jpg").front()), width, height));
    EXPECT_EQ(width, windowWidth);
    EXPECT_EQ(height, windowHeight);
    Picture picture;
    ASSERT_TRUE(ReadTga(ReadWhole(Shots(".tga").front()), picture));
    EXPECT_EQ(picture.width, windowWidth);
    EXPECT_EQ(picture.height, windowHeight);
}
