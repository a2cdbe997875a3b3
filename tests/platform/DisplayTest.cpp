#include "platform/Display.h"

#include "core/Clock.h"
#include "platform/DisplayModeManager.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"
#include "support/LogCapture.h"
#include "support/ManualClock.h"

#include <GL/glew.h>
#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <unistd.h>

namespace
{
class DisplayOnScreen : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(CreateMainWindow(true)) << m_reports.Text();
    }
    void TearDown() override
    {
        if (HasFailure())
            m_reports.Print();
        DisplayDestroy();
        DestroyMainWindow();
    }

    LogCapture m_reports;

    // Whether the driver offers swap control at all (Xvfb does not).
    static bool DriverOffersSwapControl()
    {
        const int previous = SDL_GL_GetSwapInterval();
        const bool offered = SDL_GL_SetSwapInterval(previous) == 0;
        return offered;
    }
};
} // namespace

TEST_F(DisplayOnScreen, WindowedDisplayHasTheRequestedSizeAndAContext)
{
    const uint32_t attributes[] = {kDisplayAttributeWindowed, kDisplayAttributeSwapInterval + 1, 0};
    ASSERT_TRUE(DisplayCreate(320, 240, attributes));
    EXPECT_FALSE(DisplayIsFullScreen());
    EXPECT_EQ(DisplayGetWidth(), 320);
    EXPECT_EQ(DisplayGetHeight(), 240);
    EXPECT_FLOAT_EQ(DisplayGetAspect(), 320.0f / 240.0f);

    SDL_Window* window = GetMainWindow();
    ASSERT_NE(window, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowSize(window, &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 240);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    const GLubyte* version = glGetString(GL_VERSION);
    ASSERT_NE(version, nullptr);
    EXPECT_NE(version[0], 0);
    // A compatibility context: the fixed-function matrices are there.
    glMatrixMode(GL_PROJECTION);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    int stencil = 0, depth = 0;
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    EXPECT_GE(stencil, 8);
    EXPECT_GE(depth, 24);
}

TEST_F(DisplayOnScreen, SwapIntervalIsSetOnlyWhenOffered)
{
    const uint32_t attributes[] = {kDisplayAttributeSwapInterval + 1, 0};
    ASSERT_TRUE(DisplayCreate(160, 120, attributes));
    EXPECT_EQ(DisplayGetSwapInterval(), DriverOffersSwapControl() ? 1 : 0);
}

TEST_F(DisplayOnScreen, FullScreenWithSyncKeepsTheSwapInterval)
{
    DisplaySetScreenSize(0, 0);
    const uint32_t attributes[] = {kDisplayAttributeFullScreen, kDisplayAttributeSwapInterval + 1, 0};
    LogCapture log;
    ASSERT_TRUE(DisplayCreate(320, 240, attributes));
    EXPECT_TRUE(log.Lines().empty()) << log.Lines()[0];
    EXPECT_TRUE(SDL_GetWindowFlags(GetMainWindow()) & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(DisplayIsFullScreen());
    int screenWidth = 0, screenHeight = 0;
    DisplayGetScreenSize(screenWidth, screenHeight);
    EXPECT_EQ(DisplayGetWidth(), screenWidth);
    EXPECT_EQ(DisplayGetHeight(), screenHeight);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_EQ(screenWidth, desktop.w);
    EXPECT_EQ(screenHeight, desktop.h);
    EXPECT_EQ(DisplayGetSwapInterval(), DriverOffersSwapControl() ? 1 : 0);
}

TEST_F(DisplayOnScreen, UnavailableSampleCountFallsBackToNoMultisampling)
{
    const uint32_t attributes[] = {kDisplayAttributeMultisample, 64, 0};
    LogCapture log;
    EXPECT_TRUE(DisplayCreate(160, 120, attributes));
    EXPECT_NE(SDL_GL_GetCurrentContext(), nullptr);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(DisplayOnScreen, RecreatingTheWindowKeepsTheQuitState)
{
    QuitDisallow();
    ASSERT_TRUE(DisplayCreate(160, 120, nullptr));
    EXPECT_FALSE(QuitAllowed());
    QuitAllow();
    ASSERT_TRUE(DisplayCreate(160, 120, nullptr));
    EXPECT_TRUE(QuitAllowed());
}

TEST_F(DisplayOnScreen, PresentRecordsTheClock)
{
    ASSERT_TRUE(DisplayCreate(160, 120, nullptr));
    ManualClock clock(5000000);
    DisplayPresent();
    EXPECT_EQ(ClockLastTick(), 5000000u);
}

TEST_F(DisplayOnScreen, ModeManagerListsTheScreensModes)
{
    DisplayModeManager manager;
    manager.Init();
    ASSERT_GE(manager.GetNumberOfModes(), 1);
    for (int i = 0; i < manager.GetNumberOfModes(); ++i)
        EXPECT_NE(manager.GetMode(i).bitsPerPixel, 24) << "24-bit modes are listed as 32";
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_NE(manager.GetIndexOfResolution(desktop.w, desktop.h), -1);
}

TEST(DisplayScreenSize, StoredSizeWins)
{
    DisplaySetScreenSize(640, 360);
    int width = 0, height = 0;
    DisplayGetScreenSize(width, height);
    EXPECT_EQ(width, 640);
    EXPECT_EQ(height, 360);
    DisplaySetScreenSize(0, 0);
}

TEST(DisplaySize, EmptySizeIsRefusedBeforeAnyWindowIsTouched)
{
    LogCapture log;
    EXPECT_FALSE(DisplayCreate(0, 480, nullptr));
    EXPECT_FALSE(DisplayCreate(640, -1, nullptr));
    EXPECT_EQ(log.Lines().size(), 2u);
    EXPECT_EQ(GetMainWindow(), nullptr);
}

namespace
{
// Run in a child process that cannot reach any window system (the driver
// named, or SDL's choice when null): prints the reports and exits 0 when
// the failure was returned.
void OpenOnAnUnreachableDisplay(const char* driver)
{
    setenv("DISPLAY", ":9999", 1);
    unsetenv("WAYLAND_DISPLAY");
    if (driver)
        setenv("SDL_VIDEODRIVER", driver, 1);
    else
        unsetenv("SDL_VIDEODRIVER");
    LogCapture log;
    const bool created = CreateMainWindow(true) && DisplayCreate(160, 120, nullptr);
    for (const std::string& line : log.Lines())
        fprintf(stderr, "%s", line.c_str());
    fflush(stderr);
    _exit(created ? 1 : 0);
}
} // namespace

// The failure is reported and returned, and nothing waits for a person.
TEST(DisplayWithoutScreen, FailureToOpenIsReportedAndReturned)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(OpenOnAnUnreachableDisplay("x11"), testing::ExitedWithCode(0), "could not start the window system");
}

// An X display that cannot be reached is not traded for another window
// system (whose context could not load the GL entry points): the report
// names the real cause.
TEST(DisplayWithoutScreen, AnUnreachableXDisplayFailsToStartTheWindowSystem)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(OpenOnAnUnreachableDisplay(nullptr), testing::ExitedWithCode(0),
                "could not start the window system");
}
