// The demo played as a game through its own window: what the player does
// decides the score, the menus hold their content, and the options outlive
// a restart. The game writes its round to "round.sav" (score, crystals,
// houses, knights) whenever it tells the player something.

#include "GameWindowFixture.h"

#include "online/storefront/StorefrontBoards.h"

#include <map>

namespace
{
Box WholeOf(const Picture& picture)
{
    return {0, 0, picture.width, picture.height};
}

// A crystal's faces: a cyan nothing else in the scene has.
bool IsCrystal(const uint8_t* pixel)
{
    return pixel[1] >= 240 && pixel[2] >= 240 && pixel[0] >= 110 && pixel[0] <= 215;
}

// Font pixels over the screens' dark panels (white, pale yellow, pale blue).
bool IsText(const uint8_t* pixel)
{
    return pixel[0] >= 160 && pixel[1] >= 190 && pixel[2] >= 150;
}

// The round as the game last wrote it; empty before the first write.
std::map<std::string, int> ReadRound(const fs::path& file)
{
    std::map<std::string, int> round;
    std::istringstream text(ReadWhole(file));
    std::string name;
    int value = 0;
    while (text >> name >> value)
        round[name] = value;
    return round;
}

constexpr std::chrono::seconds kPlayLimit(240);

// The middle of the menu's second and third buttons (Options, then Sound
// volume on the options screen; Sky), as screens.scn places them.
constexpr int kOptionsX = 640;
constexpr int kSecondY = 370;
constexpr int kThirdY = 450;

// The leaderboard's rows, as game.nut places them on a 1280 x 720 window.
Box LeaderboardRow(int row)
{
    return {815, 200 + row * 34, 1225, 200 + row * 34 + 30};
}

class DemoGameEndToEndTest : public RunningGameTest
{
protected:
    std::map<std::string, int> Round() const { return ReadRound(Demo() / "round.sav"); }

    // Plain shots until one shows the thing, within a few.
    template <typename Seen> bool ShootUntilSeen(const std::string& window, Picture& picture, Seen seen)
    {
        for (int shot = 0; shot < 8; ++shot)
            if (Shoot(window, picture) && seen(picture))
                return true;
        return false;
    }

    // Clicks at a place of the 1280 x 720 window until the title says the
    // game took it; the button goes down until then, as a key is held.
    static bool ClickUntilTitle(const std::string& window, int x, int y, const std::string& title)
    {
        XDoTool("mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
        for (int attempt = 0; attempt < 3; ++attempt)
        {
            XDoTool("mousedown --window " + window + " 1");
            const bool seen = WaitForTitle(window, title);
            XDoTool("mouseup --window " + window + " 1");
            if (seen)
                return true;
        }
        return false;
    }

    // Text shows in the box within a few shots.
    bool TextShows(const std::string& window, const Box& box, int least)
    {
        Picture picture;
        return ShootUntilSeen(window, picture, [&](const Picture& p) { return CountIn(p, box, IsText) >= least; });
    }
};
} // namespace

// Crystals float where the dragon flies. Flying on without Space scores
// nothing; held Space gathers crystals and sets houses alight, and the score
// is exactly what those are worth. Offline the leaderboard shows its "no
// score" row and nothing below it.
TEST_F(DemoGameEndToEndTest, CrystalsShowOnThePathAndOnlyTheBreathScores)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    // The first tip has typed itself out: seconds of flight past crystals.
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - tip", kLevelLimit));
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - playing", kLevelLimit));
    Picture ahead;
    EXPECT_TRUE(
        ShootUntilSeen(window, ahead, [](const Picture& p) { return CountIn(p, WholeOf(p), IsCrystal) > 400; }))
        << "no crystal seen ahead of the dragon";
    std::map<std::string, int> round = Round();
    EXPECT_EQ(round["score"], 0) << "the score rose with no fire";
    EXPECT_EQ(round["crystals"], 0);

    KeysDown(window, {"space"});
    const auto end = Clock::now() + kPlayLimit;
    while (Clock::now() < end && waitpid(m_engine, nullptr, WNOHANG) == 0)
    {
        round = Round();
        if (round["crystals"] >= 1 && round["houses"] >= 1)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    KeysUp(window, {"space"});
    EXPECT_GE(round["crystals"], 1) << "the breath gathered no crystal";
    EXPECT_GE(round["houses"], 1) << "the breath set no house alight";
    EXPECT_EQ(round["score"], 100 * round["crystals"] + 250 * round["houses"] + 300 * round["knights"]);

    XDoTool("mousemove --window " + window + " 2 2");
    ASSERT_TRUE(PressUntilTitle(window, "u", "Tolvan - upgrades 1"));
    EXPECT_TRUE(TextShows(window, LeaderboardRow(0), 40)) << "no \"no score\" row";
    Picture board;
    ASSERT_TRUE(Shoot(window, board));
    EXPECT_LT(CountIn(board, LeaderboardRow(1), IsText), 10) << "rows under the \"no score\" row";
}

// The upgrade screen names its upgrades with their costs and help; the
// leaderboard, read from the storefront service's folder, ranks its rows.
TEST_F(DemoGameEndToEndTest, TheUpgradeAndLeaderboardScreensHoldText)
{
    const fs::path boards = root / "platform" / "leaderboards";
    fs::create_directories(boards);
    const std::string board = (boards / "2").string();
    ASSERT_TRUE(BoardCreate(board.c_str(), 1));
    BoardPostResult posted;
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(BoardPostScore(board.c_str(), 1000 + i, ("rider" + std::to_string(i)).c_str(), 500 + 100 * i,
                                   true, posted));

    m_engine = Start({"-nosound"}, nullptr);
    ASSERT_GT(m_engine, 0);
    const std::string window = WaitForGameWindow(m_engine);
    ASSERT_FALSE(window.empty()) << "the level never came up";
    XDoTool("mousemove --window " + window + " 2 2");
    ASSERT_TRUE(PressUntilTitle(window, "u", "Tolvan - upgrades 1"));
    EXPECT_TRUE(TextShows(window, LeaderboardRow(2), 40)) << "the third row never filled";
    Picture screens;
    ASSERT_TRUE(Shoot(window, screens));
    for (int row = 0; row < 3; ++row)
        EXPECT_GT(CountIn(screens, LeaderboardRow(row), IsText), 40) << "row " << row;
    EXPECT_LT(CountIn(screens, LeaderboardRow(4), IsText), 10) << "a row with no score";
    // The names and costs beside the bars, and the chosen upgrade's help.
    const Box names{360, 225, 650, 420};
    const Box help{110, 505, 650, 580};
    EXPECT_GT(CountIn(screens, names, IsText), 800);
    EXPECT_GT(CountIn(screens, help, IsText), 400);
}

// Options changed in the menu go to the option file and come back at the
// next start; the window title names them while the options screen shows.
TEST_F(DemoGameEndToEndTest, OptionsAreWrittenAndReadBackAtTheNextStart)
{
    std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    ASSERT_TRUE(PressUntilTitle(window, "m", "Tolvan - menu"));
    ASSERT_TRUE(ClickUntilTitle(window, kOptionsX, kSecondY, "Tolvan - options: windowed, volume 100, day and night"));
    ASSERT_TRUE(ClickUntilTitle(window, kOptionsX, kSecondY, "Tolvan - options: windowed, volume 75, day and night"));
    ASSERT_TRUE(ClickUntilTitle(window, kOptionsX, kThirdY, "Tolvan - options: windowed, volume 75, always day"));
    EXPECT_EQ(ReadWhole(Demo() / "OptionData.txt"), "fullscreen\t0\nvolume\t75\nsky\t1\n");
    XDoTool("mousemove --window " + window + " 2 2");
    ASSERT_TRUE(PressUntilPlaying(window, "Escape"));
    KeysDown(window, {"Escape"});
    ASSERT_EQ(ExitWithin(m_engine, kQuitLimit), 1);

    window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up again";
    ASSERT_TRUE(PressUntilTitle(window, "m", "Tolvan - menu"));
    EXPECT_TRUE(ClickUntilTitle(window, kOptionsX, kSecondY, "Tolvan - options: windowed, volume 75, always day"))
        << Title(window);
}
