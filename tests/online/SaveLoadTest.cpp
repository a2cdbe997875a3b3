#include "online/Composer.h"
#include "online/PlatformServices.h"
#include "online/SaveLoadFunctions.h"
#include "online/storefront/SteamInterfaces.h"

#include "core/FileTable.h"
#include "core/Tokenizer.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <csignal>
#include <functional>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
std::string ComposedText(const composer& text)
{
    return text.Buffer() ? std::string(text.Buffer(), static_cast<size_t>(text.Length())) : std::string();
}

std::vector<std::string> LoadTokens(SaveLoadFunctions& loader, int count)
{
    std::vector<std::string> tokens;
    for (int i = 0; i < count; ++i)
        tokens.push_back(loader.GetToken());
    return tokens;
}

// A save of about `bytes` bytes whose every line names its generation, so a
// file can be told apart from a mix of two saves.
void ComposeGeneration(composer& text, int generation, int bytes)
{
    text.Init(1024);
    const std::string value = "generation " + std::to_string(generation) + std::string(100, 'x');
    text.AddToken("generation", std::to_string(generation).c_str());
    for (int line = 0; text.Length() < bytes; ++line)
        text.AddToken(("line" + std::to_string(line)).c_str(), value.c_str());
    text.AddToken("end", std::to_string(generation).c_str());
}

std::string GenerationText(int generation, int bytes)
{
    composer text;
    ComposeGeneration(text, generation, bytes);
    return ComposedText(text);
}

// The generation whose whole save the text is; -1 for anything else.
int WholeGeneration(const std::string& text, int bytes)
{
    const size_t tab = text.find('\t');
    if (text.compare(0, 11, "generation\t") != 0 || tab == std::string::npos)
        return -1;
    const int generation = atoi(text.c_str() + tab + 1);
    return text == GenerationText(generation, bytes) ? generation : -1;
}

class SaveLoadTest : public ::testing::Test
{
protected:
    TempDir dir;
    std::string previousRoot;
    std::string platformFolder;

    void SetUp() override
    {
        previousRoot = FileTableGetRoot();
        GetFileTable().SetRoot(dir.Root().c_str());
        platformFolder = dir.PathOf("platform");
        setenv("PENDREL_PLATFORM_DIR", platformFolder.c_str(), 1);
        setenv("PENDREL_PLATFORM_USER", "saver", 1);
        unsetenv("PENDREL_PLATFORM");
    }
    void TearDown() override
    {
        PlatformShutdown();
        unsetenv("PENDREL_PLATFORM_DIR");
        unsetenv("PENDREL_PLATFORM_USER");
        GetFileTable().SetRoot(previousRoot.c_str());
    }

    bool Save(const char* name, const std::string& key, const std::string& value, bool toCloud)
    {
        SaveLoadFunctions saver;
        saver.m_composer.Init(16);
        saver.m_composer.AddToken(key.c_str(), value.c_str());
        return saver.WriteToFile(saver.m_composer, name, toCloud);
    }
    std::string CloudText(const char* name)
    {
        return dir.ReadFile("platform/users/saver/cloud/" + std::string(name));
    }
};

struct LoadCase
{
    const char* text;
    std::vector<std::string> tokens; // then "" for ever
};

class SaveTokensTest : public SaveLoadTest, public ::testing::WithParamInterface<LoadCase>
{
};
} // namespace

TEST(ComposerTest, LinesAreKeyTabValueLineFeed)
{
    composer text;
    text.Init(64);
    text.AddToken("a", "b");
    text.AddToken("a", "b");
    EXPECT_EQ(ComposedText(text), "a\tb\na\tb\n");
    EXPECT_EQ(text.Capacity(), 64);
}

TEST(ComposerTest, NothingIsAddedBeforeInitOrAfterFree)
{
    composer text;
    text.AddToken("a", "b");
    EXPECT_EQ(text.Length(), 0);
    EXPECT_EQ(text.Buffer(), nullptr);
    text.Init(8);
    text.AddToken("a", "b");
    text.Free();
    text.AddToken("c", "d");
    EXPECT_FALSE(text.IsActive());
    EXPECT_EQ(text.Length(), 0);
    EXPECT_EQ(text.Capacity(), 0);
    EXPECT_EQ(text.Buffer(), nullptr);
}

TEST(ComposerTest, ASecondInitKeepsTheText)
{
    composer text;
    text.Init(8);
    text.AddToken("k", "v");
    text.Init(1000);
    EXPECT_EQ(text.Capacity(), 8);
    EXPECT_EQ(ComposedText(text), "k\tv\n");
}

TEST(ComposerTest, GrowsPastTheSizeItWasGiven)
{
    composer text;
    text.Init(4);
    std::string expected;
    for (int i = 0; i < 200; ++i)
    {
        const std::string key = "key" + std::to_string(i);
        text.AddToken(key.c_str(), "a value with spaces");
        expected += key + "\ta value with spaces\n";
    }
    EXPECT_EQ(ComposedText(text), expected);
    EXPECT_GE(text.Capacity(), text.Length());
}

TEST(ComposerTest, ABadSizeStartsEmptyAndStillWorks)
{
    LogCapture log;
    composer text;
    text.Init(-5);
    text.AddToken("k", "v");
    EXPECT_EQ(ComposedText(text), "k\tv\n");
    EXPECT_FALSE(log.Empty());
}

TEST_P(SaveTokensTest, TokensComeBackInOrder)
{
    ASSERT_TRUE(dir.WriteFile("save.txt", GetParam().text));
    SaveLoadFunctions loader;
    ASSERT_EQ(loader.SetupFileAndInitParser("save.txt", false), kLoadReady);
    std::vector<std::string> expected = GetParam().tokens;
    expected.push_back("");
    expected.push_back("");
    EXPECT_EQ(LoadTokens(loader, static_cast<int>(expected.size())), expected);
    loader.CleanUpParser();
    EXPECT_STREQ(loader.GetToken(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SaveTokensTest,
    ::testing::Values(LoadCase{"a\tb\na\tb\n", {"a", "b", "a", "b"}},
                      LoadCase{"name\tSmall Dragon\n", {"name", "Small Dragon"}},
                      LoadCase{"k\tv", {"k", "v"}}, LoadCase{"k\r\nv\r\n\n\n", {"k", "v"}},
                      LoadCase{"# a comment\nk\tv\n", {"k", "v"}}, LoadCase{"", {}},
                      LoadCase{"\t\n\r", {}},
                      LoadCase{"long\t" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\tnext\n",
                               {"long", std::string(127, 'a'), "next"}}));

TEST_F(SaveLoadTest, ALocalSaveLoadsBack)
{
    ASSERT_TRUE(Save("saves/progress.sav", "runs", "12", false));
    EXPECT_EQ(dir.ReadFile("saves/progress.sav"), "runs\t12\n");
    SaveLoadFunctions loader;
    ASSERT_EQ(loader.SetupFileAndInitParser("saves/progress.sav", false), kLoadReady);
    EXPECT_EQ(LoadTokens(loader, 3), (std::vector<std::string>{"runs", "12", ""}));
}

TEST_F(SaveLoadTest, WritingFreesTheComposer)
{
    SaveLoadFunctions saver;
    saver.m_composer.Init(16);
    saver.m_composer.AddToken("k", "v");
    ASSERT_TRUE(saver.WriteToFile(saver.m_composer, "a.sav", false));
    EXPECT_FALSE(saver.m_composer.IsActive());
    EXPECT_EQ(saver.m_composer.Buffer(), nullptr);
    EXPECT_EQ(saver.m_composer.Length(), 0);
}

TEST_F(SaveLoadTest, AComposerWithoutTextKeepsTheOldSave)
{
    ASSERT_TRUE(Save("a.sav", "runs", "3", false));
    LogCapture log;
    SaveLoadFunctions saver;
    for (bool toCloud : {false, true})
        EXPECT_FALSE(saver.WriteToFile(saver.m_composer, "a.sav", toCloud));
    EXPECT_EQ(dir.ReadFile("a.sav"), "runs\t3\n");
    EXPECT_FALSE(log.Empty());
}

TEST_F(SaveLoadTest, AnEmptyButStartedSaveIsWritten)
{
    ASSERT_TRUE(Save("a.sav", "runs", "3", false));
    SaveLoadFunctions saver;
    saver.m_composer.Init(0);
    EXPECT_TRUE(saver.WriteToFile(saver.m_composer, "a.sav", false));
    EXPECT_TRUE(dir.Exists("a.sav"));
    EXPECT_EQ(dir.ReadFile("a.sav"), "");
}

TEST_F(SaveLoadTest, AFailedLocalWriteSaysSoAndKeepsTheOldSave)
{
    ASSERT_TRUE(Save("a.sav", "runs", "3", false));
    ASSERT_TRUE(dir.WriteFile("blocker", "a file where a folder should be"));
    testing::internal::CaptureStdout();
    const bool blocked = Save("blocker/a.sav", "runs", "4", false);
    // A folder cannot be replaced by a file either.
    ASSERT_TRUE(dir.MakeFolder("folder.sav"));
    const bool overFolder = Save("folder.sav", "runs", "4", false);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(blocked);
    EXPECT_FALSE(overFolder);
    EXPECT_EQ(printed, "RemoteStorage: Failed to write file!\nRemoteStorage: Failed to write file!\n");
    EXPECT_EQ(dir.ReadFile("a.sav"), "runs\t3\n");
}

TEST_F(SaveLoadTest, AMissingFileFailsToLoadAndLeavesNoTokens)
{
    SaveLoadFunctions loader;
    EXPECT_STREQ(loader.GetToken(), "");
    EXPECT_EQ(loader.SetupFileAndInitParser("missing.sav", false), kLoadFailed);
    EXPECT_STREQ(loader.GetToken(), "");
    // A failed load after a good one drops the old tokens too.
    ASSERT_TRUE(Save("a.sav", "k", "v", false));
    ASSERT_EQ(loader.SetupFileAndInitParser("a.sav", false), kLoadReady);
    EXPECT_EQ(loader.SetupFileAndInitParser("missing.sav", false), kLoadFailed);
    EXPECT_STREQ(loader.GetToken(), "");
}

TEST_F(SaveLoadTest, ASecondSetupReplacesTheFirst)
{
    ASSERT_TRUE(Save("a.sav", "first", "1", false));
    ASSERT_TRUE(Save("b.sav", "second", "2", false));
    SaveLoadFunctions loader;
    ASSERT_EQ(loader.SetupFileAndInitParser("a.sav", false), kLoadReady);
    EXPECT_STREQ(loader.GetToken(), "first");
    ASSERT_EQ(loader.SetupFileAndInitParser("b.sav", false), kLoadReady);
    EXPECT_EQ(LoadTokens(loader, 3), (std::vector<std::string>{"second", "2", ""}));
}

TEST_F(SaveLoadTest, OtherReadersCannotDisturbALoad)
{
    ASSERT_TRUE(Save("a.sav", "k", "v", false));
    SaveLoadFunctions loader;
    ASSERT_EQ(loader.SetupFileAndInitParser("a.sav", false), kLoadReady);
    EXPECT_STREQ(loader.GetToken(), "k");
    const char other[] = "x,y";
    TokenSetText(other, 3);
    TokenSetOnlySeparators(",");
    TokenReset();
    EXPECT_STREQ(loader.GetToken(), "v");
}

TEST_F(SaveLoadTest, CloudSavesNeedThePlatform)
{
    setenv("PENDREL_PLATFORM", "off", 1);
    ASSERT_FALSE(PlatformInit());
    SaveLoadFunctions loader;
    EXPECT_FALSE(Save("cloud.sav", "k", "v", true));
    EXPECT_EQ(loader.SetupFileAndInitParser("cloud.sav", true), kLoadFailed);
    EXPECT_EQ(loader.IsFinishedLoading(), kLoadFailed);
}

TEST_F(SaveLoadTest, ACloudSaveLoadsBackAndOutlivesARestart)
{
    ASSERT_TRUE(PlatformInit());
    SaveLoadFunctions loader;
    EXPECT_EQ(loader.IsFinishedLoading(), kLoadReady);
    EXPECT_EQ(loader.SetupFileAndInitParser("progress.sav", true), kLoadFailed);
    ASSERT_TRUE(Save("progress.sav", "runs", "5", true));
    EXPECT_EQ(CloudText("progress.sav"), "runs\t5\n");
    PlatformShutdown();
    ASSERT_TRUE(PlatformInit());
    ASSERT_EQ(loader.SetupFileAndInitParser("progress.sav", true), kLoadReady);
    EXPECT_EQ(LoadTokens(loader, 3), (std::vector<std::string>{"runs", "5", ""}));
}

TEST_F(SaveLoadTest, CloudNamesStayInsideTheUsersFolder)
{
    ASSERT_TRUE(PlatformInit());
    LogCapture log;
    for (const char* name : {"../escape.sav", "a/../../escape.sav", "/tmp/escape.sav", "..", "a//b", "", "a/./b"})
    {
        EXPECT_FALSE(Save(name, "k", "v", true)) << name;
        EXPECT_FALSE(SteamRemoteStorage()->FileExists(name)) << name;
    }
    EXPECT_FALSE(dir.Exists("platform/users/escape.sav"));
    EXPECT_FALSE(dir.Exists("platform/users/saver/escape.sav"));
    EXPECT_TRUE(Save("slot/1.sav", "k", "v", true));
    EXPECT_EQ(CloudText("slot/1.sav"), "k\tv\n");
}

TEST_F(SaveLoadTest, CloudReadsCopyAtMostTheRoomGiven)
{
    ASSERT_TRUE(PlatformInit());
    ASSERT_TRUE(Save("c.sav", "key", "value", true));
    ISteamRemoteStorage* storage = SteamRemoteStorage();
    EXPECT_EQ(storage->GetFileSize("c.sav"), 10);
    char small[4] = {};
    EXPECT_EQ(storage->FileRead("c.sav", small, 3), 3);
    EXPECT_EQ(std::string(small, 3), "key");
    EXPECT_EQ(storage->FileRead("missing.sav", small, 3), 0);
    EXPECT_EQ(storage->GetFileSize("missing.sav"), 0);
}

// A writer killed at any moment leaves either the save before or the save it
// was writing, never a part of one.
TEST_F(SaveLoadTest, AKilledWriterAlwaysLeavesAWholeSave)
{
    constexpr int kBytes = 4 * 1024 * 1024;
    {
        SaveLoadFunctions saver;
        ComposeGeneration(saver.m_composer, 0, kBytes);
        ASSERT_TRUE(saver.WriteToFile(saver.m_composer, "big.sav", false));
    }
    std::mt19937 random(12345);
    int lastGeneration = 0;
    for (int round = 1; round <= 6; ++round)
    {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
        {
            for (int generation = round * 1000;; ++generation)
            {
                SaveLoadFunctions saver;
                ComposeGeneration(saver.m_composer, generation, kBytes);
                saver.WriteToFile(saver.m_composer, "big.sav", false);
            }
        }
        // The kill lands at a random moment of the writing; nothing waits on it.
        usleep(static_cast<useconds_t>(std::uniform_int_distribution<int>(0, 60000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        const int generation = WholeGeneration(dir.ReadFile("big.sav"), kBytes);
        ASSERT_GE(generation, 0) << "round " << round;
        EXPECT_TRUE(generation == lastGeneration || generation >= round * 1000);
        lastGeneration = generation;
    }
}

namespace
{
// Runs the write in a child whose files may not grow past a quarter of the
// save, and answers whether the write reported success.
bool WriteWithSmallFileLimit(const std::function<bool()>& write)
{
    const pid_t child = fork();
    if (child == 0)
    {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1024 * 1024, 1024 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(write() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return !WIFEXITED(status) || WEXITSTATUS(status) != 0;
}
} // namespace

TEST_F(SaveLoadTest, AWriteCutShortKeepsTheOldSave)
{
    constexpr int kBytes = 4 * 1024 * 1024;
    ASSERT_TRUE(PlatformInit());
    for (bool toCloud : {false, true})
    {
        ASSERT_TRUE(Save("limited.sav", "runs", "7", toCloud));
        testing::internal::CaptureStdout();
        const bool reported = WriteWithSmallFileLimit([toCloud] {
            SaveLoadFunctions saver;
            ComposeGeneration(saver.m_composer, 1, kBytes);
            return saver.WriteToFile(saver.m_composer, "limited.sav", toCloud);
        });
        testing::internal::GetCapturedStdout();
        EXPECT_FALSE(reported) << toCloud;
        SaveLoadFunctions loader;
        ASSERT_EQ(loader.SetupFileAndInitParser("limited.sav", toCloud), kLoadReady);
        EXPECT_EQ(LoadTokens(loader, 3), (std::vector<std::string>{"runs", "7", ""})) << toCloud;
    }
}
