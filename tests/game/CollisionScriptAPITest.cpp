// The script class "Collision": registrations of props and actors, script
// callbacks with three and five arguments, callbacks that deregister or shut
// the manager down under a step, and what registrations hold and let go.
#include "ScriptWorldFixture.h"

#include "game/ActorScriptAPI.h"
#include "game/Collision.h"
#include "game/CollisionScriptAPI.h"
#include "game/PropScriptAPI.h"
#include "tools/formats/ModelWriter.h"

namespace
{
const char* const kScriptClasses = R"(
class Dragon extends Actor {
    constructor(p) { base.constructor(p); }
}
class Gem extends Prop {
    constructor(p) { base.constructor(p); }
}
calls <- [];
function Note(...) {
    local call = { count = vargv.len(), first = vargv[0], second = vargv[1], dt = vargv[2] };
    if (vargv.len() == 5) { call.i <- vargv[3]; call.j <- vargv[4]; }
    ::calls.append(call);
}
function Placed(kind, x, z) { return InstanceCreate(kind, Vec3(x, 0, z)); }
)";

class CollisionScriptAPITest : public ScriptWorldTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptWorldTest::Register(vm);
        RegisterActorScriptAPI(vm);
        RegisterPropScriptAPI(vm);
        RegisterCollisionScriptAPI(vm);
    }

    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        Run(kScriptClasses);
    }

    void TearDown() override
    {
        CollisionScriptShutdown();
        ScriptWorldTest::TearDown();
    }

    // A model with collision spheres only (radius, then offset), which loads
    // without a display.
    void WriteSphereModel(const std::string& name, const std::vector<float>& spheres)
    {
        ChModel model;
        model.spheres = spheres;
        const std::vector<uint8_t> bytes = ChModelWrite(model);
        WriteScript(name, std::string(bytes.begin(), bytes.end()));
    }

    // Runs the code and expects no script error.
    void RunClean(const std::string& code)
    {
        Run(code);
        EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    }

    void Step()
    {
        CollisionStep(0.5f);
    }

    int Calls() { return Count("::calls.len()"); }
    int Count(const std::string& expression)
    {
        Run("::counted <- " + expression + ";");
        return GlobalInt("counted");
    }
};

TEST_F(CollisionScriptAPITest, SpheresAndSlicesCallWithTheTwoInstancesAndTheStep)
{
    RunClean(R"(
Collision.InitAsGrid(16, -100, -100, 100, 100, 10);
::dragon <- Placed(Dragon, 0, 0);
::gem <- Placed(Gem, 0, 4);
::far <- Placed(Gem, 50, 50);
Collision.RegisterSliceObject(dragon, "breath", 90, 0, 0);
Collision.RegisterSphereObject(gem, "gem", 0);
Collision.RegisterSphereObject(far, "gem", 0);
Collision.RegisterCallback("gem", "breath", "Note", false, 6.0);
)");
    Step();
    ASSERT_EQ(Calls(), 1) << Reports();
    Run(R"(
local call = calls[0];
::count <- call.count; ::gemFirst <- call.first == gem; ::dragonSecond <- call.second == dragon; ::dt <- call.dt;
)");
    EXPECT_EQ(GlobalInt("count"), 3);
    EXPECT_EQ(GlobalInt("gemFirst"), 1);
    EXPECT_EQ(GlobalInt("dragonSecond"), 1);
    EXPECT_FLOAT_EQ(GlobalFloat("dt"), 0.5f);
}

TEST_F(CollisionScriptAPITest, ActorSpheresCallWithFiveArgumentsEndingInTheSphereNumbers)
{
    // Sphere 1 of each reaches the other's: offsets along X toward each other.
    WriteSphereModel("left.chmodel", {1, -5, 0, 0, 1, 2, 0, 0});
    WriteSphereModel("right.chmodel", {1, 5, 0, 0, 1, -2, 0, 0});
    RunClean(R"(
Collision.InitIn3d(8);
::a <- Placed(Dragon, 0, 0); a.SetGraphic("left.chmodel");
::b <- Placed(Dragon, 5, 0); b.SetGraphic("right.chmodel");
Collision.RegisterActorSphereObjects(a, "body");
Collision.RegisterActorSphereObjects(b, "body");
Collision.RegisterCallback("body", "body", "Note", false, 0.0);
)");
    EXPECT_EQ(CollisionLiveCount(), 4) << Reports();
    Step();
    // 3D mode tests each pair in both orders.
    ASSERT_EQ(Calls(), 2) << Reports();
    Run(R"(
::shape <- "";
foreach (call in calls)
    shape += call.count + ":" + (call.first == a ? "a" : "b") + call.i + (call.second == a ? "a" : "b") + call.j + ";";
)");
    EXPECT_EQ(GlobalString("shape"), "5:a1b1;5:b1a1;");
}

TEST_F(CollisionScriptAPITest, ScaledActorSpheresReachFarther)
{
    WriteSphereModel("ball.chmodel", {1, 0, 0, 0});
    RunClean(R"(
Collision.InitIn3d(8);
::a <- Placed(Dragon, 0, 0); a.SetGraphic("ball.chmodel");
::b <- Placed(Dragon, 3, 0); b.SetGraphic("ball.chmodel");
Collision.RegisterActorSphereObjects(a, "body");
Collision.RegisterActorSphereObjects(b, "body");
Collision.RegisterCallback("body", "body", "Note", false, 0.0);
)");
    Step();
    EXPECT_EQ(Calls(), 0);
    Run("a.SetScale(2.0);");
    Step();
    EXPECT_EQ(Calls(), 2);
}

// The dragon's breath meets three gems in one cell: the callback takes the
// breath away, so the other gems are not met this step.
TEST_F(CollisionScriptAPITest, ACallbackThatDeregistersEndsThatObjectsPairs)
{
    RunClean(R"(
function Eat(dragon, gem, dt) {
    ::eaten <- ("eaten" in getroottable() ? ::eaten : 0) + 1;
    Collision.DeregisterObject(dragon, "breath");
    Collision.DeregisterObject(gem, "gem");
}
Collision.InitAsGrid(16, -100, -100, 100, 100, 10);
::dragon <- Placed(Dragon, 0, 0);
Collision.RegisterSliceObject(dragon, "breath", 90, 0, 0);
for (local i = 0; i < 3; i++)
    Collision.RegisterSphereObject(Placed(Gem, 0, 1 + i), "gem", 0);
Collision.RegisterCallback("breath", "gem", "Eat", false, 6.0);
)");
    Step();
    EXPECT_EQ(GlobalInt("eaten"), 1) << Reports();
    EXPECT_EQ(CollisionLiveCount(), 2);
    Step();
    EXPECT_EQ(GlobalInt("eaten"), 1);
}

struct MidStepCase
{
    const char* name;
    const char* body;
    int liveAfter;
};

// Shutting down or initialising again from a callback ends the step; the
// instances the manager held are let go.
TEST_F(CollisionScriptAPITest, ACallbackThatShutsDownOrInitialisesEndsTheStep)
{
    const MidStepCase cases[] = {
        {"shut down", "Collision.Shutdown();", 0},
        {"initialise again", "Collision.InitIn3d(4);", 0},
        {"initialise as a grid", "Collision.InitAsGrid(4, -10, -10, 10, 10, 5);", 0},
    };
    for (const MidStepCase& c : cases)
    {
        for (const char* init : {"Collision.InitIn3d(8);", "Collision.InitAsGrid(8, -50, -50, 50, 50, 10);"})
        {
            Run(std::string("function Stop(a, b, dt) { ::stops++; ") + c.body + " }");
            Run(std::string(init) + R"(
::stops <- 0;
local gem = Placed(Gem, 0, 0);
::watch <- gem.weakref();
Collision.RegisterSphereObject(gem, "gem", 0);
for (local i = 0; i < 3; i++)
    Collision.RegisterSphereObject(Placed(Gem, 1, i), "other", 0);
Collision.RegisterCallback("gem", "other", "Stop", false, 5.0);
InstanceDestroy(gem);
)");
            Step();
            EXPECT_EQ(GlobalInt("stops"), 1) << c.name << " " << init << Reports();
            EXPECT_EQ(CollisionLiveCount(), c.liveAfter) << c.name;
            Run("::alive <- ::watch != null;");
            EXPECT_EQ(GlobalInt("alive"), 0) << c.name << " " << init;
            Step();
            EXPECT_EQ(GlobalInt("stops"), 1) << c.name;
            CollisionScriptShutdown();
        }
    }
}

TEST_F(CollisionScriptAPITest, InitialisingAgainKeepsTheCallbacks)
{
    RunClean(R"(
Collision.InitIn3d(8);
Collision.RegisterCallback("gem", "other", "Note", false, 5.0);
Collision.InitAsGrid(8, -50, -50, 50, 50, 10);
Collision.RegisterSphereObject(Placed(Gem, 0, 0), "gem", 0);
Collision.RegisterSphereObject(Placed(Gem, 1, 0), "other", 0);
)");
    Step();
    EXPECT_EQ(Calls(), 1);
}

TEST_F(CollisionScriptAPITest, OneInstanceTwiceMeetsItselfInTheGridAndCallsNothing)
{
    RunClean(R"(
Collision.InitAsGrid(8, -50, -50, 50, 50, 10);
::dragon <- Placed(Dragon, 0, 0);
Collision.RegisterSliceObject(dragon, "breath", 360, 0, 0);
Collision.RegisterSphereObject(dragon, "gem", 0);
Collision.RegisterCallback("breath", "gem", "Note", false, 5.0);
)");
    Step();
    EXPECT_EQ(Calls(), 0);
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(CollisionScriptAPITest, DisabledObjectsMeetNothingOnTheGridUntilEnabled)
{
    WriteSphereModel("ball.chmodel", {1, 0, 0, 0, 1, 0, 0, 1});
    RunClean(R"(
Collision.InitAsGrid(8, -50, -50, 50, 50, 10);
::gem <- Placed(Gem, 0, 0);
::other <- Placed(Gem, 1, 0);
Collision.RegisterSphereObject(gem, "gem", 0);
Collision.RegisterSphereObject(other, "other", 0);
Collision.RegisterCallback("gem", "other", "Note", false, 5.0);
::a <- Placed(Dragon, 20, 20); a.SetGraphic("ball.chmodel");
::b <- Placed(Dragon, 21, 20); b.SetGraphic("ball.chmodel");
Collision.RegisterActorSphereObjects(a, "body");
Collision.RegisterActorSphereObjects(b, "body");
Collision.RegisterCallback("body", "body", "Note", false, 0.0);
Collision.Disable(gem, "gem");
Collision.Disable(a, "body");
Collision.Disable(other, "nothing");
)");
    Step();
    EXPECT_EQ(Calls(), 0);
    Run(R"(Collision.Enable(gem, "gem"); Collision.Enable(a, "body");)");
    Step();
    // The gem pair once, and each of a's two spheres with each of b's.
    EXPECT_EQ(Calls(), 1 + 4);
}

struct BadCall
{
    const char* code;
    const char* report;
};

TEST_F(CollisionScriptAPITest, WrongArgumentsFailTheCall)
{
    Run("Collision.InitIn3d(8); ::walker <- Walker(Vec3(0, 0, 0)); ::gem <- Placed(Gem, 0, 0);");
    const BadCall calls[] = {
        {R"(Collision.RegisterSphereObject(5, "gem", 0);)", "the object is not a class instance"},
        {R"(Collision.RegisterSliceObject("gem", "gem", 90, 0, 0);)", "the object is not a class instance"},
        {R"(Collision.RegisterSphereObject(walker, "gem", 0);)", "not an actor or a prop"},
        {R"(Collision.RegisterSphereObject(Vec3(0, 0, 0), "gem", 0);)", "not an actor or a prop"},
        {R"(Collision.RegisterActorSphereObjects(gem, "body");)", "not an actor or a prop"},
        {R"(Collision.RegisterActorSphereObjects(5, "body");)", ""},
        {R"(Collision.DeregisterObject(5, "gem");)", "the object is not a class instance"},
        {R"(Collision.Enable(null, "gem");)", "the object is not a class instance"},
        {R"(Collision.RegisterSphereObject(gem, 5, 0);)", ""},
        {R"(Collision.RegisterCallback("a", "b", "Note", 1, 2.0);)", ""},
        {R"(Collision.InitAsGrid(8, -50, -50, 50, "50", 10);)", ""},
    };
    for (const BadCall& call : calls)
    {
        EXPECT_TRUE(RaisesError(call.code)) << call.code;
        EXPECT_TRUE(ReportsContain(call.report)) << call.code << Reports();
    }
    EXPECT_EQ(CollisionLiveCount(), 0);
}

TEST_F(CollisionScriptAPITest, CapacityMayBeAFloatAndIsTruncated)
{
    Run("Collision.InitIn3d(2.9); Collision.InitAsGrid(3.5, -10, -10, 10, 10, 3);");
    EXPECT_EQ(CollisionCapacity(), 3);
    EXPECT_EQ(CollisionGridColumns(), 7);
    Run("Collision.InitIn3d(1e30);");
    EXPECT_TRUE(ReportsContain("refused"));
    EXPECT_EQ(CollisionCapacity(), 3);
}

// A full table holds nothing of a registration that does not fit, and lets
// go of its instance.
TEST_F(CollisionScriptAPITest, AFullTableMakesARegistrationReportAndHoldNothing)
{
    WriteSphereModel("three.chmodel", {1, 0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 0});
    RunClean(R"(
Collision.InitIn3d(2);
Collision.RegisterSphereObject(Placed(Gem, 0, 0), "gem", 0);
local dragon = Placed(Dragon, 0, 0);
dragon.SetGraphic("three.chmodel");
::watchDragon <- dragon.weakref();
Collision.RegisterActorSphereObjects(dragon, "body");
InstanceDestroy(dragon);
)");
    EXPECT_TRUE(ReportsContain("full")) << Reports();
    EXPECT_EQ(CollisionLiveCount(), 1);
    ClearReports();
    RunClean(R"(
Collision.RegisterSphereObject(Placed(Gem, 0, 0), "gem", 0);
local gem = Placed(Gem, 0, 0);
::watchGem <- gem.weakref();
Collision.RegisterSphereObject(gem, "gem", 0);
InstanceDestroy(gem);
)");
    EXPECT_TRUE(ReportsContain("full")) << Reports();
    EXPECT_EQ(CollisionLiveCount(), 2);
    Run("::alive <- (::watchGem != null ? 1 : 0) + (::watchDragon != null ? 2 : 0);");
    EXPECT_EQ(GlobalInt("alive"), 0);
}

// The model changed after registration: every sphere of that actor and kind
// goes, and the instance is let go once.
TEST_F(CollisionScriptAPITest, DeregisteringActorSpheresFreesThemAllWhateverTheModelHasNow)
{
    WriteSphereModel("three.chmodel", {1, 0, 0, 0, 1, 1, 0, 0, 1, 2, 0, 0});
    WriteSphereModel("one.chmodel", {1, 0, 0, 0});
    RunClean(R"(
Collision.InitIn3d(8);
local dragon = Placed(Dragon, 0, 0);
dragon.SetGraphic("three.chmodel");
Collision.RegisterActorSphereObjects(dragon, "body");
Collision.RegisterActorSphereObjects(dragon, "claw");
dragon.SetGraphic("one.chmodel");
::watch <- dragon.weakref();
::dragon <- dragon;
)");
    EXPECT_EQ(CollisionLiveCount(), 6);
    Run(R"(Collision.DeregisterActorSphereObjects(dragon, "body");)");
    EXPECT_EQ(CollisionLiveCount(), 3);
    RunClean(R"(
Collision.DeregisterActorSphereObjects(dragon, "claw");
Collision.DeregisterActorSphereObjects(dragon, "claw");
InstanceDestroy(dragon);
::dragon = null;
::alive <- ::watch != null;
)");
    EXPECT_EQ(CollisionLiveCount(), 0);
    EXPECT_EQ(GlobalInt("alive"), 0);
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
}

TEST_F(CollisionScriptAPITest, DeregisteringASphereLetsItsInstanceGo)
{
    RunClean(R"(
Collision.InitIn3d(8);
local gem = Placed(Gem, 0, 0);
Collision.RegisterSphereObject(gem, "gem", 0);
Collision.DeregisterObject(gem, "missing");
::watch <- gem.weakref();
InstanceDestroy(gem);
::before <- ::watch != null;
Collision.DeregisterObject(gem, "gem");
gem = null;
::after <- ::watch != null;
)");
    EXPECT_EQ(GlobalInt("before"), 1);
    EXPECT_EQ(GlobalInt("after"), 0);
}

TEST_F(CollisionScriptAPITest, ShutdownForgetsCallbacksAndObjectsAndQuietCallsDoNothing)
{
    RunClean(R"(
Collision.InitIn3d(8);
Collision.RegisterCallback("gem", "other", "Note", false, 5.0);
Collision.RegisterSphereObject(Placed(Gem, 0, 0), "gem", 0);
Collision.Dump();
Collision.RenderDebug();
Collision.Shutdown();
Collision.InitIn3d(8);
Collision.RegisterSphereObject(Placed(Gem, 0, 0), "gem", 0);
Collision.RegisterSphereObject(Placed(Gem, 1, 0), "other", 0);
)");
    EXPECT_EQ(CollisionCallbackCount(), 0);
    EXPECT_EQ(CollisionLiveCount(), 2);
    Step();
    EXPECT_EQ(Calls(), 0);
}
} // namespace
