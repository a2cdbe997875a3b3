// Runs the real executable on a copy of the demo tree and reads what it wrote.

#include "EndToEndFixture.h"
#include "GameWindowFixture.h"

TEST_F(EndToEndTest, WritesItsLogsRunsFramesAndQuitsOnSigterm)
{
    const pid_t child = Start({"-nosound"}, nullptr);
    ASSERT_GT(child, 0);
    ASSERT_TRUE(WaitFor(Demo() / "tolvan.log", kStartLimit));
    // The graphics log is written once the display is up and draws.
    EXPECT_TRUE(WaitForText(Demo() / "bin" / "tolvanGFX.log", "Using Vertex array objects", kStartLimit));
    EXPECT_EQ(StopWithin(child, kQuitLimit), 1);

    // The performance log sits in the working folder and holds the start stamp.
    const std::string stamp = ReadWhole(Demo() / "bin" / "tolvanPerf.log");
    EXPECT_GT(stamp.size(), 10u);
    EXPECT_EQ(stamp.substr(stamp.size() - 2), "\n\n");
    EXPECT_NE(stamp.find('\''), std::string::npos);
    EXPECT_TRUE(fs::exists(Demo() / "bin" / "tolvanGFX.log"));
    EXPECT_TRUE(fs::is_directory(root / "platform"));

    // The demo's scripts compile and run without an error report.
    const std::string log = ReadWhole(Demo() / "tolvan.log");
    EXPECT_EQ(log.find("error"), std::string::npos) << log;
    EXPECT_EQ(log.find("Open script"), std::string::npos) << log;
}

TEST_F(EndToEndTest, PlatformOffLeavesItsFolderUntouched)
{
    const pid_t child = Start({"-nosound"}, "off");
    ASSERT_GT(child, 0);
    ASSERT_TRUE(WaitFor(Demo() / "tolvan.log", kStartLimit));
    EXPECT_EQ(StopWithin(child, kQuitLimit), 1);
    EXPECT_FALSE(fs::exists(root / "platform"));
}

TEST_F(EndToEndTest, ScriptErrorsAreReportedInTheLogAndTheEngineRunsOn)
{
    std::ofstream(Demo() / "data" / "syntax.nut") << "local a = 1;\nlocal b = = 2;\n";
    std::ofstream(Demo() / "data" / "broken.nut")
        << "dofile(\"syntax.nut\");\nlocal here = 1;\nhere.missing = 2;\n";
    const pid_t child = Start({"-nosound", "-startup", "broken.nut"}, nullptr);
    ASSERT_GT(child, 0);
    const fs::path log = Demo() / "tolvan.log";
    const bool reported = WaitForText(log, "Squirrel error : ", kStartLimit);
    EXPECT_EQ(StopWithin(child, kQuitLimit), 1);
    ASSERT_TRUE(reported) << ReadWhole(log);
    const std::string text = ReadWhole(log);
    EXPECT_NE(text.find("compile error:\n"), std::string::npos) << text;
    EXPECT_NE(text.find("data/syntax.nut(2) : (col "), std::string::npos) << text;
    EXPECT_NE(text.find("Script compile 'syntax.nut' failed.\n"), std::string::npos) << text;
    EXPECT_NE(text.find("----------------\nSquirrel error : "), std::string::npos) << text;
    EXPECT_NE(text.find("        CALLSTACK:\n"), std::string::npos) << text;
    EXPECT_NE(text.find("data/broken.nut(3) : "), std::string::npos) << text;
    EXPECT_LT(text.find("compile error:"), text.find("Squirrel error : "));
}

TEST_F(EndToEndTest, ReportsFromMountingReachTheLogAndASecondStartLeavesTheLogsAlone)
{
    std::ofstream(Demo() / "data" / "damaged.darnix") << "not an archive at all";
    const pid_t first = Start({"-nosound"}, nullptr);
    ASSERT_GT(first, 0);
    const fs::path log = Demo() / "tolvan.log";
    const bool reported = WaitForText(log, "damaged.darnix does not open", kStartLimit);
    // The graphics log is written once the display is up, which comes after
    // the mount under a loaded machine: compare against the whole of it.
    EXPECT_TRUE(WaitForText(Demo() / "bin" / "tolvanGFX.log", "Using Vertex array objects", kStartLimit));
    const std::string stamp = ReadWhole(Demo() / "bin" / "tolvanPerf.log");
    const std::string graphics = ReadWhole(Demo() / "bin" / "tolvanGFX.log");

    // A second start is refused and must not truncate the running one's logs.
    const pid_t second = Start({"-nosound"}, nullptr);
    ASSERT_GT(second, 0);
    int status = -1;
    bool ended = false;
    const auto end = Clock::now() + kStartLimit;
    while (!ended && Clock::now() < end)
    {
        ended = waitpid(second, &status, WNOHANG) == second;
        if (!ended)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!ended)
    {
        kill(second, SIGKILL);
        waitpid(second, &status, 0);
    }
    EXPECT_TRUE(ended && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(ReadWhole(Demo() / "bin" / "tolvanPerf.log"), stamp);
    EXPECT_EQ(ReadWhole(Demo() / "bin" / "tolvanGFX.log"), graphics);
    EXPECT_FALSE(stamp.empty());

    EXPECT_EQ(StopWithin(first, kQuitLimit), 1);
    EXPECT_TRUE(reported) << ReadWhole(log);
}

namespace
{
class MusicEndToEndTest : public RunningGameTest
{
};
} // namespace

// With sound on (OpenAL's null output under test) the demo's music stream must
// outlive three pieces, or game.nut raises a script error at 3.5 s of game time.
// The first tip opens 1.5 s into the level and types for 8 s: once the title
// says it has typed itself out, the check has run, however slowly the game runs.
TEST_F(MusicEndToEndTest, TheDemoMusicStreamOutlivesThreePieces)
{
    m_engine = Start({}, nullptr);
    ASSERT_GT(m_engine, 0);
    const std::string window = WaitForGameWindow(m_engine);
    ASSERT_FALSE(window.empty()) << "the level never came up";
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - tip", kLevelLimit)) << Title(window);
    ASSERT_TRUE(WaitForTitle(window, "Tolvan - playing", kLevelLimit)) << Title(window);
    EXPECT_EQ(StopWithin(m_engine, kQuitLimit), 1);
    const std::string text = ReadWhole(Demo() / "tolvan.log");
    EXPECT_EQ(text.find("Squirrel error"), std::string::npos) << text;
    EXPECT_EQ(text.find("Pendrel Audio"), std::string::npos) << text;
    EXPECT_EQ(text.find("OpenAL could not"), std::string::npos) << text;
}

