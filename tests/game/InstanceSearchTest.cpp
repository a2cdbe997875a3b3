// The INSTANCE class's searches over arrays: ties, ranges, the table result
// and elements that have no position.
#include "ScriptWorldFixture.h"

namespace
{
class InstanceSearchTest : public ScriptWorldTest
{
protected:
    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        Run(R"(
class Mob extends Walker { tag = ""; constructor(p) { base.constructor(p); tag = "m" + p.x + "_" + p.y + "_" + p.z; } }
class Plain { tag = "plain"; }
function Tags(found) { if (found == null) return "null"; return found.tag; }
function TableTags(t) { local s = ""; for (local i = 0; i < t.len(); ++i) s += t[i].tag + ","; return s; }
)");
    }

    std::string Eval(const std::string& expression)
    {
        Run("::result <- " + expression + ";");
        return GlobalString("result");
    }
};

TEST_F(InstanceSearchTest, SearchesFindTheRightElement)
{
    Run(R"(
::items <- [Mob(Vec3(3, 0, 0)), Plain(), 7, Mob(Vec3(0, 50, 3)), Mob(Vec3(0, 0, 3)), Mob(Vec3(-3, 0, 1))];
)");
    const struct
    {
        const char* expression;
        const char* expected;
    } cases[] = {
        // Ground distance ignores height; ties go to the later element.
        {"Tags(INSTANCE.InRangeXZ(Vec3(0, 0, 0), 3.0, items))", "m0_0_3"},
        {"Tags(INSTANCE.InRangeXZ(Vec3(0, 0, 0), 2.9, items))", "null"},
        {"Tags(INSTANCE.InRange(Vec3(0, 0, 0), 3.0, items))", "m0_0_3"},
        {"Tags(INSTANCE.InRange(Vec3(0, 50, 0), 3.0, items))", "m0_50_3"},
        // Nearest keeps the earlier of equals and has no limit.
        {"Tags(INSTANCE.Nearest(Vec3(0, 0, 0), items))", "m3_0_0"},
        {"Tags(INSTANCE.Nearest(Vec3(0, 1000, 0), items))", "m0_50_3"},
        {"Tags(INSTANCE.Nearest(Vec3(0, 0, 0), []))", "null"},
        {"Tags(INSTANCE.Nearest(Vec3(0, 0, 0), [Plain()]))", "null"},
        // Strictly inside the range, in array order, keys from 0.
        {"TableTags(INSTANCE.GetAllInRange(Vec3(0, 0, 0), 3.01, items))", "m3_0_0,m0_0_3,"},
        {"TableTags(INSTANCE.GetAllInRange(Vec3(0, 0, 0), 3.2, items))", "m3_0_0,m0_0_3,m-3_0_1,"},
        {"TableTags(INSTANCE.GetAllInRange(Vec3(0, 0, 0), 3.0, items))", ""},
        {"typeof INSTANCE.GetAllInRange(Vec3(0, 0, 0), 3.0, items)", "table"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Eval(c.expression), c.expected) << c.expression;
}

TEST_F(InstanceSearchTest, NonInstancesAreReportedAndSkipped)
{
    ClearReports();
    EXPECT_EQ(Eval("Tags(INSTANCE.Nearest(Vec3(0, 0, 0), [1, Mob(Vec3(1, 0, 0))]))"), "m1_0_0");
    EXPECT_TRUE(ReportsContain("the object is not a class instance"));
}
} // namespace
