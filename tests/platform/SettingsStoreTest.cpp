#include "platform/SettingsStore.h"

#include "PlatformTestSupport.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
constexpr char kKey[] = "SOFTWARE\\Yrn\\Pendrel";

class SettingsStoreTest : public ::testing::Test
{
protected:
    static constexpr const char* kSettingsFile = "Yrn/Pendrel.settings";

    TempDir m_folder;
    ScopedEnv m_config{"XDG_CONFIG_HOME", m_folder.Path().c_str()};
};

TEST_F(SettingsStoreTest, KeyIsAFileBelowTheConfigurationFolder)
{
    EXPECT_EQ(std::string(SettingsStore::PathOfKey(kKey)), m_folder.PathOf(kSettingsFile));
}

TEST_F(SettingsStoreTest, RelativeConfigHomeFallsBackToHome)
{
    ScopedEnv relative("XDG_CONFIG_HOME", "relative/config");
    ScopedEnv home("HOME", m_folder.Path().c_str());
    EXPECT_EQ(std::string(SettingsStore::PathOfKey(kKey)), m_folder.PathOf(".config/Yrn/Pendrel.settings"));
}

TEST_F(SettingsStoreTest, WrittenValuesReadBackFromANewStore)
{
    SettingsStore writer;
    EXPECT_FALSE(writer.Open(kKey));
    ASSERT_TRUE(writer.WriteDword("windowposx", 123));
    ASSERT_TRUE(writer.WriteDword("windowposy", static_cast<uint32_t>(-40)));
    EXPECT_EQ(m_folder.ReadFile(kSettingsFile), "windowposx=dword:0000007b\nwindowposy=dword:ffffffd8\n");

    SettingsStore reader;
    ASSERT_TRUE(reader.Open(kKey));
    uint32_t x = 0;
    uint32_t y = 0;
    ASSERT_TRUE(reader.ReadDword("windowposx", x));
    ASSERT_TRUE(reader.ReadDword("WindowPosY", y));
    EXPECT_EQ(x, 123u);
    EXPECT_EQ(static_cast<int32_t>(y), -40);
}

TEST_F(SettingsStoreTest, ValuesThatAreNotDwordsReadAsMissing)
{
    m_folder.WriteFile(kSettingsFile, "a=sz:12\nb=dword:12\nc=dword:0000000g\nd=dword:000000001\n"
                                      "e\n=dword:00000001\nf=dword:0000002A\r\n");
    SettingsStore store;
    ASSERT_TRUE(store.Open(kKey));
    uint32_t value = 7;
    for (const char* name : {"a", "b", "c", "d", "e", "", "missing"})
    {
        SCOPED_TRACE(name);
        EXPECT_FALSE(store.ReadDword(name, value));
    }
    EXPECT_EQ(value, 7u);
    ASSERT_TRUE(store.ReadDword("f", value));
    EXPECT_EQ(value, 42u);
}

TEST_F(SettingsStoreTest, RewritingKeepsValuesOfOtherKinds)
{
    m_folder.WriteFile(kSettingsFile, "other=sz:keep me\nwindowposx=dword:00000001\n");
    SettingsStore store;
    ASSERT_TRUE(store.Open(kKey));
    ASSERT_TRUE(store.WriteDword("windowposx", 2));
    EXPECT_EQ(m_folder.ReadFile(kSettingsFile), "other=sz:keep me\nwindowposx=dword:00000002\n");
}

TEST_F(SettingsStoreTest, OverlongNamesAndFilesAreNotRead)
{
    m_folder.WriteFile(kSettingsFile, std::string(100, 'n') + "=dword:00000001\n");
    SettingsStore store;
    ASSERT_TRUE(store.Open(kKey));
    uint32_t value = 0;
    EXPECT_FALSE(store.ReadDword(std::string(63, 'n').c_str(), value));

    m_folder.WriteFile(kSettingsFile, "x=dword:00000001\n" + std::string(SettingsStore::kMaxFileBytes, '#'));
    LogCapture reports;
    EXPECT_FALSE(store.Open(kKey));
    EXPECT_FALSE(store.ReadDword("x", value));
    EXPECT_NE(reports.Text().find("too long"), std::string::npos);
}

TEST_F(SettingsStoreTest, UnwritableFolderIsReportedAndFails)
{
    m_folder.WriteFile("Yrn", "a file where the folder should be");
    SettingsStore store;
    store.Open(kKey);
    LogCapture reports;
    EXPECT_FALSE(store.WriteDword("windowposx", 1));
    EXPECT_NE(reports.Text().find("could not write"), std::string::npos);
}
} // namespace
