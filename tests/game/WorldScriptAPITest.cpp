// The world globals: ground-plane collision tests, the terrain and its height query.
#include "ScriptWorldFixture.h"

#include "game/World.h"
#include "game/WorldScriptAPI.h"
#include "tools/formats/TerrainWriter.h"

namespace
{
class WorldScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterWorldScriptAPI(vm);
    }

    void TearDown() override
    {
        simFinalize();
        ScriptWorldTest::TearDown();
    }

    int Eval(const std::string& expression)
    {
        Run("::result <- " + expression + ";");
        return GlobalInt("result");
    }

    float Height(const std::string& point)
    {
        Run("::height <- TERRAIN.TestHeight(" + point + ");");
        return GlobalFloat("height");
    }

    // Flat ground at height 3 over [-10, 10] in x and z, a shelf at 7 above
    // its corner, written below data/ with the tree mounted again.
    void WriteGround(const std::string& name)
    {
        TerrainMesh mesh;
        mesh.AddQuad(Vec3(-10, 3, -10), Vec3(-10, 3, 10), Vec3(10, 3, 10), Vec3(10, 3, -10));
        mesh.AddQuad(Vec3(5, 7, 5), Vec3(5, 7, 10), Vec3(10, 7, 10), Vec3(10, 7, 5));
        const std::vector<uint8_t> bytes = TerrainFileWrite(TerrainFileBuild(mesh));
        ASSERT_TRUE(dir.WriteFile("data/" + name, bytes.data(), bytes.size()));
        FileTableMountDataTree(dir.Root().c_str());
    }
};

TEST_F(WorldScriptAPITest, GroundCollisionsIgnoreHeightAndTheSliceLimitsTheAngle)
{
    const struct
    {
        const char* expression;
        int expected;
    } cases[] = {
        {"XZCollision(Vec3(0, 0, 0), Vec3(3, 100, 4), 5.01)", 1},
        {"XZCollision(Vec3(0, 0, 0), Vec3(3, 0, 4), 5.0)", 0},
        // Straight ahead is inside any slice within range; the range is inclusive.
        {"XZCollisionSlice(Vec3(0, 0, 0), Vec3(0, 9, 5), Vec3(0, 0, 1), 5.0, 0.0)", 1},
        {"XZCollisionSlice(Vec3(0, 0, 0), Vec3(0, 0, 5.1), Vec3(0, 0, 1), 5.0, 90.0)", 0},
        // Sideways: 1 - cos 90 degrees = 1, which needs at least 57.3 degrees.
        {"XZCollisionSlice(Vec3(0, 0, 0), Vec3(2, 0, 0), Vec3(0, 0, 1), 5.0, 57.0)", 0},
        {"XZCollisionSlice(Vec3(0, 0, 0), Vec3(2, 0, 0), Vec3(0, 0, 1), 5.0, 57.3)", 1},
        // Behind: 1 - cos 180 degrees = 2.
        {"XZCollisionSlice(Vec3(0, 0, 0), Vec3(0, 0, -2), Vec3(0, 0, 1), 5.0, 114.0)", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(c.expression), c.expected) << c.expression;
}

TEST_F(WorldScriptAPITest, ArgumentsOfTheWrongClassAreScriptErrors)
{
    EXPECT_TRUE(RaisesError("XZCollision(Vec3(0, 0, 0), 5, 1.0);"));
    EXPECT_TRUE(RaisesError("XZCollision(Vec3(0, 0, 0), Vec2(1, 1), 1.0);"));
}
TEST_F(WorldScriptAPITest, TestHeightGivesTheHighestSurfaceBelowElseTwoAndAHalf)
{
    EXPECT_FLOAT_EQ(Height("Vec3(0, 10, 0)"), 2.5f) << "no terrain yet";
    WriteGround("ground.chterrain");
    Run("Terrain_Create(\"ground.chterrain\", \"no model\");");
    ASSERT_NE(GetTerrain(), nullptr);
    const struct
    {
        const char* point;
        float expected;
    } cases[] = {
        {"Vec3(0, 10, 0)", 3.0f},
        {"Vec3(-9, 3.5, 9)", 3.0f},
        {"Vec3(7, 20, 7)", 7.0f}, // the shelf hides the ground below it
        {"Vec3(7, 5, 7)", 3.0f},  // under the shelf
        {"Vec3(0, 2, 0)", 2.5f},  // below the ground
        {"Vec3(50, 10, 0)", 2.5f}, // off the terrain
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(Height(c.point), c.expected) << c.point << "\n" << Reports();
}

TEST_F(WorldScriptAPITest, TerrainCreateOfAMissingFileLeavesNoGround)
{
    WriteGround("ground.chterrain");
    Run("Terrain_Create(\"ground.chterrain\", \"no model\");");
    ASSERT_FLOAT_EQ(Height("Vec3(0, 10, 0)"), 3.0f) << Reports();
    ClearReports();
    Run("Terrain_Create(\"missing.chterrain\", \"no model\");");
    EXPECT_TRUE(ReportsContain("missing.chterrain")) << Reports();
    EXPECT_FLOAT_EQ(Height("Vec3(0, 10, 0)"), 2.5f);
}

TEST_F(WorldScriptAPITest, TerrainArgumentsOfTheWrongTypeAreScriptErrors)
{
    EXPECT_TRUE(RaisesError("TERRAIN.TestHeight(5);"));
    EXPECT_TRUE(RaisesError("TERRAIN.TestHeight(Vec2(1, 1));"));
    EXPECT_TRUE(RaisesError("Terrain_Create(\"ground.chterrain\");"));
    EXPECT_TRUE(RaisesError("Terrain_Create(1, \"model\");"));
}

} // namespace
