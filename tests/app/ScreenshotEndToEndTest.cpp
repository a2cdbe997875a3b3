// Print Screen on the running game: keys go to the engine's own window,
// found by its process id, so engines that other tests run on the same
// display are never touched.

#include "EndToEndFixture.h"

#include <cstdio>

namespace
{
constexpr std::chrono::seconds kLevelLimit(90);
constexpr std::chrono::seconds kShotLimit(10);

bool HaveXDoTool()
{
    return system("command -v xdotool >/dev/null 2>&1") == 0;
}

// Runs xdotool with the arguments; its output lines.
std::vector<std::string> XDoTool(const std::string& arguments)
{
    std::vector<std::string> lines;
    FILE* pipe = popen(("xdotool " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return lines;
    char line[256];
    while (fgets(line, sizeof line, pipe))
    {
        std::string text = line;
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        lines.push_back(text);
    }
    pclose(pipe);
    return lines;
}

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

// Width and height from an uncompressed true-colour TGA whose pixels are all there.
bool TgaSize(const std::string& bytes, int& width, int& height)
{
    if (bytes.size() < 18)
        return false;
    const auto at = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    width = at(12) + at(13) * 256;
    height = at(14) + at(15) * 256;
    const size_t pixels = size_t(width) * size_t(height) * (at(16) / 8u);
    return at(2) == 2 && bytes.size() >= 18 + at(0) + pixels;
}

class ScreenshotEndToEndTest : public EndToEndTest
{
protected:
    void SetUp() override
    {
        if (!HaveXDoTool())
            GTEST_SKIP() << "xdotool is not installed";
        EndToEndTest::SetUp();
    }

    // The engine's window once the level is up (the game names it so then);
    // empty when it never was.
    static std::string WaitForGameWindow(pid_t engine)
    {
        const auto end = Clock::now() + kLevelLimit;
        while (Clock::now() < end && waitpid(engine, nullptr, WNOHANG) == 0)
        {
            const std::vector<std::string> found =
                XDoTool("search --all --pid " + std::to_string(engine) + " --name '^Tolvan - playing$'");
            if (!found.empty())
                return found.front();
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        return "";
    }

    // Down and up a while apart, so a fixed step sees the key held. Sent to
    // the window itself, so no other window's focus matters.
    static void Press(const std::string& window, const std::vector<std::string>& keys)
    {
        std::string down, up;
        for (const std::string& key : keys)
        {
            down += " keydown --window " + window + " " + key;
            up = " keyup --window " + window + " " + key + up;
        }
        XDoTool(down + " sleep 0.4" + up);
    }

    std::vector<fs::path> Shots(const std::string& extension) const
    {
        std::vector<fs::path> shots;
        for (const auto& item : fs::directory_iterator(Demo()))
            if (item.path().filename().string().rfind("screenshot ", 0) == 0 && item.path().extension() == extension)
                shots.push_back(item.path());
        return shots;
    }

    // Presses until a shot of the kind appears; the first press may come
    // before the game's first step.
    bool ShootUntil(const std::string& window, const std::vector<std::string>& keys, const std::string& extension)
    {
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            Press(window, keys);
            const auto end = Clock::now() + kShotLimit;
            while (Clock::now() < end)
            {
                if (!Shots(extension).empty())
                    return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        return false;
    }
};
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
    const bool jpeg = ShootUntil(window, {"Print"}, ".jpg");
    // Shots are named to the second: the next one must not reuse the name.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
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
    ASSERT_TRUE(TgaSize(ReadWhole(Shots(".tga").front()), width, height));
    EXPECT_EQ(width, windowWidth);
    EXPECT_EQ(height, windowHeight);
}
