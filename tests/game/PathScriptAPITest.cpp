// The script class "Path" over the engine's polyline.
#include "ScriptWorldFixture.h"

#include "game/PathScriptAPI.h"

namespace
{
class PathScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterPathScriptAPI(vm);
    }
};

TEST_F(PathScriptAPITest, BuildsAndSamplesAPolyline)
{
    Run(R"(
local path = Path();
path.AddPoint(Vec3(0, 0, 0));
path.AddPoint(Vec3(10, 0, 0));
path.AddPoint(Vec3(10, 0, 10));
::count <- path.GetPointCount();
::total <- path.GetTotalDistance();
local at = Vec3(0, 0, 0);
local way = Vec3(0, 0, 0);
path.GetPosAtDistance(at, 15.0);
::x <- at.x; ::z <- at.z;
path.GetPosAndDirAtDistanceLinear(at, way, 5.0);
::wayX <- way.x;
path.RemoveNthPoint(2);
path.RemoveNthPoint(7);
::afterRemove <- path.GetPointCount();
path.Clear();
::afterClear <- path.GetPointCount();
)");
    EXPECT_EQ(GlobalInt("count"), 3);
    EXPECT_FLOAT_EQ(GlobalFloat("total"), 20.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("x"), 10.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("z"), 5.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("wayX"), 1.0f);
    EXPECT_EQ(GlobalInt("afterRemove"), 2);
    EXPECT_EQ(GlobalInt("afterClear"), 0);
}

// A smaller object standing in for the path or for a point is refused, never read past its end.
TEST_F(PathScriptAPITest, ObjectsOfTheWrongClassAreScriptErrors)
{
    EXPECT_TRUE(RaisesError("Path.AddPoint.call(Vec3(0, 0, 0), Vec3(1, 1, 1));"));
    EXPECT_TRUE(RaisesError("Path.GetPointCount.call(Vec2(0, 0));"));
    EXPECT_TRUE(RaisesError("Path().AddPoint(5);"));
    EXPECT_TRUE(RaisesError("Path().GetPosAtDistance(Vec2(0, 0), 1.0);"));
}
} // namespace
