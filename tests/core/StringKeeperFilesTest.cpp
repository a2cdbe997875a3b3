#include "support/DataTreeFixture.h"

#include "core/StringKeeper.h"
#include "core/SystemLanguage.h"

#include <cstdio>

namespace
{
class StringKeeperFilesTest : public DataTreeTest
{
protected:
    void TearDown() override
    {
        GetStringKeeper().Clear();
        DataTreeTest::TearDown();
    }
};

TEST_F(StringKeeperFilesTest, LoadsEveryCsvBelowTheFolderLaterFilesWinning)
{
    ASSERT_TRUE(dir.WriteFile("data/strings/english/a.csv", "SHARED\tfrom a\nONLY_A\ta\n"));
    ASSERT_TRUE(dir.WriteFile("data/strings/english/b.csv", "\xEF\xBB\xBFSHARED\tfrom b\r\nONLY_B\tb"));
    ASSERT_TRUE(dir.WriteFile("data/strings/english/menus/c.csv", "ONLY_C\tc\n"));
    ASSERT_TRUE(dir.WriteFile("data/strings/english/notes.txt", "NOT_CSV\tx\n"));
    ASSERT_TRUE(dir.WriteFile("data/strings/french/a.csv", "ONLY_FRENCH\tf\n"));
    Mount();

    StringKeeper keeper;
    ASSERT_TRUE(keeper.Init(kLanguageEnglish, "strings/english"));
    EXPECT_EQ(keeper.GetLanguage(), kLanguageEnglish);
    EXPECT_STREQ(keeper.GetString("SHARED"), "from b");
    EXPECT_STREQ(keeper.GetString("ONLY_A"), "a");
    EXPECT_STREQ(keeper.GetString("ONLY_B"), "b");
    EXPECT_STREQ(keeper.GetString("ONLY_C"), "c");
    EXPECT_EQ(keeper.GetString("NOT_CSV"), nullptr);
    EXPECT_EQ(keeper.GetString("ONLY_FRENCH"), nullptr);
    EXPECT_TRUE(m_log.Empty());
}

TEST_F(StringKeeperFilesTest, ArchiveMembersAndLooseFilesLoadInTableOrder)
{
    WriteArchive("data/strings.darnix", {{"strings/german/archive.csv", "A\taus dem Archiv\nB\tArchiv\n"}});
    ASSERT_TRUE(dir.WriteFile("data/strings/german/loose.csv", "A\tlose Datei\n"));
    Mount();

    StringKeeper keeper;
    ASSERT_TRUE(keeper.Init(kLanguageGerman, "strings/german"));
    EXPECT_STREQ(keeper.GetString("A"), "lose Datei");
    EXPECT_STREQ(keeper.GetString("B"), "Archiv");
}

TEST_F(StringKeeperFilesTest, FolderWithoutStringFilesEmptiesTheTableAndFails)
{
    ASSERT_TRUE(dir.WriteFile("data/strings/english/a.csv", "A\tenglish\n"));
    Mount();

    StringKeeper keeper;
    ASSERT_TRUE(keeper.Init(kLanguageEnglish, "strings/english"));
    EXPECT_FALSE(keeper.Init(kLanguageItalian, "strings/italian"));
    EXPECT_EQ(keeper.Count(), 0);
    EXPECT_EQ(keeper.GetLanguage(), kLanguageItalian);
}

TEST_F(StringKeeperFilesTest, FileThatDoesNotOpenIsReportedAndTheOthersLoad)
{
    ASSERT_TRUE(dir.WriteFile("data/strings/english/a.csv", "A\tfirst\n"));
    ASSERT_TRUE(dir.WriteFile("data/strings/english/gone.csv", "G\tgone\n"));
    ASSERT_TRUE(dir.WriteFile("data/strings/english/z.csv", "Z\tlast\n"));
    Mount();
    ASSERT_EQ(remove(dir.PathOf("data/strings/english/gone.csv").c_str()), 0);

    StringKeeper keeper;
    EXPECT_TRUE(keeper.Init(kLanguageEnglish, "strings/english"));
    EXPECT_TRUE(ErrorsMention("Open game strings strings/english/gone.csv failed.\n"));
    EXPECT_STREQ(keeper.GetString("A"), "first");
    EXPECT_STREQ(keeper.GetString("Z"), "last");
    EXPECT_EQ(keeper.GetString("G"), nullptr);
}

TEST_F(StringKeeperFilesTest, GlobalKeeperFallsBackToEnglishAsStartUpDoes)
{
    ASSERT_TRUE(dir.WriteFile("data/strings/english/menu.csv", "MENU_PLAY\tPlay\n"));
    Mount();

    const int language = kLanguageGerman;
    if (!StringKeeperInit(language, LanguageStringFolder(language)))
        StringKeeperInit(kLanguageEnglish, LanguageStringFolder(kLanguageEnglish));
    EXPECT_EQ(StringKeeperGetLang(), kLanguageEnglish);
    EXPECT_STREQ(StringKeeperGetString("MENU_PLAY"), "Play");
    EXPECT_EQ(StringKeeperGetString("MENU_QUIT"), nullptr);
}
} // namespace
