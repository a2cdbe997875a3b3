// The board's script globals and the prop's drop, from a script: answers
// without a board, degrees turned to radians, a failed load raising an
// error, and two props of one model of which one drops.

#include "ScriptWorldFixture.h"
#include "TileBoardFixture.h"

#include "cross/Model.h"
#include "game/Prop.h"
#include "game/PropScriptAPI.h"
#include "game/TileTerrainManager.h"
#include "game/TileTerrainScriptAPI.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

namespace
{
constexpr float kPropNodeHeight = 3.0f;

// A base and, 3 units above it, a flag: one model of two meshes.
ChModel TwoMeshModel()
{
    ChModel model = TileModelBuild(4.0f, 0.0f, 0.0f, "ground.tga", 0.0f);
    ChModelMesh flag = model.meshes[0];
    flag.nodes[0].name = "Flag";
    flag.nodes[0].matrix[13] = kPropNodeHeight;
    model.meshes.push_back(flag);
    return model;
}

class TileTerrainScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterPropScriptAPI(vm);
        RegisterTileTerrainScriptAPI(vm);
    }

    void SetUp() override
    {
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display";
        ASSERT_TRUE(CreateMainWindow(true));
        m_windowOpen = true;
        ASSERT_TRUE(DisplayCreate(64, 64, nullptr));
        ScriptWorldTest::SetUp();
        ASSERT_TRUE(WriteTileModels(dir));
        ASSERT_TRUE(WriteDataFile(dir, "props/mill.chmodel", ChModelWrite(TwoMeshModel())));
        ASSERT_TRUE(WriteDataFile(dir, "props/ground.tga", std::vector<uint8_t>(
                                                               TgaWrite(std::vector<uint8_t>(64, 90).data(), 4, 4, {}))));
        ASSERT_TRUE(WriteTileMap(dir, "board.map", 2, 2, {"3_1", "7_2", "7_2_r90", "3_1"}));
        FileTableMountDataTree(dir.Root().c_str());
    }

    void TearDown() override
    {
        if (!m_windowOpen)
            return;
        TileTerrain::Clear();
        ScriptWorldTest::TearDown();
        DisplayDestroy();
        DestroyMainWindow();
    }

    Prop* PropOf(const char* global)
    {
        sq_pushroottable(vm());
        sq_pushstring(vm(), global, -1);
        Prop* prop = nullptr;
        if (SQ_SUCCEEDED(sq_rawget(vm(), -2)))
        {
            prop = ScriptGetProp(vm(), -1);
            sq_pop(vm(), 1);
        }
        sq_pop(vm(), 1);
        return prop;
    }

    bool m_windowOpen = false;
};

TEST_F(TileTerrainScriptAPITest, WithoutABoardQueriesAnswerNothingAndTheRestDoNothing)
{
    Run(R"(
width <- TileTerrain_GetWidth();
height <- TileTerrain_GetHeight();
dropping <- TileTerrain_IsDropping();
local low = Vec3(1, 2, 3), high = Vec3(4, 5, 6);
TileTerrain_GetRealWordCorners(low, high);
corners <- low.x + high.x;
TileTerrain_SetUpForDropXZ(10, -10, 1, 30, 30, 0.5, 0);
TileTerrain_HideMeshOnAllTiles("ground");
TileTerrain_SkipToFinishOfDroping();
TileTerrain_Clear();
droppingAfter <- TileTerrain_IsDropping();
)");
    EXPECT_EQ(GlobalInt("width"), 0);
    EXPECT_EQ(GlobalInt("height"), 0);
    EXPECT_EQ(GlobalInt("dropping"), 0);
    EXPECT_FLOAT_EQ(GlobalFloat("corners"), 5.0f);
    EXPECT_EQ(GlobalInt("droppingAfter"), 0);
    EXPECT_EQ(Reports(), "");
}

TEST_F(TileTerrainScriptAPITest, TheDropTakesDegreesAndAFailedLoadRaisesAnError)
{
    Run(R"(
TileTerrain_Load("board.map", "tiles");
width <- TileTerrain_GetWidth();
local low = Vec3(0, 0, 0), high = Vec3(0, 0, 0);
TileTerrain_GetRealWordCorners(low, high);
span <- high.x - low.x;
TileTerrain_SetUpForDropXZ(30, -100, 0.5, 90, 45, 0.5, 0);
dropping <- TileTerrain_IsDropping();
)");
    EXPECT_EQ(GlobalInt("width"), 2);
    EXPECT_FLOAT_EQ(GlobalFloat("span"), 2.0f * kTileSize);
    EXPECT_EQ(GlobalInt("dropping"), 1);
    const TileTerrainManager& manager = GetTileTerrainManager();
    EXPECT_EQ(manager.delayRange, 50);
    EXPECT_EQ(manager.tiltXRange, 157);
    EXPECT_EQ(manager.tiltZRange, 78);
    EXPECT_EQ(manager.records.size(), 4u);
    EXPECT_TRUE(RaisesError(R"(TileTerrain_Load("none.map", "tiles");)"));
    EXPECT_EQ(GetTileTerrain(), nullptr);
    EXPECT_FALSE(TileTerrain_IsDropping());
}

TEST_F(TileTerrainScriptAPITest, OfTwoPropsOfOneModelOnlyTheDroppingOneMoves)
{
    Run(R"(
a <- Prop(Vec3(0, 0, 0));
a.SetGraphic("props/mill.chmodel");
b <- Prop(Vec3(20, 0, 0));
b.SetGraphic("props/mill.chmodel");
a.HashAllMeshNames();
a.AddAllMeshToDrop();
)");
    Prop* a = PropOf("a");
    Prop* b = PropOf("b");
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->m_propInstance.m_model, b->m_propInstance.m_model);
    const Model& model = *a->m_propInstance.m_model;
    GetTileTerrainManager().SetUpForDropXZ(30.0f, -100.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f);
    Run("a.TileTerrain_AddPropDropToTileTerrain();");
    ASSERT_EQ(GetTileTerrainManager().records.size(), 2u);
    TileTerrainStep(1.0f / 30.0f);
    const Mat4* flag = a->m_propInstance.OwnNodeMatrix(1, 0);
    ASSERT_NE(flag, nullptr);
    EXPECT_GT((*flag)[13], 25.0f);
    EXPECT_EQ(b->m_propInstance.OwnNodeMatrix(1, 0), nullptr);
    EXPECT_FLOAT_EQ(model.GetMesh(1)->nodes[0].matrix[13], kPropNodeHeight);
    for (int i = 0; i < 300 && TileTerrain_IsDropping(); ++i)
        TileTerrainStep(1.0f / 30.0f);
    EXPECT_FALSE(TileTerrain_IsDropping());
    EXPECT_FLOAT_EQ((*flag)[13], kPropNodeHeight);

    // A prop let go mid-drop takes its records along.
    GetTileTerrainManager().SetUpForDropXZ(30.0f, -100.0f, 0.0f, 0.0f, 0.0f, 0.5f, 0.0f);
    Run("a.TileTerrain_AddPropDropToTileTerrain(); b.HashAllMeshNames(); b.AddAllMeshToDrop(); "
        "b.TileTerrain_AddPropDropToTileTerrain();");
    ASSERT_EQ(GetTileTerrainManager().records.size(), 4u);
    Run("a = null;");
    EXPECT_EQ(GetTileTerrainManager().records.size(), 2u);
    TileTerrainStep(1.0f / 30.0f);
    EXPECT_EQ(Reports(), "");
}
} // namespace
