// The assembled demo tree mounts as the game mounts it: loose files, the
// archive and the enciphered folder all reach the string tables.

#include "core/FileTable.h"
#include "core/Path.h"
#include "core/StringKeeper.h"
#include "game/LocatorStore.h"
#include "game/PathSetPointsByName.h"
#include "support/LogCapture.h"

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

TEST(DemoTree, LocatorFilesLoadWithoutAReport)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    LogCapture log;
    for (const char* name : {"levels/spawns.loc", "levels/flight.loc"})
    {
        EXPECT_TRUE(LocatorsLoad(name)) << name;
        EXPECT_TRUE(log.Empty()) << name << ": " << log.Text();
    }
    EXPECT_NE(LocatorFindByType(65776, 1), nullptr);
    Path flight;
    EXPECT_TRUE(PathSetPointsByName(flight, "dragon_flight"));
    EXPECT_GT(flight.GetTotalDistance(), 1900.0f);
    LocatorsClear();
}
