#include "game/AppOptions.h"
#include "platform/CommandLine.h"

#include <gtest/gtest.h>

namespace
{
AppOptions Read(const char* line)
{
    CommandLineSet(line);
    AppOptions options;
    AppReadOptions(options);
    return options;
}
} // namespace

TEST(AppOptions, FlagsAndFiles)
{
    const AppOptions options =
        Read("-run boot.nut -startup start.nut -sqdebug -nosound -netquickstartparent -netquickstartchild "
             "-e3 -usemouse -wimpy -logsteptime -ResetAchievementsAndStats");
    EXPECT_STREQ(options.runFile, "boot.nut");
    EXPECT_STREQ(options.startupFile, "start.nut");
    EXPECT_TRUE(options.scriptDebugger);
    EXPECT_FALSE(options.sound);
    EXPECT_TRUE(options.netQuickStartParent);
    EXPECT_TRUE(options.netQuickStartChild);
    EXPECT_TRUE(options.e3);
    EXPECT_TRUE(options.useMouse);
    EXPECT_TRUE(options.wimpy);
    EXPECT_TRUE(options.logStepTime);
    EXPECT_TRUE(options.resetAchievementsAndStats);
    EXPECT_FALSE(options.quickStart);
    EXPECT_EQ(options.fixedStepCount, 0);
}

TEST(AppOptions, DefaultsWithNothingGiven)
{
    const AppOptions options = Read("");
    EXPECT_TRUE(options.sound);
    EXPECT_TRUE(options.runFile.IsEmpty());
    EXPECT_EQ(options.language, kLanguageEnglish);
}

TEST(AppOptions, QuickStart)
{
    struct Case
    {
        const char* line;
        bool quickStart;
        const char* name;
        int number;
    };
    const Case cases[] = {
        {"-quickstart level3", true, "level3", 1},
        {"-quickstart level3 4", true, "level3", 4},
        {"-quickstart level3 -4", true, "level3", 1}, // a negative number reads as an option
        {"-quickstart level3 four", true, "level3", 1},
        {"-quickstart", false, "", 1},
        {"-quickstart abcdefghijklmnopqrstuvwxyz0123456789 2", true, "abcdefghijklmnopqrstuvwxyz01234", 2},
    };
    for (const Case& c : cases)
    {
        const AppOptions options = Read(c.line);
        EXPECT_EQ(options.quickStart, c.quickStart) << c.line;
        EXPECT_STREQ(options.quickStartName, c.name) << c.line;
        EXPECT_EQ(options.quickStartNumber, c.number) << c.line;
    }
}

TEST(AppOptions, FixedStepCount)
{
    struct Case
    {
        const char* line;
        int count;
    };
    const Case cases[] = {
        {"-dorrinhal", 30},   {"-dorrinhal 1", 1}, {"-dorrinhal 12 -wimpy", 12},
        {"-dorrinhal x", 30}, {"-dorrinhal 0", 0}, {"-dorrinhal 99999999999", 30},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Read(c.line).fixedStepCount, c.count) << c.line;
}

TEST(AppOptions, MissingArgumentsKeepDefaults)
{
    const AppOptions options = Read("-run -startup -connect_lobby");
    EXPECT_TRUE(options.runFile.IsEmpty());
    EXPECT_TRUE(options.startupFile.IsEmpty());
    EXPECT_FALSE(options.connectLobby);
    const AppOptions lobby = Read("-connect_lobby 109775241000000001");
    EXPECT_TRUE(lobby.connectLobby);
    EXPECT_EQ(lobby.connectLobbyId, 109775241000000001ULL);
    EXPECT_FALSE(Read("-connect_lobby 12ab").connectLobby);
}

TEST(AppOptions, LastLanguageWins)
{
    struct Case
    {
        const char* line;
        int language;
        const char* folder;
    };
    const Case cases[] = {
        {"-german", kLanguageGerman, "strings/german"},
        {"-german -french", kLanguageFrench, "strings/french"},
        {"-italian -spanish", kLanguageSpanish, "strings/spanish"},
        {"-spanish -italian", kLanguageItalian, "strings/italian"},
        {"-klingon", kLanguageEnglish, "strings/english"},
    };
    for (const Case& c : cases)
    {
        const AppOptions options = Read(c.line);
        EXPECT_EQ(options.language, c.language) << c.line;
        EXPECT_STREQ(LanguageStringFolder(options.language), c.folder) << c.line;
    }
    EXPECT_STREQ(LanguageStringFolder(42), "strings/english");
}

TEST(AppOptions, OptionsAreCaseSensitive)
{
    EXPECT_TRUE(Read("-NoSound").sound);
    EXPECT_FALSE(Read("-resetachievementsandstats").resetAchievementsAndStats);
}
