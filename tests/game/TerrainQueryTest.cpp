// The four terrain queries over generated terrains, and the tree walk's
// order on a two-leaf tree.

#include "TerrainFixture.h"

#include "core/MathExpect.h"
#include "game/TerrainDebugDraw.h"
#include "game/TerrainTree.h"

#include <vector>

namespace
{
std::vector<uint32_t> Items(TerrainTreeQuery& query)
{
    std::vector<uint32_t> items;
    for (uint32_t item = query.Next(); item != kTerrainNoItem; item = query.Next())
        items.push_back(item);
    return items;
}

// A root over two leaves: faces 0-1 in a box around x = -5, faces 2-4
// around x = +5.
TerrainTree TwoLeafTree()
{
    TerrainTree tree;
    tree.nodes.push_back({{0, 0, 0}, {10, 1, 1}, 5, 0, 1, 2});
    tree.nodes.push_back({{-5, 0, 0}, {4, 1, 1}, 2, 0, 0, 0});
    tree.nodes.push_back({{5, 0, 0}, {4, 1, 1}, 3, 2, 0, 0});
    return tree;
}

// n flat squares of side 2 stacked at heights 1..n, each of its own kind.
TerrainMesh Stacked(int n)
{
    TerrainMesh mesh;
    for (int i = 1; i <= n; ++i)
        mesh.AddQuad(Vec3(-1, float(i), -1), Vec3(-1, float(i), 1), Vec3(1, float(i), 1), Vec3(1, float(i), -1),
                     uint32_t(i));
    return mesh;
}
} // namespace

TEST(TerrainTreeQuery, YieldsTheRightSubtreeFirstAndOnlyLeavesEachQueryReaches)
{
    const TerrainTree tree = TwoLeafTree();
    struct Case
    {
        const char* name;
        std::function<void(TerrainTreeQuery&)> start;
        std::vector<uint32_t> items;
    };
    const Case cases[] = {
        {"sphere over both", [](TerrainTreeQuery& q) { q.StartSphere(Vec3(0, 0, 0), 2); }, {2, 3, 4, 0, 1}},
        {"sphere on the left", [](TerrainTreeQuery& q) { q.StartSphere(Vec3(-6, 0, 0), 1); }, {0, 1}},
        {"sphere outside", [](TerrainTreeQuery& q) { q.StartSphere(Vec3(0, 5, 0), 1); }, {}},
        {"ray along x", [](TerrainTreeQuery& q) { q.StartRay(Vec3(-20, 0, 0), Vec3(1, 0, 0)); }, {2, 3, 4, 0, 1}},
        {"ray pointing away", [](TerrainTreeQuery& q) { q.StartRay(Vec3(-20, 0, 0), Vec3(-1, 0, 0)); }, {}},
        {"ray down on the right", [](TerrainTreeQuery& q) { q.StartRay(Vec3(6, 9, 0), Vec3(0, -1, 0)); },
         {2, 3, 4}},
        {"ray passing above", [](TerrainTreeQuery& q) { q.StartRay(Vec3(-20, 3, 0), Vec3(1, 0.01f, 0)); }, {}},
        {"down from above the left", [](TerrainTreeQuery& q) { q.StartDownward(Vec3(-3, 50, 0)); }, {0, 1}},
        {"down from below", [](TerrainTreeQuery& q) { q.StartDownward(Vec3(-3, -2, 0)); }, {}},
        {"sweep into the right", [](TerrainTreeQuery& q) { q.StartSweep(Vec3(5, 9, 0), Vec3(0, -9, 0), 0.5f); },
         {2, 3, 4}},
        {"sweep stopping short", [](TerrainTreeQuery& q) { q.StartSweep(Vec3(5, 9, 0), Vec3(0, -7, 0), 0.5f); },
         {}},
        {"sweep reached by its radius", [](TerrainTreeQuery& q) { q.StartSweep(Vec3(5, 9, 0), Vec3(0, -7, 0), 1.01f); },
         {2, 3, 4}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TerrainTreeQuery query(tree);
        c.start(query);
        EXPECT_EQ(Items(query), c.items);
        EXPECT_EQ(query.Next(), kTerrainNoItem);
    }
}

TEST(TerrainTreeQuery, EmptyTreeYieldsNothing)
{
    TerrainTree tree;
    TerrainTreeQuery query(tree);
    query.StartSphere(Vec3(0, 0, 0), 100);
    EXPECT_EQ(query.Next(), kTerrainNoItem);
}

TEST(Terrain, EmptyTerrainAnswersNoHitToEveryQuery)
{
    Terrain terrain;
    float t = 0;
    Vec3 n, point(7, 7, 7);
    uint32_t face = 0;
    TerrainHeightHit hits[kTerrainHeightHits];
    EXPECT_FALSE(TerrainSweepSphere(terrain, Vec3(0, 1, 0), 1, Vec3(0, -5, 0), t, n, face));
    EXPECT_FALSE(TerrainOverlapSphere(terrain, Vec3(0, 0, 0), 1));
    EXPECT_FALSE(TerrainRayCast(terrain, Vec3(0, 1, 0), Vec3(0, -1, 0), point));
    EXPECT_TRUE(Vec3Near(point, Vec3(7, 7, 7)));
    EXPECT_FALSE(TerrainHeightHits(terrain, Vec3(0, 1, 0), hits));
    EXPECT_EQ(hits[0].face, kTerrainNoItem);
}

TEST_F(TerrainFileTest, SweepFindsTheFirstContactAlongTheMotion)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(FlatGround(10))));
    float t = 0;
    Vec3 n;
    uint32_t face = 99;
    ASSERT_TRUE(TerrainSweepSphere(terrain, Vec3(1, 3, 1), 1, Vec3(0, -4, 0), t, n, face));
    EXPECT_NEAR(t, 2.0f, 1e-4f);
    EXPECT_TRUE(Vec3Near(n, Vec3(0, 1, 0)));
    EXPECT_LT(face, 2u);
    // A motion that ends exactly at the contact is no hit.
    EXPECT_FALSE(TerrainSweepSphere(terrain, Vec3(1, 3, 1), 1, Vec3(0, -2, 0), t, n, face));
    EXPECT_FALSE(TerrainSweepSphere(terrain, Vec3(1, 3, 1), 1, Vec3(0, 4, 0), t, n, face));
}

TEST_F(TerrainFileTest, SurfaceKindsThreeAndUpAreSeenOnlyByRaysAndHeights)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(FlatGround(10, 0, 3))));
    float t = 0;
    Vec3 n, point;
    uint32_t face = 0;
    EXPECT_FALSE(TerrainSweepSphere(terrain, Vec3(1, 3, 1), 1, Vec3(0, -4, 0), t, n, face));
    EXPECT_FALSE(TerrainOverlapSphere(terrain, Vec3(1, 0.5f, 1), 1));
    EXPECT_TRUE(TerrainRayCast(terrain, Vec3(1, 3, 1), Vec3(0, -1, 0), point));
    TerrainHeightHit hits[kTerrainHeightHits];
    EXPECT_TRUE(TerrainHeightHits(terrain, Vec3(1, 3, 1), hits));
}

TEST_F(TerrainFileTest, WithoutFaceChannelsSweepAndOverlapTestEveryFace)
{
    TerrainMesh mesh = FlatGround(10, 0, 5);
    mesh.writeSurfaceKinds = false;
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(mesh)));
    ASSERT_FALSE(terrain.HasFaceChannels());
    float t = 0;
    Vec3 n;
    uint32_t face = 0;
    EXPECT_TRUE(TerrainSweepSphere(terrain, Vec3(1, 3, 1), 1, Vec3(0, -4, 0), t, n, face));
    EXPECT_TRUE(TerrainOverlapSphere(terrain, Vec3(1, 0.5f, 1), 1));
    EXPECT_FALSE(TerrainOverlapSphere(terrain, Vec3(1, 1.5f, 1), 1));
}

TEST_F(TerrainFileTest, EqualSweepContactsGoToTheFirstFaceYielded)
{
    // The same square twice, one copy in each leaf: the right leaf's wins.
    TerrainMesh mesh = FlatGround(2);
    mesh.AddQuad(Vec3(-2, 0, -2), Vec3(-2, 0, 2), Vec3(2, 0, 2), Vec3(2, 0, -2), 1);
    TerrainFile file = TerrainFileBuild(mesh, 2);
    ASSERT_EQ(file.nodes.size(), 3u);
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, file));
    const TerrainTreeNode& right = terrain.m_data.tree.nodes[terrain.m_data.tree.nodes[0].rightChild];
    float t = 0;
    Vec3 n;
    uint32_t face = 99;
    ASSERT_TRUE(TerrainSweepSphere(terrain, Vec3(0.5f, 3, 0.5f), 1, Vec3(0, -4, 0), t, n, face));
    EXPECT_GE(face, right.firstItem);
    EXPECT_LT(face, right.firstItem + right.itemCount);
}

TEST_F(TerrainFileTest, RayFindsTheNearestFaceAndAMissLeavesThePoint)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(Stacked(3))));
    Vec3 point(0, 0, 0);
    ASSERT_TRUE(TerrainRayCast(terrain, Vec3(0.5f, 10, 0.5f), Vec3(0, -2, 0), point));
    EXPECT_TRUE(Vec3Near(point, Vec3(0.5f, 3, 0.5f)));
    point = Vec3(9, 9, 9);
    EXPECT_FALSE(TerrainRayCast(terrain, Vec3(5, 10, 5), Vec3(0, -1, 0), point));
    EXPECT_TRUE(Vec3Near(point, Vec3(9, 9, 9)));
}

TEST_F(TerrainFileTest, HeightHitsKeepTheFourHighestUpwardSurfacesHighestFirst)
{
    TerrainMesh mesh = Stacked(5);
    // A roof facing down and a wall: never height hits.
    mesh.AddQuad(Vec3(-1, 8, -1), Vec3(1, 8, -1), Vec3(1, 8, 1), Vec3(-1, 8, 1));
    mesh.AddQuad(Vec3(0, 0, -1), Vec3(0, 9, -1), Vec3(0, 9, 1), Vec3(0, 0, 1));
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(mesh)));
    TerrainHeightHit hits[kTerrainHeightHits];
    ASSERT_TRUE(TerrainHeightHits(terrain, Vec3(0.5f, 10, 0.25f), hits));
    for (int i = 0; i < kTerrainHeightHits; ++i)
    {
        EXPECT_FLOAT_EQ(hits[i].height, float(5 - i));
        EXPECT_EQ(terrain.SurfaceKind(hits[i].face), uint32_t(5 - i));
        EXPECT_NEAR(hits[i].w0 + hits[i].w1 + hits[i].w2, 1.0f, 1e-5f);
    }
    // Between floors only those below count; under them all, none.
    ASSERT_TRUE(TerrainHeightHits(terrain, Vec3(0.5f, 2.5f, 0.25f), hits));
    EXPECT_FLOAT_EQ(hits[0].height, 2.0f);
    EXPECT_FLOAT_EQ(hits[1].height, 1.0f);
    EXPECT_EQ(hits[2].face, kTerrainNoItem);
    EXPECT_FALSE(TerrainHeightHits(terrain, Vec3(0.5f, 0.5f, 0.25f), hits));
}

TEST_F(TerrainFileTest, DebugColourShadesThePaletteOfTheSurfaceKind)
{
    TerrainMesh mesh;
    for (uint32_t kind = 0; kind < 5; ++kind)
        mesh.AddTriangle(Vec3(float(kind), 0, 0), Vec3(float(kind), 0, 1), Vec3(float(kind) + 1, 0, 0), kind);
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TerrainFileBuild(mesh, 8)));
    const float shade = 0.6f + 0.4f * Vec3Normalized(Vec3(0.5f, 1.0f, 0.2f)).y;
    const Vec3 palette[5] = {Vec3(0.5f, 0.5f, 0.6f), Vec3(0.7f, 0.7f, 0.5f), Vec3(0.5f, 0.7f, 0.5f),
                             Vec3(0.0f, 0.2f, 0.0f), Vec3(0, 0, 0)};
    for (uint32_t f = 0; f < 5; ++f)
        EXPECT_TRUE(Vec3Near(TerrainDebugFaceColour(terrain, f), palette[terrain.SurfaceKind(f)] * shade)) << f;
}
