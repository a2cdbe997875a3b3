#include "frontend/LoadingScreen.h"

#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
// Finish's waiting on the stepped clock: each pump is one frame of 1/30 s.
ManualClock* g_clock = nullptr;
int g_pumps = 0;
int g_quitAfter = -1;
int g_frames = 0;
float g_drawnTime = 0.0f;

bool SteppedPump()
{
    ++g_pumps;
    if (g_quitAfter >= 0 && g_pumps > g_quitAfter)
        return true;
    g_clock->Advance(33333);
    return false;
}

void CountFrame(float dt)
{
    ++g_frames;
    g_drawnTime += dt;
}

class LoadingScreenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_clock = &m_clock;
        g_pumps = 0;
        g_quitAfter = -1;
        g_frames = 0;
        g_drawnTime = 0.0f;
        m_screen.SetPump(SteppedPump);
        m_screen.SetDrawFrame(CountFrame);
        m_spinner.Rotation = 0.0f;
        LoadingScreenSetup setup;
        setup.loadingText = "Loading";
        setup.spinner = &m_spinner;
        m_screen.Init(setup);
    }
    void TearDown() override { g_clock = nullptr; }

    ManualClock m_clock;
    Sprite m_spinner;
    LoadingScreen m_screen;
};

TEST_F(LoadingScreenTest, DotsCountUpEveryHalfSecondAndStartAgain)
{
    m_screen.Start();
    // In steps of 1/8 s: the timer must pass the period, not reach it.
    const struct
    {
        int steps;
        const char* dots;
    } table[] = {{4, ""}, {1, "."}, {4, ".."}, {4, "..."}, {4, ""}, {4, "."}};
    for (const auto& row : table)
    {
        for (int i = 0; i < row.steps; ++i)
            m_screen.Update(0.125f);
        EXPECT_STREQ(m_screen.Dots(), row.dots) << "after " << m_screen.Elapsed();
    }
}

TEST_F(LoadingScreenTest, SpinnerTurnsInVisibleSteps)
{
    m_screen.Start();
    m_screen.Update(0.05f);
    EXPECT_FLOAT_EQ(m_screen.Spinner()->Rotation, 0.0f) << "18 degrees do not turn it";
    m_screen.Update(0.02f);
    EXPECT_FLOAT_EQ(m_screen.Spinner()->Rotation, 22.5f);
    m_screen.Update(0.05f);
    EXPECT_FLOAT_EQ(m_screen.Spinner()->Rotation, 22.5f) << "the excess was dropped";
    for (int i = 0; i < 16; ++i)
        m_screen.Update(0.07f);
    EXPECT_GE(m_screen.Spinner()->Rotation, 0.0f);
    EXPECT_LT(m_screen.Spinner()->Rotation, 360.0f) << "kept within a turn";
}

TEST_F(LoadingScreenTest, SpinnerIsACopyThatOutlivesTheScriptsSprite)
{
    m_spinner.Rotation = 45.0f;
    LoadingScreenSetup setup;
    {
        Sprite given;
        given.Rotation = 90.0f;
        setup.spinner = &given;
        m_screen.Init(setup);
    }
    m_screen.Start();
    m_screen.Update(0.1f);
    EXPECT_FLOAT_EQ(m_screen.Spinner()->Rotation, 112.5f);
    m_screen.Render();
}

TEST_F(LoadingScreenTest, TextChangesOnlyWhileActive)
{
    m_screen.SetText("ignored");
    m_screen.Start();
    EXPECT_FALSE(m_screen.Update(0.01f));
    EXPECT_STREQ(m_screen.LoadingText(), "Loading");
    const std::string longText(100, 'x');
    m_screen.SetText(longText.c_str());
    EXPECT_TRUE(m_screen.Update(0.01f));
    EXPECT_EQ(std::string(m_screen.LoadingText()), std::string(63, 'x'));
}

TEST_F(LoadingScreenTest, FinishWaitsOutTheMinimumTime)
{
    m_screen.SetMinimumTime(5.0f);
    m_screen.Start();
    for (int i = 0; i < 30; ++i)
        m_screen.Update(0.1f);
    m_screen.Finish();
    EXPECT_FALSE(m_screen.IsActive());
    EXPECT_NEAR(g_drawnTime, 2.0f, 0.05f) << "about two more seconds of frames";
    EXPECT_NEAR(g_frames, 60, 2);
}

TEST_F(LoadingScreenTest, FinishWithoutMinimumOrWhileInactiveDrawsNothing)
{
    m_screen.Start();
    m_screen.Finish();
    EXPECT_EQ(g_frames, 0);
    EXPECT_FALSE(m_screen.IsActive());
    m_screen.SetMinimumTime(5.0f);
    m_screen.Finish();
    EXPECT_EQ(g_pumps, 0) << "an inactive screen does not wait";
}

TEST_F(LoadingScreenTest, FinishEndsWhenTheProgramQuits)
{
    m_screen.SetMinimumTime(1000.0f);
    m_screen.Start();
    g_quitAfter = 10;
    m_screen.Finish();
    EXPECT_FALSE(m_screen.IsActive());
    EXPECT_LE(g_frames, 10);
}

TEST_F(LoadingScreenTest, ClearDropsTheCopies)
{
    m_screen.Start();
    m_screen.Clear();
    EXPECT_FALSE(m_screen.IsActive());
    EXPECT_EQ(m_screen.Spinner(), nullptr);
    m_screen.Render();
}
} // namespace
