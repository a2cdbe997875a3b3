// The world's global objects: the tile-terrain collision over placed
// terrains, the height query that prefers it, terrain creation and world
// finalisation.

#include "TerrainFixture.h"

#include "core/MathExpect.h"
#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/LocatorStore.h"
#include "game/TileTerrainCollision.h"
#include "game/World.h"
#include "tools/formats/LocatorWriter.h"

#include <cstring>

namespace
{
Mat4 Placement(const Vec3& position, float turnDegrees = 0.0f)
{
    Mat4 m = Mat4Identity();
    if (turnDegrees != 0.0f)
        Mat4SetRotationAxisAngle(m, turnDegrees * 0.017453292f, Vec3(0, 1, 0));
    Mat4SetTranslation(m, position);
    return m;
}

uint32_t FloatBits(float value)
{
    uint32_t bits;
    memcpy(&bits, &value, 4);
    return bits;
}

class WorldTest : public TerrainFileTest
{
protected:
    void TearDown() override
    {
        simFinalize();
        TerrainFileTest::TearDown();
    }

    // A 2 x 2 tile (one quad) whose vertices carry channel values.
    TerrainFile Tile(float y, uint32_t kind)
    {
        TerrainMesh mesh = FlatGround(1.0f, y, kind);
        TerrainFileChannel floats, integers;
        floats.type = kTerrainFileFloat;
        integers.type = kTerrainFileLong;
        for (uint32_t v = 0; v < mesh.vertices.size(); ++v)
        {
            floats.values.push_back(FloatBits(0.5f * float(v)));
            integers.values.push_back(100 + v);
        }
        mesh.vertexChannels = {floats, integers};
        return TerrainFileBuild(mesh);
    }
};

struct CountingEntity : public Entity
{
    explicit CountingEntity(int& deletions) : m_deletions(deletions) {}
    ~CountingEntity() override { ++m_deletions; }
    int& m_deletions;
};
} // namespace

TEST_F(WorldTest, TileInstanceBoxesAreAlignedOrACubeWhenTurned)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(FlatGround(3.0f, 1.0f))));
    TileTerrainCollision tiles;
    tiles.AddInstance(&terrain, Placement(Vec3(10, 0, 0)), true);
    tiles.AddInstance(&terrain, Placement(Vec3(-10, 0, 0), 90), false);
    EXPECT_TRUE(Vec3Near(tiles.Instance(0).boxCentre, Vec3(10, 1, 0)));
    EXPECT_TRUE(Vec3Near(tiles.Instance(0).boxHalfExtent, Vec3(3, 0, 3)));
    const float side = std::sqrt(18.0f);
    EXPECT_TRUE(Vec3Near(tiles.Instance(1).boxHalfExtent, Vec3(side, side, side), 1e-4f));
    EXPECT_TRUE(Mat4Near(Mat4Multiply(tiles.Instance(1).matrix, tiles.Instance(1).inverse), Mat4Identity()));
}

TEST_F(WorldTest, TileTreeIsBuiltInPreOrderOverItsInstances)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(FlatGround(1.0f))));
    TileTerrainCollision tiles;
    tiles.Build();
    EXPECT_TRUE(tiles.Tree().Empty());
    for (float x : {-30.0f, 30.0f, -10.0f, 10.0f})
        tiles.AddInstance(&terrain, Placement(Vec3(x, 0, 0)), true);
    tiles.Build();
    const TerrainTree& tree = tiles.Tree();
    ASSERT_EQ(tree.nodes.size(), 7u);
    EXPECT_EQ(TerrainTreeCheck(tree, 7), nullptr);
    EXPECT_EQ(tree.nodes[0].itemCount, 4u);
    EXPECT_EQ(tree.nodes[0].leftChild, 1u);
    EXPECT_EQ(tree.nodes[0].rightChild, 4u);
    // Left of the centre the negative tiles, each side split again at its centre.
    EXPECT_EQ(tree.nodes[2].itemCount, 1u);
    EXPECT_FLOAT_EQ(tree.nodes[2].center[0], -30.0f);
    EXPECT_FLOAT_EQ(tree.nodes[3].center[0], -10.0f);
    EXPECT_FLOAT_EQ(tree.nodes[5].center[0], 10.0f);
    EXPECT_FLOAT_EQ(tree.nodes[6].center[0], 30.0f);
}

TEST_F(WorldTest, TileTreeOfBadlySpreadTilesStaysWithinTheWalksStack)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(FlatGround(0.5f))));
    TileTerrainCollision tiles;
    // Each split by centre would peel off one tile at a time.
    for (int i = 0; i < 120; ++i)
        tiles.AddInstance(&terrain, Placement(Vec3(std::pow(1.2f, float(i)), 0, 0)), true);
    tiles.Build();
    EXPECT_EQ(TerrainTreeCheck(tiles.Tree(), tiles.Tree().nodes.size()), nullptr);
    TerrainHeightHit hits[kTerrainHeightHits];
    const Vec3 last(std::pow(1.2f, 119.0f), 5, 0);
    EXPECT_EQ(tiles.HeightHits(last, hits), &tiles.Instance(119));
}

TEST_F(WorldTest, TileQueriesAnswerWithTheInstanceAndItsLocalResults)
{
    Terrain low, high;
    Write("high.chterrain", TerrainFileBuild(FlatGround(1.0f, 4.0f)));
    ASSERT_TRUE(Load(low, TerrainFileBuild(FlatGround(1.0f))));
    ASSERT_TRUE(TerrainLoad(high, "high.chterrain"));
    TileTerrainCollision tiles;
    tiles.AddInstance(&low, Placement(Vec3(0, 0, 0)), true);
    tiles.AddInstance(&high, Placement(Vec3(0, 0, 0)), true);
    tiles.AddInstance(&low, Placement(Vec3(5, 2, 0), 90), false);
    tiles.Build();

    TerrainHeightHit hits[kTerrainHeightHits];
    EXPECT_EQ(tiles.HeightHits(Vec3(0.5f, 9, 0.5f), hits), &tiles.Instance(1));
    EXPECT_FLOAT_EQ(hits[0].height, 4.0f);
    EXPECT_EQ(tiles.HeightHits(Vec3(5.5f, 9, 0.5f), hits), &tiles.Instance(2));
    EXPECT_FLOAT_EQ(hits[0].height, 0.0f); // local: the tile lies 2 higher
    EXPECT_EQ(tiles.HeightHits(Vec3(20, 9, 0), hits), nullptr);

    float t = 0;
    Vec3 n;
    uint32_t face = 0;
    EXPECT_EQ(tiles.SweepSphere(Vec3(5.2f, 6, 0.3f), 1, Vec3(0, -5, 0), t, n, face), &tiles.Instance(2));
    EXPECT_NEAR(t, 3.0f, 1e-4f);
    EXPECT_TRUE(Vec3Near(n, Vec3(0, 1, 0)));

    Vec3 point;
    EXPECT_EQ(tiles.RayCast(Vec3(0.5f, 9, 0.5f), Vec3(0, -1, 0), point), &tiles.Instance(1));
    EXPECT_TRUE(Vec3Near(point, Vec3(0.5f, 4, 0.5f)));

    tiles.Clear();
    EXPECT_EQ(tiles.InstanceCount(), 0u);
    EXPECT_EQ(tiles.HeightHits(Vec3(0.5f, 9, 0.5f), hits), nullptr);
}

TEST_F(WorldTest, TestHeightWithNothingAnswersFalseAndMinusOneKinds)
{
    WorldHeightHit hits[kTerrainHeightHits];
    EXPECT_FALSE(WorldTestHeight(Vec3(0, 5, 0), hits));
    for (const WorldHeightHit& hit : hits)
        EXPECT_EQ(hit.surfaceKind, -1);
}

TEST_F(WorldTest, TestHeightFillsRecordsFromTheTerrainWithItsChannels)
{
    Write("tile.chterrain", Tile(3.0f, 2));
    ASSERT_FALSE(TerrainCreate("tile.chterrain", "no model")); // no model: false, data kept
    WorldHeightHit hits[kTerrainHeightHits];
    ASSERT_TRUE(WorldTestHeight(Vec3(0.25f, 5, -0.5f), hits));
    EXPECT_FLOAT_EQ(hits[0].height, 3.0f);
    EXPECT_EQ(hits[0].surfaceKind, 2);
    EXPECT_EQ(hits[1].surfaceKind, -1);
    float weighted = 0;
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_GE(hits[0].vertexIntegers[i], 100);
        EXPECT_FLOAT_EQ(hits[0].vertexFloats[i], 0.5f * float(hits[0].vertexIntegers[i] - 100));
        EXPECT_FLOAT_EQ(hits[0].vertices[i].y, 3.0f);
        weighted += hits[0].weights[i];
    }
    EXPECT_NEAR(weighted, 1.0f, 1e-5f);
}

TEST_F(WorldTest, TileCollisionHidesTheTerrainUntilCleared)
{
    Write("tile.chterrain", Tile(3.0f, 0));
    TerrainCreate("tile.chterrain", "no model");
    Terrain raised;
    Write("raised.chterrain", Tile(0.0f, 1));
    ASSERT_TRUE(TerrainLoad(raised, "raised.chterrain"));

    TileTerrainCollision* tiles = TileTerrainCollisionCreate();
    WorldHeightHit hits[kTerrainHeightHits];
    EXPECT_FALSE(WorldTestHeight(Vec3(0.25f, 9, -0.5f), hits)) << "an empty one hides the terrain";

    tiles->AddInstance(&raised, Placement(Vec3(0, 5, 0), 90), false);
    tiles->Build();
    ASSERT_TRUE(WorldTestHeight(Vec3(0.25f, 9, -0.5f), hits));
    EXPECT_FLOAT_EQ(hits[0].height, 5.0f);
    EXPECT_FLOAT_EQ(hits[0].vertices[0].y, 5.0f);
    EXPECT_EQ(hits[0].surfaceKind, 1);

    TileTerrainCollisionClear();
    EXPECT_EQ(GetTileTerrainCollision(), nullptr);
    ASSERT_TRUE(WorldTestHeight(Vec3(0.25f, 9, -0.5f), hits));
    EXPECT_FLOAT_EQ(hits[0].height, 3.0f);
}

TEST_F(WorldTest, CreateReportsAMissingFileAndKeepsAnEmptyTerrain)
{
    Mount();
    EXPECT_FALSE(TerrainCreate("missing.chterrain", "no model"));
    EXPECT_TRUE(m_log.Contains("Open terrain missing.chterrain failed.\n"));
    ASSERT_NE(GetTerrain(), nullptr);
    WorldHeightHit hits[kTerrainHeightHits];
    EXPECT_FALSE(WorldTestHeight(Vec3(0, 5, 0), hits));
}

TEST_F(WorldTest, FinalizeDeletesOnlyEngineAllocatedEntitiesAndTheWorldObjects)
{
    int deletions = 0;
    CountingEntity inScript(deletions);
    auto* allocated = new CountingEntity(deletions);
    allocated->m_engineAllocated = true;
    EntityRegistryAdd(&inScript);
    EntityRegistryAdd(allocated);
    LocatorFileSpec level;
    level.locators.push_back(LocatorAt(7, "spawn", Vec3(1, 2, 3)));
    const std::vector<uint8_t> locators = LocatorWrite(level);
    ASSERT_TRUE(dir.WriteFile("data/level.loc", locators.data(), locators.size()));
    Write("tile.chterrain", Tile(0.0f, 0));
    TerrainCreate("tile.chterrain", "no model");
    TileTerrainCollisionCreate();
    ASSERT_TRUE(LocatorsLoad("level.loc")) << m_log.Text();
    LocatorRef kept;
    LocatorRefSet(kept, LocatorGet(0));

    simFinalize();
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(GetEntityRegistry().Count(), 0u);
    EXPECT_EQ(GetTerrain(), nullptr);
    EXPECT_EQ(GetTileTerrainCollision(), nullptr);
    EXPECT_EQ(FileTableFindEntry("tile.chterrain")->kind, kResourceGone);
    EXPECT_EQ(LocatorCount(), 0);
    EXPECT_EQ(LocatorGetNative(kept), nullptr);
    EXPECT_EQ(FileTableFindEntry("level.loc")->kind, kResourceGone);
}
