// The world globals: ground-plane collision tests.
#include "ScriptWorldFixture.h"

#include "game/WorldScriptAPI.h"

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

    int Eval(const std::string& expression)
    {
        Run("::result <- " + expression + ";");
        return GlobalInt("result");
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
} // namespace
