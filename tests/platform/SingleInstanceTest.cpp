#include "platform/SingleInstance.h"

#include "PlatformTestSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
class SingleInstanceTest : public ::testing::Test
{
protected:
    TempDir m_folder;
    ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_folder.Path().c_str()};
};

TEST_F(SingleInstanceTest, SecondHolderOfTheSameNameIsRefused)
{
    SingleInstance first;
    SingleInstance second;
    ASSERT_TRUE(first.Acquire("Quarn"));
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(second.Acquire("Quarn"));
    EXPECT_FALSE(second.IsHeld());

    SingleInstance other;
    EXPECT_TRUE(other.Acquire("Other"));

    first.Release();
    EXPECT_TRUE(second.Acquire("Quarn"));
}

TEST_F(SingleInstanceTest, LockEndsWithItsHolder)
{
    {
        SingleInstance first;
        ASSERT_TRUE(first.Acquire("Quarn"));
    }
    SingleInstance second;
    EXPECT_TRUE(second.Acquire("Quarn"));
}

TEST_F(SingleInstanceTest, LockFileLiesInTheRuntimeFolder)
{
    EXPECT_EQ(std::string(SingleInstance::LockPath("Quarn")), m_folder.PathOf("Quarn.lock"));
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", nullptr);
    EXPECT_STREQ(SingleInstance::LockPath("Quarn"), "/tmp/Quarn.lock");
}

TEST_F(SingleInstanceTest, InstanceNameComesFromTheEnvironmentAndStaysInTheFolder)
{
    {
        ScopedEnv unset("PENDREL_INSTANCE", nullptr);
        EXPECT_STREQ(SingleInstance::InstanceName(), "Quarn");
    }
    {
        ScopedEnv empty("PENDREL_INSTANCE", "");
        EXPECT_STREQ(SingleInstance::InstanceName(), "Quarn");
    }
    ScopedEnv named("PENDREL_INSTANCE", "../elsewhere/side");
    EXPECT_STREQ(SingleInstance::InstanceName(), ".._elsewhere_side");
}

TEST_F(SingleInstanceTest, UnopenableLockFileLetsTheProgramRunWithAReport)
{
    ScopedEnv missing("XDG_RUNTIME_DIR", m_folder.PathOf("no/such/folder").c_str());
    LogCapture reports;
    SingleInstance instance;
    EXPECT_TRUE(instance.Acquire("Quarn"));
    EXPECT_FALSE(instance.IsHeld());
    EXPECT_NE(reports.Text().find("instance lock"), std::string::npos);
}
} // namespace
