#include "platform/DisplayModeManager.h"

#include "support/DisplayTestSupport.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace
{
// The modes the fake adapter lists, and what applying each one answers.
std::vector<DisplayMode> g_modes;
std::vector<DisplayMode> g_applied;
int g_restores = 0;
DisplayChangeResult (*g_answer)(const DisplayMode&) = nullptr;

bool FakeEnumerate(DisplayMode& mode, int index)
{
    if (index < 0 || index >= static_cast<int>(g_modes.size()))
        return false;
    mode = g_modes[index];
    return true;
}

DisplayChangeResult FakeApply(const DisplayMode* mode)
{
    if (!mode)
    {
        ++g_restores;
        return DisplayChangeResult::kSuccessful;
    }
    g_applied.push_back(*mode);
    return g_answer ? g_answer(*mode) : DisplayChangeResult::kSuccessful;
}

const DisplayModeSource kFakeSource = {FakeEnumerate, FakeApply};

DisplayMode Mode(int width, int height, int bits)
{
    return DisplayMode{width, height, bits, 60};
}

class DisplayModes : public testing::Test
{
protected:
    void SetUp() override
    {
        g_modes = {Mode(1280, 720, 32),  Mode(640, 480, 16),  Mode(640, 480, 32),
                   Mode(1920, 1080, 32), Mode(800, 600, 32),  Mode(1024, 768, 32),
                   Mode(1280, 1024, 24), Mode(1600, 900, 32), Mode(1920, 1080, 16)};
        g_applied.clear();
        g_restores = 0;
        g_answer = nullptr;
        DisplayModeSetSource(&kFakeSource);
        manager.Reset();
    }
    void TearDown() override { DisplayModeSetSource(nullptr); }

    std::vector<std::pair<int, int>> Sizes() const
    {
        std::vector<std::pair<int, int>> sizes;
        for (int i = 0; i < manager.GetNumberOfUniqueResolutions(); ++i)
            sizes.emplace_back(manager.GetUniqueResolution(i).m_Width,
                               manager.GetUniqueResolution(i).m_Height);
        return sizes;
    }

    DisplayModeManager manager;
};
} // namespace

TEST_F(DisplayModes, InitKeepsEveryModeAndSortsTheUniqueResolutions)
{
    manager.Init();
    EXPECT_TRUE(manager.IsInitialised());
    EXPECT_EQ(manager.GetNumberOfModes(), 9);
    EXPECT_EQ(manager.GetMode(6).bitsPerPixel, 24);
    EXPECT_EQ(manager.GetMode(9).width, 0);
    const std::vector<std::pair<int, int>> expected = {{640, 480},   {800, 600},  {1024, 768}, {1280, 720},
                                                       {1280, 1024}, {1600, 900}, {1920, 1080}};
    EXPECT_EQ(Sizes(), expected);
    EXPECT_TRUE(manager.GetUniqueResolution(0).IsCompatibleWithFullScreen());
    EXPECT_EQ(manager.GetLargestWidth(), 1920);
    EXPECT_EQ(manager.GetLargestHeight(), 1080);
}

TEST_F(DisplayModes, InitAgainStartsOver)
{
    manager.Init();
    manager.Init();
    EXPECT_EQ(manager.GetNumberOfModes(), 9);
    EXPECT_EQ(manager.GetNumberOfUniqueResolutions(), 7);
}

TEST_F(DisplayModes, AbsentResolutionGivesTheMiddleIndex)
{
    manager.Init();
    EXPECT_EQ(manager.GetIndexOfResolution(1024, 768), 2);
    EXPECT_EQ(manager.GetIndexOfResolution(1366, 768), 3);
}

TEST_F(DisplayModes, AddUniqueResolutionTakesOnlySmallerNewSizes)
{
    manager.Init();
    manager.AddUniqueResolution(1920, 1080); // present
    manager.AddUniqueResolution(2560, 1080); // wider than the largest
    manager.AddUniqueResolution(1900, 1080); // as high as the largest
    EXPECT_EQ(manager.GetNumberOfUniqueResolutions(), 7);

    manager.AddUniqueResolution(1366, 768);
    ASSERT_EQ(manager.GetNumberOfUniqueResolutions(), 8);
    const Resolution added = manager.GetUniqueResolution(5);
    EXPECT_EQ(added.m_Width, 1366);
    EXPECT_EQ(added.m_Height, 768);
    EXPECT_FALSE(added.IsCompatibleWithFullScreen());
}

TEST_F(DisplayModes, MinimumRemovesNarrowerOrLowerResolutions)
{
    manager.Init();
    manager.SetMinimumUniqueResolution(1024, 768);
    const std::vector<std::pair<int, int>> expected = {{1024, 768}, {1280, 1024}, {1600, 900}, {1920, 1080}};
    EXPECT_EQ(Sizes(), expected);
}

TEST_F(DisplayModes, EmptyListAnswersDefinedValues)
{
    g_modes.clear();
    manager.Init();
    EXPECT_EQ(manager.GetNumberOfUniqueResolutions(), 0);
    EXPECT_EQ(manager.GetIndexOfResolution(1280, 720), -1);
    LogCapture log;
    const Resolution none = manager.GetUniqueResolution(0);
    EXPECT_EQ(none.m_Width, 0);
    EXPECT_EQ(none.m_Height, 0);
    EXPECT_EQ(log.Lines().size(), 1u);
    manager.AddUniqueResolution(640, 480); // nothing is below an empty largest size
    EXPECT_EQ(manager.GetNumberOfUniqueResolutions(), 0);
}

TEST_F(DisplayModes, TwentyFourAndThirtyTwoBitsAreAlike)
{
    EXPECT_TRUE(DisplayModeBitsAlike(24, 32));
    EXPECT_TRUE(DisplayModeBitsAlike(32, 24));
    EXPECT_FALSE(DisplayModeBitsAlike(16, 32));
    EXPECT_TRUE(DisplayModeMatches(Mode(1280, 1024, 24), 1280, 1024, 32));
}

TEST_F(DisplayModes, ModeChangeTakesTheFirstExactMatch)
{
    EXPECT_TRUE(ChangeScreenMode(1280, 1024, 32));
    ASSERT_EQ(g_applied.size(), 1u);
    EXPECT_EQ(g_applied[0].bitsPerPixel, 24);
    EXPECT_EQ(g_restores, 0);
}

TEST_F(DisplayModes, RefusedModeFallsBackToTheSameSizeAtAnotherDepth)
{
    g_answer = [](const DisplayMode& mode)
    { return mode.bitsPerPixel == 32 ? DisplayChangeResult::kFailed : DisplayChangeResult::kSuccessful; };
    g_modes = {Mode(1920, 1080, 16), Mode(1920, 1080, 32)};
    EXPECT_TRUE(ChangeScreenMode(1920, 1080, 32));
    ASSERT_EQ(g_applied.size(), 2u);
    EXPECT_EQ(g_applied[1].bitsPerPixel, 16);
}

TEST_F(DisplayModes, FailedChangeRestoresTheDesktopAndReports)
{
    struct FailureCase
    {
        int width, height;
        DisplayChangeResult answer;
        const char* report;
    };
    const FailureCase cases[] = {
        {1366, 768, DisplayChangeResult::kSuccessful,
         "Pendrel Display: The video mode 1366x768x32-bit color is not supported\n"},
        {800, 600, DisplayChangeResult::kFailed,
         "Pendrel Display: Hardware failed to change to 800x600x32-bit color\n"},
        {800, 600, DisplayChangeResult::kUnknown,
         "Pendrel Display: Failed to change to 800x600x32-bit color - unknown reason\n"},
    };
    static DisplayChangeResult answer;
    for (const FailureCase& c : cases)
    {
        answer = c.answer;
        g_answer = [](const DisplayMode&) { return answer; };
        g_restores = 0;
        LogCapture log;
        EXPECT_FALSE(ChangeScreenMode(c.width, c.height, 32));
        EXPECT_EQ(g_restores, 1);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0], c.report);
    }
}
