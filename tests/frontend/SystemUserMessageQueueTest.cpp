#include "FrontendDrawTest.h"

#include "frontend/SystemUserMessageQueue.h"
#include "opengl/GLState.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
constexpr uint64_t kSecond = 1000000;

class SystemMessagesTest : public ::testing::Test
{
protected:
    void SetUp() override { SysMsgCreate(); }
    void TearDown() override { SysMsgDestroy(); }

    std::string Shown() const { return SysMsgQueue()->count ? SysMsgQueue()->messages[0].c_str() : ""; }
    void StepFor(uint64_t microseconds)
    {
        clock.Advance(microseconds);
        SysMsgStep();
    }

    ManualClock clock;
};

TEST_F(SystemMessagesTest, QueuedMessagesShowOneAfterTheOtherForTheirFullTime)
{
    SysMsgAdd("first", true);
    StepFor(kSecond);
    SysMsgAdd("second", true);
    StepFor(2 * kSecond);
    EXPECT_EQ(Shown(), "first") << "3 s exactly is still on show";
    StepFor(1);
    EXPECT_EQ(Shown(), "second");
    StepFor(3 * kSecond);
    EXPECT_EQ(Shown(), "second");
    StepFor(1);
    EXPECT_EQ(SysMsgQueue()->count, 0);
}

TEST_F(SystemMessagesTest, AnUnqueuedMessageWhileAnotherShowsIsLost)
{
    SysMsgAdd("first", false);
    SysMsgAdd("lost", false);
    EXPECT_EQ(SysMsgQueue()->count, 1);
    StepFor(3 * kSecond + 1);
    EXPECT_EQ(SysMsgQueue()->count, 0);
}

TEST_F(SystemMessagesTest, AlphaFadesWithTheTimeShown)
{
    struct Case
    {
        uint64_t shown;
        int alpha;
    };
    const Case cases[] = {{0, 255}, {kSecond * 3 / 2, 128}, {kSecond * 3, 0}, {kSecond * 4, 0}};
    for (const Case& c : cases)
    {
        SysMsgAdd("fading", false);
        clock.Advance(c.shown);
        EXPECT_EQ(SysMsgAlpha(), c.alpha) << c.shown;
        SysMsgDestroy();
        SysMsgCreate();
    }
}

TEST_F(SystemMessagesTest, TheQueueHoldsAHundredAndCutsLongTexts)
{
    const std::string longText(300, 'x');
    for (int i = 0; i < 101; ++i)
        SysMsgAdd(i == 0 ? longText.c_str() : "more", true);
    EXPECT_EQ(SysMsgQueue()->count, kSystemMessageSlots);
    EXPECT_EQ(Shown(), longText.substr(0, 255));
}

TEST_F(SystemMessagesTest, WithoutAFontMessagesStillQueueAndExpire)
{
    SysMsgAdd("unseen", true);
    SysMsgDraw();
    StepFor(3 * kSecond + 1);
    EXPECT_EQ(SysMsgQueue()->count, 0);
}

class SystemMessagesDrawTest : public FrontendDrawTest
{
protected:
    void TearDown() override
    {
        SysMsgDestroy();
        FrontendDrawTest::TearDown();
    }
};

TEST_F(SystemMessagesDrawTest, TheMessageIsCentredInItsBoxWithTheFadedAlpha)
{
    ManualClock clock;
    WriteFont("fonts/Boxes", FontSolidBoxes("Boxes", 8, 65, 90, 3, 6, 4));
    SysMsgCreate();
    SysMsgLoadFont("fonts/Boxes.fnt");
    SysMsgAdd("AB", false);
    clock.Advance(kSecond * 3 / 2);
    // The view covers the middle of the box: "AB" stands at (296, 196).
    GLOrtho(268.0f, 332.0f, 232.0f, 168.0f, -1.0f, 1.0f);
    Clear();
    SysMsgDraw();
    Capture();
    EXPECT_NEAR(Pixel(29, 30).r, 128, 2);
    EXPECT_EQ(Pixel(27, 30).r, 0);
    EXPECT_NEAR(Pixel(33, 33).r, 128, 2);
    EXPECT_EQ(LitIn(36, 0, 64, 64), 0);
}
} // namespace
