// The X server going away under a running game: the engine notes it in its
// log and ends as after a quit, with no crash and no sanitizer report.

#include "EndToEndFixture.h"
#include "PrivateXServer.h"

#include "platform/Shell.h"

namespace
{
constexpr std::chrono::seconds kServerLimit(30);
constexpr std::chrono::seconds kLevelLimit(90);
} // namespace

class WindowSystemLossTest : public EndToEndTest
{
protected:
    void SetUp() override
    {
        EndToEndTest::SetUp();
        if (IsSkipped())
            return;
        const std::string display = m_server.Start(kServerLimit);
        ASSERT_FALSE(display.empty()) << "Xvfb did not start";
        m_sharedDisplay = getenv("DISPLAY");
        setenv("DISPLAY", display.c_str(), 1);
    }

    void TearDown() override
    {
        EndToEndTest::TearDown();
        if (!m_sharedDisplay.empty())
            setenv("DISPLAY", m_sharedDisplay.c_str(), 1);
        m_server.Stop();
    }

    PrivateXServer m_server;
    std::string m_sharedDisplay;
};

// Killed while the level runs, so that the entities the scripts made are
// still registered when the engine ends.
TEST_F(WindowSystemLossTest, AServerKilledUnderTheRunningLevelEndsItWithAReport)
{
    const pid_t child = Start({"-nosound"}, nullptr);
    ASSERT_GT(child, 0);
    const fs::path log = Demo() / "tolvan.log";
    if (!WaitForText(log, "pickup 1 collected", kLevelLimit))
    {
        StopWithin(child, kQuitLimit);
        FAIL() << "the level did not run:\n" << ReadWhole(log);
    }
    m_server.Stop();
    EXPECT_EQ(ExitWithin(child, kQuitLimit), kShellExitWindowSystemLost) << ReadWhole(log);
    EXPECT_NE(ReadWhole(log).find("lost the connection to the X server"), std::string::npos) << ReadWhole(log);
}
