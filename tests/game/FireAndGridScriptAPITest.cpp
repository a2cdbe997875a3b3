// The fire and grid path-finder rows of the world script API, driven from scripts.
#include "ScriptWorldFixture.h"

#include "fx/FXScriptAPI.h"
#include "game/FireAreas.h"
#include "game/PathScriptAPI.h"
#include "game/WorldScriptAPI.h"
#include "tools/formats/GridWriter.h"

namespace
{
class FireAndGridScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterFXScriptAPI(vm);
        RegisterPathScriptAPI(vm);
        RegisterWorldScriptAPI(vm);
    }
    void TearDown() override
    {
        GetFireAreas().Clear();
        ScriptWorldTest::TearDown();
    }
};

const char* const kBuildArea = R"(
local props = FireProperties();
props.m_ignitionTemperature = 100.0;
props.m_initialfuelamount = 10.0;
props.m_AffectRadius = 1.5;
props.m_BurnIntensityVsTempInterpD.AddKey(0.0, 1.0);
props.m_FuelRateVsTempInterpD.AddKey(0.0, 1.0);
props.m_RadianceEnergyVsIntensityInterpD.AddKey(0.0, 200.0);
props.m_TempDeltaVsDistanceInterpD.AddKey(0.0, 1.0);
props.m_TempDeltaVsDistanceInterpD.AddKey(2.0, 0.0);
props.m_HeatLossVsTempInterpD.AddKey(0.0, 5.0);
props.m_SmolderVsTempInterpD.AddKey(0.0, 1.0);
::id <- FireAreas_AddFireArea();
::proxy <- FireInterfaceProxy();
FireAreas_GetProxyFromID(::proxy, ::id);
::proxy.SetNextFireProperties(props);
for (local i = 0; i < 5; i += 1)
    ::proxy.AddCellPoint(Vec3(i * 10.0, 0, 0));
FireAreas_FinaliseAddingInFireArea(::id);
)";

TEST_F(FireAndGridScriptAPITest, StartFiresLightsTheCellsAroundThePoint)
{
    Run(kBuildArea);
    Run("FireAreas_StartFires(Vec3(10, 0, 1), 12.0); FireAreas_Update(0.5);");
    FireInterface* area = GetFireAreas().GetProxyFromID(static_cast<uint32_t>(GlobalInt("id")));
    ASSERT_NE(area, nullptr);
    ASSERT_EQ(area->Group().FinalisedCount(), 5u);
    // Cells 0, 1 and 2 lie within 12 of (10, 0, 1); 3 and 4 do not.
    EXPECT_EQ(area->Group().Burning(), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_FLOAT_EQ(area->Group().Cell(0).properties->m_AffectRadius, 1.5f);
    EXPECT_EQ(area->Group().Cell(0).properties->m_TempDeltaVsDistanceInterpD.keyCount, 2);
}

TEST_F(FireAndGridScriptAPITest, AProxyKeptAcrossClearFindsNothing)
{
    Run(kBuildArea);
    Run("FireAreas_Clear(); ::proxy.AddCellPoint(Vec3(0, 0, 0)); FireAreas_FinaliseAddingInFireArea(::id);"
        "::newId <- FireAreas_AddFireArea(); ::proxy.AddCellPoint(Vec3(0, 0, 0));"
        "local fresh = FireInterfaceProxy(); FireAreas_GetProxyFromID(fresh, ::id); fresh.AddCellPoint(Vec3(0, 0, 0));");
    FireInterface* area = GetFireAreas().GetProxyFromID(static_cast<uint32_t>(GlobalInt("newId")));
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->Group().CellCount(), 0u);
    EXPECT_EQ(GetFireAreas().AreaCount(), 1u);
    EXPECT_TRUE(RaisesError("FireAreas_StartFires(::proxy, 1.0);"));
    EXPECT_TRUE(RaisesError("::proxy.SetNextFireProperties(Vec3(0, 0, 0));"));
}

TEST_F(FireAndGridScriptAPITest, AScriptFindsAndWalksARouteAroundAWall)
{
    // Four by four cells of 10 units over (0, 0) to (40, 40); '#' is type 2.
    GridFileSpec spec = GridFromPicture({"..#.", "..#.", "..#.", "...."}, {{'.', "1"}, {'#', "2"}});
    spec.cellWidth = 10.0f;
    spec.cellHeight = 10.0f;
    WriteScript("levels/board.grid", GridWrite(spec));
    Run(R"(
local grid = GridPathFinder();
grid.LoadFile("levels/board.grid");
grid.AddImpassibleType(2);
grid.SetGridToRealWorld(Vec3(0, 0, 0), Vec3(40, 0, 40));
::width <- grid.GetGridWidth();
::cell <- grid.GetCellSizeWidth();
::wall <- grid.GetTileTypeFromWorld(Vec3(25, 0, 5));
::off <- grid.GetTileTypeFromWorld(Vec3(45, 0, 5));
local path = Path();
::found <- grid.FindPathRealWorld(Vec3(5, 0, 5), Vec3(35, 0, 5), path);
::onWall <- false;
local at = Vec3(0, 0, 0);
for (local d = 0.0; d <= path.GetTotalDistance(); d += 1.0)
{
    path.GetPosAtDistance(at, d);
    if (grid.GetTileTypeFromWorld(at) == 2)
        ::onWall = true;
}
::endX <- at.x;
grid.SetSquare(2, 3, 2);
grid.AddImpassibleType(2);
local blocked = Path();
::blockedFound <- grid.FindPathRealWorld(Vec3(5, 0, 5), Vec3(35, 0, 5), blocked);
::blockedCount <- blocked.GetPointCount();
local centre = Vec3(0, 0, 0);
grid.GetWorldPos(centre, 1, 2);
::centreZ <- centre.z;
)");
    EXPECT_EQ(GlobalInt("width"), 4);
    EXPECT_FLOAT_EQ(GlobalFloat("cell"), 10.0f);
    EXPECT_EQ(GlobalInt("wall"), 2);
    EXPECT_EQ(GlobalInt("off"), -1);
    EXPECT_EQ(GlobalType("found"), "bool");
    EXPECT_TRUE(GlobalInt("found"));
    EXPECT_FALSE(GlobalInt("onWall"));
    EXPECT_NEAR(GlobalFloat("endX"), 35.0f, 1.0f);
    EXPECT_FALSE(GlobalInt("blockedFound"));
    EXPECT_EQ(GlobalInt("blockedCount"), 0);
    EXPECT_FLOAT_EQ(GlobalFloat("centreZ"), 25.0f);
}

TEST_F(FireAndGridScriptAPITest, SquaresAreSetAndReadByColumnAndRow)
{
    Run(R"(
local grid = GridPathFinder();
for (local c = 0; c < 3; c += 1) for (local r = 0; r < 3; r += 1) grid.SetSquare(c, r, 1);
grid.SetSquare(2, 1, 7);
grid.SetGridToRealWorld(Vec3(0, 0, 0), Vec3(3, 0, 3));
::square <- grid.GetSquare(2, 1);
::outside <- grid.GetSquare(45, 1);
::negative <- grid.GetSquare(-1, 1);
)");
    EXPECT_EQ(GlobalInt("square"), 7);
    EXPECT_EQ(GlobalInt("outside"), -1);
    EXPECT_EQ(GlobalInt("negative"), -1);
    // No cell under an empty grid: nothing moves, nothing fails.
    EXPECT_FALSE(RaisesError("GridPathFinder().CollisionCheckXZ(Vec3(0,0,0), Vec3(1,0,0), 1.0, 7);"));
    EXPECT_TRUE(RaisesError("GridPathFinder.GetGridWidth.call(Path());"));
}
} // namespace
