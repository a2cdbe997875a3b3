// The assembled demo tree mounts as the game mounts it: loose files, the
// archive and the enciphered folder all reach the string tables.

#include "core/FileTable.h"
#include "core/StringKeeper.h"

#include <gtest/gtest.h>

TEST(DemoTree, StringsComeFromEveryMountedSource)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    ASSERT_TRUE(StringKeeperInit(1, "strings/english"));
    ASSERT_NE(StringKeeperGetString("DEMO_TITLE"), nullptr); // loose file
    EXPECT_STREQ(StringKeeperGetString("DEMO_TITLE"), "Pendrel Demo");
    ASSERT_NE(StringKeeperGetString("MENU_PLAY"), nullptr); // archive member
    EXPECT_STREQ(StringKeeperGetString("MENU_PLAY"), "Play");
    ASSERT_NE(StringKeeperGetString("CREDITS"), nullptr); // enciphered file
    EXPECT_STREQ(StringKeeperGetString("CREDITS"), "A small game of our own, made to exercise the engine.");
    GetStringKeeper().Clear();
}
