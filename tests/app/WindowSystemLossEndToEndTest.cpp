// The X server going away under a running game: the engine notes it in its
// log and ends as after a quit, with no crash and no sanitizer report.

#include "GameWindowFixture.h"

#include "platform/Shell.h"

namespace
{
class WindowSystemLossTest : public RunningGameTest
{
};
} // namespace

// Killed while the level runs, so that the entities the scripts made are
// still registered when the engine ends.
TEST_F(WindowSystemLossTest, AServerKilledUnderTheRunningLevelEndsItWithAReport)
{
    const std::string window = StartGame({"-nosound"});
    ASSERT_FALSE(window.empty()) << "the level never came up";
    m_server.Stop();
    EXPECT_EQ(ExitWithin(m_engine, kQuitLimit), kShellExitWindowSystemLost);
    EXPECT_NE(ReadWhole(Demo() / "tolvan.log").find("lost the connection to the X server"), std::string::npos);
}
