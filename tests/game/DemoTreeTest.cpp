// The assembled demo tree mounts as the game mounts it: loose files, the
// archive and the enciphered folder all reach the string tables.

#include "core/FileTable.h"
#include "core/Path.h"
#include "core/StringKeeper.h"
#include "game/LocatorStore.h"
#include "game/PathSetPointsByName.h"
#include "game/Terrain.h"
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

// Texts the engine shows by their identifiers, not the scripts.
TEST(DemoTree, StringsTheEngineShowsByItselfAreThere)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    ASSERT_TRUE(StringKeeperInit(1, "strings/english"));
    for (const char* identifier : {"sid_fe_lb_screen_noscore"})
        EXPECT_NE(StringKeeperGetString(identifier), nullptr) << identifier;
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

// The generated ground: the hill peaks under the crate's spawn point, flat
// ground lies around it, and the ledge's top is of surface kind 1.
TEST(DemoTree, HillTerrainLoadsWithoutAReport)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    LogCapture log;
    Terrain terrain;
    ASSERT_TRUE(TerrainLoad(terrain, "levels/hill.chterrain")) << log.Text();
    EXPECT_TRUE(log.Empty()) << log.Text();
    ASSERT_TRUE(terrain.HasFaceChannels());

    const struct
    {
        Vec3 above;
        float height;
        uint32_t kind;
    } cases[] = {
        {Vec3(50, 100, -120), 40.0f, 0}, // the hilltop, under "crate_hill"
        {Vec3(500, 100, 500), 0.0f, 0},  // far from the hill
        {Vec3(-250, 100, -250), 30.0f, 1}, // the ledge
    };
    for (const auto& c : cases)
    {
        TerrainHeightHit hits[kTerrainHeightHits];
        ASSERT_TRUE(TerrainHeightHits(terrain, c.above, hits)) << c.above.x;
        EXPECT_NEAR(hits[0].height, c.height, 0.5f) << c.above.x;
        EXPECT_EQ(terrain.SurfaceKind(hits[0].face), c.kind) << c.above.x;
    }
}
