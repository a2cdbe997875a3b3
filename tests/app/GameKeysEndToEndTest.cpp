// The demo played through its own window: keys of the game, what the shots
// show, and a game script rewritten while the game runs.

#include "GameWindowFixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

namespace
{
// The renderer's clear colour: where nothing was drawn.
constexpr uint8_t kClearGrey = 146;

Box WholeOf(const Picture& picture)
{
    return {0, 0, picture.width, picture.height};
}

// The ground below the pause menu in the middle, away from the system
// messages at the top left.
Box BottomQuarterOf(const Picture& picture)
{
    return {0, picture.height * 3 / 4, picture.width, picture.height};
}

Box MiddleOf(const Picture& picture)
{
    return {picture.width * 3 / 8, picture.height * 3 / 8, picture.width * 5 / 8, picture.height * 5 / 8};
}

template <typename Test> double ShareOf(const Box& box, Test test)
{
    size_t hits = 0;
    for (int y = box.top; y < box.bottom; ++y)
        for (int x = box.left; x < box.right; ++x)
            hits += test(x, y) ? 1 : 0;
    return double(hits) / double(size_t(box.right - box.left) * size_t(box.bottom - box.top));
}

double ChangedShare(const Picture& a, const Picture& b, const Box& box)
{
    return ShareOf(box, [&](int x, int y) {
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a.At(x, y)[c]) - int(b.At(x, y)[c])) > 24)
                return true;
        return false;
    });
}

double ClearShare(const Picture& picture, const Box& box)
{
    return ShareOf(box, [&](int x, int y) {
        const uint8_t* pixel = picture.At(x, y);
        return pixel[0] == kClearGrey && pixel[1] == kClearGrey && pixel[2] == kClearGrey;
    });
}

// The pixel at a place given in the menu's 1280 x 720 layout.
const uint8_t* LayoutPixel(const Picture& picture, int x, int y)
{
    return picture.At(x * picture.width / 1280, y * picture.height / 720);
}

std::string Rgb(const uint8_t* pixel)
{
    return std::to_string(pixel[0]) + "," + std::to_string(pixel[1]) + "," + std::to_string(pixel[2]);
}

// The lit button's texture (96, 128, 192) drawn nearly opaque over the scene.
bool IsLitButton(const uint8_t* pixel)
{
    return std::abs(pixel[0] - 96) <= 20 && std::abs(pixel[1] - 128) <= 20 && std::abs(pixel[2] - 192) <= 20;
}

// Shots of a scene that moves by itself until one shows it moved.
constexpr int kShotsUntilMoved = 20;

// Where the menu's buttons sit (left of their text).
constexpr int kButtonX = 450;
constexpr int kResumeY = 290;
constexpr int kOptionsY = 370;

class GameKeysEndToEndTest : public RunningGameTest
{
};
} // namespace

// With no input the dragon flies on and the camera follows; P stops the
// scene, and N then swaps day and night on the stopped scene; Escape resumes.
TEST_F(GameKeysEndToEndTest, TheSceneMovesByItselfPStopsItAndNSwapsDayAndNight)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";

    Picture first, second;
    ASSERT_TRUE(Shoot(window, first));
    // The dragon and the ground under the camera, lit, where it looks.
    EXPECT_LT(ClearShare(first, MiddleOf(first)), 0.05);
    // Shots follow each other as fast as the game draws: the scene has moved
    // once a later one differs.
    bool moved = false;
    for (int shot = 0; shot < kShotsUntilMoved && !moved; ++shot)
    {
        ASSERT_TRUE(Shoot(window, second));
        moved = ChangedShare(first, second, WholeOf(first)) > 0.01;
    }
    EXPECT_TRUE(moved) << "the scene stood still with no input";

    ASSERT_TRUE(PressUntilTitle(window, "p", "Tolvan - paused"));
    Picture paused, stillPaused;
    ASSERT_TRUE(Shoot(window, paused));
    ASSERT_TRUE(Shoot(window, stillPaused));
    EXPECT_LT(ChangedShare(paused, stillPaused, BottomQuarterOf(paused)), 0.001) << "the paused scene moved";

    ASSERT_TRUE(HoldAcrossAShot(window, "n"));
    Picture swapped;
    ASSERT_TRUE(Shoot(window, swapped));
    // The sky and the light change where the stopped scene did not move at
    // all (the whole frame: where the camera looks decides how much of it
    // is sky and how much lit ground).
    EXPECT_GT(ChangedShare(stillPaused, swapped, WholeOf(paused)), 0.05) << "N left the light as it was";

    EXPECT_TRUE(PressUntilPlaying(window, "Escape"));
}

namespace
{
// The ground of the paused scene, away from the HUD at the top, the pause
// menu's column in the middle and the tip at the bottom.
bool IsOpenGround(const Picture& picture, int x, int y)
{
    const int lx = x * 1280 / picture.width;
    const int ly = y * 720 / picture.height;
    const bool menu = lx >= 470 && lx < 810;
    const bool tip = lx >= 350 && lx < 890 && ly >= 480;
    return ly >= 170 && !menu && !tip;
}

float Brightness(const uint8_t* pixel)
{
    return float(pixel[0] + pixel[1] + pixel[2]) / 3.0f;
}

// Brightness of night against day, pixel by pixel, over the open ground.
std::vector<float> NightShares(const Picture& day, const Picture& night)
{
    std::vector<float> shares;
    for (int y = 0; y < day.height; ++y)
        for (int x = 0; x < day.width; ++x)
            if (IsOpenGround(day, x, y) && Brightness(day.At(x, y)) > 20.0f)
                shares.push_back(Brightness(night.At(x, y)) / Brightness(day.At(x, y)));
    return shares;
}

float Quantile(std::vector<float> values, double q)
{
    if (values.empty())
        return 0.0f;
    const size_t at = std::min(values.size() - 1, size_t(q * double(values.size())));
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(at), values.end());
    return values[at];
}

// The day and night shots of one stopped scene, and how the night's
// brightness compares with the day's over the open ground.
struct DayAndNight
{
    Picture day, night;
    std::vector<float> shares;

    bool Darkened() const { return Quantile(shares, 0.5) < 0.5f; }
    bool HasAPool() const { return Quantile(shares, 0.99) > 2.0f * Quantile(shares, 0.5); }
};
} // namespace

// On the stopped scene, N turns day to night or back. By night the sunlit
// ground and walls are far darker than by day, while the warm pool of a
// point light (the glow the dragon carries, a lamp) keeps much of its light.
TEST_F(GameKeysEndToEndTest, ByNightTheSunlitSceneDarkensAndAPointLightsPoolStaysLit)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    // The board drops in from above the camera once the level is up, in game
    // time, and the camera comes down after it. The first tip opens 1.5 s
    // into the level and types for 8 s, longer than the drop and the
    // camera's descent take: once it has typed itself out, shots show the
    // board at rest, however slowly the game runs.
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - tip", kLevelLimit)) << Title(window);
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - playing", kLevelLimit)) << Title(window);
    // Where the camera looks decides how much lit ground and which pools a
    // shot holds: a stop where it looks away is followed by another stop.
    DayAndNight scene;
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        if (attempt > 0)
        {
            ASSERT_TRUE(PressUntilPlaying(window, "p"));
        }
        ASSERT_TRUE(PressUntilTitle(window, "p", "Tolvan - paused"));
        Picture first, second;
        ASSERT_TRUE(Shoot(window, first));
        ASSERT_TRUE(HoldAcrossAShot(window, "n"));
        ASSERT_TRUE(Shoot(window, second));

        // The game may have been paused in either half of its cycle.
        const bool firstIsDay = Quantile(NightShares(first, second), 0.5) < 1.0f;
        scene.day = firstIsDay ? first : second;
        scene.night = firstIsDay ? second : first;
        scene.shares = NightShares(scene.day, scene.night);
        if (scene.Darkened() && scene.HasAPool())
            break;
    }
    const Picture& day = scene.day;
    const Picture& night = scene.night;
    const std::vector<float>& shares = scene.shares;
    ASSERT_GT(shares.size(), size_t(day.width * day.height / 10)) << "too little open ground in the shot";

    EXPECT_TRUE(scene.Darkened()) << "the lit ground hardly darkened at night: " << Quantile(shares, 0.5);
    EXPECT_TRUE(scene.HasAPool()) << "no pool of point light at night";
    // Where the pool is, the night is warm: red over blue.
    double red = 0.0, blue = 0.0;
    const float pool = Quantile(shares, 0.99);
    for (int y = 0; y < day.height; ++y)
        for (int x = 0; x < day.width; ++x)
            if (IsOpenGround(day, x, y) && Brightness(day.At(x, y)) > 20.0f &&
                Brightness(night.At(x, y)) >= pool * Brightness(day.At(x, y)))
            {
                red += night.At(x, y)[0];
                blue += night.At(x, y)[2];
            }
    EXPECT_GT(red, blue) << "the brightest of the night is not a warm pool";
    EXPECT_TRUE(PressUntilPlaying(window, "Escape"));
}

// M shows the UI menu over the scene with its first button lit; Down lights
// the next; Escape closes the menu, and the next Escape leaves the game,
// writes the step-time averages and quits.
TEST_F(GameKeysEndToEndTest, MShowsTheMenuEscapeClosesItAndThenQuits)
{
    const std::string window = StartGame({"-nosound", "-logsteptime"});
    ASSERT_FALSE(window.empty()) << "the level never came up";

    // The pointer away from the buttons, so only the keys choose one (a
    // button under the pointer is drawn lit as well).
    XDoTool("mousemove --window " + window + " 2 2");
    ASSERT_TRUE(PressUntilTitle(window, "m", "Tolvan - menu"));
    Picture menu;
    ASSERT_TRUE(Shoot(window, menu));
    EXPECT_TRUE(IsLitButton(LayoutPixel(menu, kButtonX, kResumeY))) << Rgb(LayoutPixel(menu, kButtonX, kResumeY));
    EXPECT_FALSE(IsLitButton(LayoutPixel(menu, kButtonX, kOptionsY))) << Rgb(LayoutPixel(menu, kButtonX, kOptionsY));

    ASSERT_TRUE(HoldAcrossAShot(window, "Down"));
    Picture moved;
    ASSERT_TRUE(Shoot(window, moved));
    EXPECT_FALSE(IsLitButton(LayoutPixel(moved, kButtonX, kResumeY))) << Rgb(LayoutPixel(moved, kButtonX, kResumeY));
    EXPECT_TRUE(IsLitButton(LayoutPixel(moved, kButtonX, kOptionsY))) << Rgb(LayoutPixel(moved, kButtonX, kOptionsY));

    ASSERT_TRUE(PressUntilPlaying(window, "Escape"));
    Picture closed;
    ASSERT_TRUE(Shoot(window, closed));
    EXPECT_FALSE(IsLitButton(LayoutPixel(closed, kButtonX, kOptionsY))) << "the menu is still drawn";

    KeysDown(window, {"Escape"});
    EXPECT_EQ(ExitWithin(m_engine, kQuitLimit), 1);
    const std::string log = ReadWhole(Demo() / "tolvan.log");
    EXPECT_NE(log.find("avg: "), std::string::npos) << log;
    EXPECT_NE(log.find("avg at end: "), std::string::npos) << log;
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
}

// game.nut rewritten on disk runs again in the running game: the function it
// changed is the one called from then on, and the game's state survives.
TEST_F(GameKeysEndToEndTest, ARewrittenGameScriptChangesWhatTheRunningGameDoes)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";

    const fs::path script = Demo() / "data" / "game.nut";
    std::string text = ReadWhole(script);
    const std::string before = "SetAppTitle(\"Tolvan: \" + name + \" changed\")";
    const size_t at = text.find(before);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, before.size(), "SetAppTitle(\"Tolvan, reloaded: \" + name + \" changed\")");
    std::ofstream(script, std::ios::binary | std::ios::trunc) << text;

    // A data file the engine does not reload itself goes to the script's
    // FileChanged; touched until the new one answers.
    const std::string expected = "Tolvan, reloaded: sound/demo.txt changed";
    std::string title;
    const auto end = Clock::now() + kLevelLimit;
    while (title != expected && Clock::now() < end)
    {
        std::ofstream(Demo() / "data" / "sound" / "demo.txt", std::ios::app) << "\n";
        const auto seen = Clock::now() + std::chrono::seconds(3);
        while ((title = Title(window)) != expected && Clock::now() < seen)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(title, expected);
    EXPECT_TRUE(PressUntilTitle(window, "p", "Tolvan - paused")) << "the keys went with the reload";
    EXPECT_EQ(StopWithin(m_engine, kQuitLimit), 1);
    const std::string log = ReadWhole(Demo() / "tolvan.log");
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
}
