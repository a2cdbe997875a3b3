// The mover and rotator classes as scripts step them.

#include "ScriptWorldFixture.h"

#include "game/MoverScriptAPI.h"

namespace
{
class MoverScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterMoverScriptAPI(vm);
    }
};

TEST_F(MoverScriptAPITest, ScriptsStepMoversAndRotatorsToTheirTargets)
{
    Run(R"(
local m = MoverOneD();
m.SetMaxAccel(10); m.SetMaxSpeed(5); m.SetMaxDeccel(10);
m.SetValue(0); m.SetDestination(10);
for (local i = 0; i < 200; i++) m.Update(1.0 / 30);
value <- m.GetValue();
destination <- m.GetDestination();

local p = Mover3D();
p.SetMaxAccel(100); p.SetMaxSpeed(50); p.SetMaxDeccel(100);
p.SetValue(Vec3(1, 2, 3));
p.SetDestination(Vec3(1, 2, 13));
halfway <- p.GetValue().z;
for (local i = 0; i < 100; i++) p.Update(1.0 / 30);
z <- p.GetValue().z;
target <- p.GetDestination().z;

local r = Rotator();
r.SetAcceleration(20); r.SetRotSpeedMax(4);
r.SetTargetRot(-1.0);
for (local i = 0; i < 100; i++) r.Update(1.0 / 30);
rotation <- r.GetRotation();
r.SetTargetRotOff();
r.SetTargetRotVel(2);
for (local i = 0; i < 30; i++) r.Update(1.0 / 30);
local before = r.GetRotation();
r.Update(1.0 / 30);
spun <- r.GetRotation() - before;
)");
    EXPECT_EQ(Reports(), "");
    EXPECT_FLOAT_EQ(GlobalFloat("value"), 10.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("destination"), 10.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("halfway"), 3.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("z"), 13.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("target"), 13.0f);
    EXPECT_NEAR(GlobalFloat("rotation"), 6.2831855f - 1.0f, 1e-5f);
    // Free of its target it spins at the target speed.
    EXPECT_NEAR(GlobalFloat("spun"), 2.0f / 30.0f, 1e-5f);
}

TEST_F(MoverScriptAPITest, WrongArgumentsRaiseErrors)
{
    EXPECT_TRUE(RaisesError("MoverOneD().SetValue(\"x\");"));
    EXPECT_TRUE(RaisesError("Mover3D().SetValue(3);"));
    EXPECT_TRUE(RaisesError("Rotator().Update();"));
}
} // namespace
