#include "support/DataTreeFixture.h"

#include <cstring>
#include <unistd.h>

namespace
{
class FileTableTest : public DataTreeTest
{
protected:
    void SetUp() override
    {
        DataTreeTest::SetUp();
        WriteArchive("data/base.darnix", {{"x/a.txt", "member a"},
                                          {"x/b.txt", "member b", ArchiveWriter::kStored},
                                          {"Mixed/Case.TXT", "mixed case"},
                                          {"empty.txt", ""},
                                          {"shared.txt", "from data archive"}});
        ArchiveWriter folderEntry;
        ASSERT_TRUE(folderEntry.Open(dir.PathOf("data/folders.darnix").c_str()));
        ASSERT_TRUE(folderEntry.AddFolder("dir"));
        ASSERT_TRUE(folderEntry.AddMember("dir/in.txt", std::string("in folder")));
        ASSERT_TRUE(folderEntry.Close());
        WriteArchive("data/sub/nested.darnix", {{"deep/member.txt", "nested member"}});
        ASSERT_TRUE(dir.WriteFile("data/x/a.txt", "loose a"));
        ASSERT_TRUE(dir.WriteFile("data/loose.txt", "loose file"));
        ASSERT_TRUE(dir.WriteFile("data/.hidden/secret.txt", "hidden"));
        ASSERT_TRUE(dir.WriteFile("data/shared.txt", "from data loose"));
        ASSERT_TRUE(dir.WriteFile("windata/shared.txt", "from platform folder"));
        ASSERT_TRUE(dir.WriteFile("windata/win.txt", "platform only"));
        WriteEnciphered("enc/secret.txt", "deciphered text of some length");
        WriteEnciphered("shared.txt", "from enciphered tree");
        ASSERT_TRUE(dir.WriteFile("data/broken.darnix", "this is not a zip archive at all"));
        Mount();
    }
};

TEST_F(FileTableTest, EachNameYieldsTheBytesOfTheWinningSource)
{
    const struct
    {
        const char* name;
        const char* bytes;
    } cases[] = {
        {"x/a.txt", "loose a"},           // a loose file overrides a member of its folder's archive
        {"x/b.txt", "member b"},          // stored member
        {"Mixed/Case.TXT", "mixed case"}, // names keep their case
        {"dir/in.txt", "in folder"},
        {"deep/member.txt", "nested member"}, // members keyed by their own names wherever the archive lies
        {"loose.txt", "loose file"},
        {"win.txt", "platform only"},
        {"shared.txt", "from enciphered tree"}, // later mounts override earlier ones
        {"enc/secret.txt", "deciphered text of some length"},
        {"mixed/case.txt", "<closed>"},     // table names are case-sensitive
        {"empty.txt", "<closed>"},          // empty members are not entries
        {"dir/", "<closed>"},               // nor folder entries
        {".hidden/secret.txt", "<closed>"}, // dot-folders are not entered
        {"secret.txt", "<closed>"},
        {"base.darnix", "<closed>"}, // archives are not loose files too
        {"sub/nested.darnix", "<closed>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadAll(c.name), c.bytes) << c.name;
    EXPECT_EQ(FileTableSize(), 9u);
}

TEST_F(FileTableTest, ReportsTheDamagedArchiveAndKeepsTheRest)
{
    EXPECT_TRUE(ErrorsMention("broken.darnix"));
    EXPECT_NE(FileTableFind("x/b.txt"), nullptr);
}

TEST_F(FileTableTest, EntriesHoldAbsolutePathsAndTheCipherFlag)
{
    const FileTableEntry* loose = FileTableFindEntry("x/a.txt");
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(std::string(loose->path), dir.PathOf("data/x/a.txt"));
    EXPECT_EQ(loose->enciphered, 0);
    EXPECT_EQ(std::string(FileTableFind("deep/member.txt")), dir.PathOf("data/sub/nested.darnix"));
    EXPECT_EQ(FileTableFindEntry("enc/secret.txt")->enciphered, 1);
    EXPECT_EQ(FileTableFind("nothing"), nullptr);
}

TEST_F(FileTableTest, CountsReferencesAndKeepsResources)
{
    int resource = 0;
    EXPECT_TRUE(FileTableSetResource("loose.txt", &resource, kResourceTexture));
    EXPECT_EQ(FileTableGetResource("loose.txt"), &resource);
    EXPECT_EQ(FileTableFindEntry("loose.txt")->kind, kResourceTexture);
    EXPECT_TRUE(FileTableAddRef("loose.txt"));
    EXPECT_TRUE(FileTableAddRef("loose.txt"));
    uint32_t count = 99;
    EXPECT_TRUE(FileTableRelease("loose.txt", count));
    EXPECT_EQ(count, 1u);
    EXPECT_TRUE(FileTableRelease("loose.txt", count));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(FileTableRelease("loose.txt", count));
    EXPECT_EQ(count, 0u);

    EXPECT_FALSE(FileTableSetResource("absent", &resource, kResourceTexture));
    EXPECT_EQ(FileTableGetResource("absent"), nullptr);
    EXPECT_FALSE(FileTableAddRef("absent"));
    EXPECT_FALSE(FileTableRelease("absent", count));
    EXPECT_EQ(kResourceTexture, 0x74787472u); // 't' 'x' 't' 'r' from the high byte down
}

std::vector<std::string> Walk(const char* pattern)
{
    std::vector<std::string> names;
    FileTableIterator it;
    for (it.Begin(pattern); it.NotEqual(FileTableEnd()); it.Next())
        names.push_back(it.Name());
    return names;
}

TEST_F(FileTableTest, IteratesMatchingNamesInOrder)
{
    const std::vector<std::string> all = {"Mixed/Case.TXT", "deep/member.txt", "dir/in.txt",
                                          "enc/secret.txt", "loose.txt",       "shared.txt",
                                          "win.txt",        "x/a.txt",         "x/b.txt"};
    EXPECT_EQ(Walk(nullptr), all);
    EXPECT_EQ(Walk("^x/"), (std::vector<std::string>{"x/a.txt", "x/b.txt"}));
    EXPECT_EQ(Walk("[ed][.]txt$"), (std::vector<std::string>{"loose.txt", "shared.txt"}));
    EXPECT_TRUE(Walk("nothing matches this").empty());
}

TEST_F(FileTableTest, APatternThatDoesNotCompileIteratesNothing)
{
    EXPECT_TRUE(Walk("a**").empty());
    EXPECT_TRUE(Walk("(").empty());
}

TEST_F(FileTableTest, IteratorGivesTheFileNameAndTheEntry)
{
    FileTableIterator it;
    it.Begin("member");
    ASSERT_TRUE(it.NotEqual(FileTableEnd()));
    EXPECT_STREQ(it.FileName(), "member.txt");
    EXPECT_EQ(std::string(it.Entry().path), dir.PathOf("data/sub/nested.darnix"));
    it.Next();
    EXPECT_FALSE(it.NotEqual(FileTableEnd()));
    it.Begin("^loose");
    EXPECT_STREQ(it.FileName(), "loose.txt");
}

TEST_F(FileTableTest, ListingOrderDecidesOverridesAmongSubfolders)
{
    // Sorted listings: "a" comes before "b", so b's copy wins on every machine.
    ASSERT_TRUE(dir.WriteFile("data/a/x/same.txt", "a"));
    WriteArchive("data/b/late.darnix", {{"a/x/same.txt", "b"}});
    Mount();
    EXPECT_EQ(ReadAll("a/x/same.txt"), "b");
}

TEST_F(FileTableTest, SkipsAndReportsPathsTooLong)
{
    const std::string longName(250, 'n');
    ASSERT_TRUE(dir.WriteFile("data/" + longName, "long"));
    m_log.Clear();
    Mount();
    EXPECT_EQ(FileTableFind(longName.c_str()), nullptr);
    EXPECT_TRUE(ErrorsMention("too long"));
}

TEST_F(FileTableTest, APlainMountOverAnEncipheredFileIsReadPlain)
{
    FileTableAddDirectory("windata", "", false);
    EXPECT_EQ(FileTableFindEntry("shared.txt")->enciphered, 0);
    EXPECT_EQ(ReadAll("shared.txt"), "from platform folder");
}

TEST_F(FileTableTest, RebuildEmptiesTheTable)
{
    FileTableRebuild("windata");
    EXPECT_EQ(FileTableSize(), 2u);
    EXPECT_EQ(ReadAll("shared.txt"), "from platform folder");
}
TEST_F(FileTableTest, FoldersLinkingBackAreEnteredOncePerPath)
{
    // Two links back to its own folder made 2^depth paths before.
    ASSERT_EQ(symlink(".", dir.PathOf("data/x/again").c_str()), 0);
    ASSERT_EQ(symlink(".", dir.PathOf("data/x/and-again").c_str()), 0);
    ASSERT_EQ(symlink("..", dir.PathOf("data/x/up").c_str()), 0);
    // A link to a folder off the path is an ordinary second name.
    ASSERT_EQ(symlink("../windata", dir.PathOf("data/side").c_str()), 0);
    const size_t before = FileTableSize();
    m_log.Clear();
    Mount();
    EXPECT_EQ(FileTableSize(), before + 2);
    EXPECT_EQ(ReadAll("side/win.txt"), "platform only");
    EXPECT_EQ(FileTableFind("x/again/a.txt"), nullptr);
    EXPECT_EQ(FileTableFind("x/up/loose.txt"), nullptr);
    EXPECT_EQ(m_log.Lines().size(), 4u) << m_log.Text(); // three links back, and the damaged archive
    EXPECT_TRUE(ErrorsMention("leads back to a folder above it"));
}
} // namespace
