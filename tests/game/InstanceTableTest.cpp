// The instance table through its natives: life-cycle calls, stepping with
// parities, destruction inside the table's own calls, full tables and searches.
#include "ScriptWorldFixture.h"

#include "game/InstanceTable.h"

namespace
{
const char* const kClasses = R"(
log <- "";
function Note(text) { ::log += text + ";"; }
class Plain {
    tag = "";
    constructor(p) { tag = "p" + p.x; }
    function Created() { Note("Created " + tag); }
    function Step(dt) { Note("Step " + tag + " " + (dt * 100 + 0.5).tointeger()); }
    function Destroyed() { Note("Destroyed " + tag); }
    function destructor() { Note("destructor " + tag); }
}
class Mob extends Walker {
    tag = "";
    constructor(p) { base.constructor(p); tag = "m" + p.x; }
    function Step(dt) { Note("Step " + tag + " " + (dt * 100 + 0.5).tointeger()); }
}
)";

class InstanceTableTest : public ScriptWorldTest
{
protected:
    void SetUp() override
    {
        ScriptWorldTest::SetUp();
        Run(kClasses);
    }
};

TEST_F(InstanceTableTest, CreateRunsConstructorThenCreatedAndCounts)
{
    Run(R"(
::made <- InstanceCreate(Plain, Vec3(3, 0, 0));
::atOrigin <- InstanceCreate(Plain);
::number <- InstanceNumber(Plain);
::exists <- InstanceExists(Plain);
::none <- InstanceNumber(Mob);
)");
    EXPECT_EQ(GlobalString("log"), "Created p3;Created p0;");
    EXPECT_EQ(GlobalType("made"), "instance");
    EXPECT_EQ(GlobalInt("number"), 2);
    EXPECT_EQ(GlobalInt("exists"), 1);
    EXPECT_EQ(GlobalInt("none"), 0);
}

TEST_F(InstanceTableTest, CreateOfANonClassIsAScriptError)
{
    EXPECT_TRUE(RaisesError("InstanceCreate(5);"));
    EXPECT_TRUE(RaisesError("InstanceCreate(Plain(Vec3(0,0,0)));"));
}

TEST_F(InstanceTableTest, DestroyCallsDestroyedThenDestructorAndFreesTheLowestSlot)
{
    Run(R"(
local a = InstanceCreate(Plain, Vec3(1, 0, 0));
InstanceCreate(Plain, Vec3(2, 0, 0));
InstanceDestroy(a);
InstanceDestroy(a);
log = "";
InstanceCreate(Plain, Vec3(3, 0, 0));
::order <- "";
foreach (i in InstanceArray(Plain)) ::order += i.tag;
::count <- InstanceNumber(Plain);
)");
    EXPECT_EQ(GlobalString("order"), "p3p2");
    EXPECT_EQ(GlobalInt("count"), 2);
}

TEST_F(InstanceTableTest, DestroyCallOrder)
{
    Run(R"(local a = InstanceCreate(Plain, Vec3(1, 0, 0)); log = ""; InstanceDestroy(a);)");
    EXPECT_EQ(GlobalString("log"), "Destroyed p1;destructor p1;");
}

// Parity 0 steps every step with dt; parity 1 or 2 only on that step parity,
// with twice dt.
TEST_F(InstanceTableTest, StepHonoursEachInstancesParityOverManySteps)
{
    Run(R"(
InstanceCreate(Mob, Vec3(0, 0, 0)).parity = 0;
InstanceCreate(Mob, Vec3(1, 0, 0)).parity = 1;
InstanceCreate(Mob, Vec3(2, 0, 0)).parity = 2;
log = "";
)");
    const struct
    {
        uint32_t parity;
        const char* expected;
    } steps[] = {
        {2, "Step m0 10;Step m2 20;"},
        {1, "Step m0 10;Step m1 20;"},
        {2, "Step m0 10;Step m2 20;"},
        {1, "Step m0 10;Step m1 20;"},
    };
    for (const auto& step : steps)
    {
        Run("log = \"\";");
        StepClass("Mob", 0.1f, step.parity);
        EXPECT_EQ(GlobalString("log"), step.expected) << "parity " << step.parity;
    }
}

TEST_F(InstanceTableTest, PlainScriptInstancesStepEveryStep)
{
    Run(R"(InstanceCreate(Plain, Vec3(1, 0, 0)); log = "";)");
    StepClass("Plain", 0.1f, 1);
    StepClass("Plain", 0.1f, 2);
    EXPECT_EQ(GlobalString("log"), "Step p1 10;Step p1 10;");
}

// A Step that fails ends the pass, profiled or not: the host's error flag
// holds the engine's calls into the scripts from then on, so the instances
// after it are not stepped. With the flag down again, the next pass steps all.
TEST_F(InstanceTableTest, AFailingStepEndsThePass)
{
    Run(R"(
failing <- "p1";
class Faulty extends Plain {
    function Step(dt) { Note("Step " + tag); if (tag == ::failing) throw "step failed"; }
}
InstanceCreate(Faulty, Vec3(1, 0, 0));
InstanceCreate(Faulty, Vec3(2, 0, 0));
InstanceCreate(Faulty, Vec3(3, 0, 0));
)");
    for (const bool profile : {false, true})
    {
        Run("log = \"\";");
        ScriptSetErrorFlag(false);
        StepClass("Faulty", 0.1f, 1, profile);
        EXPECT_TRUE(ScriptGetErrorFlag()) << "profile " << profile;
        EXPECT_EQ(GlobalString("log"), "Step p1;") << "profile " << profile;
    }
    ScriptSetErrorFlag(false);
    Run("log = \"\"; failing = \"\";");
    StepClass("Faulty", 0.1f, 1);
    EXPECT_FALSE(ScriptGetErrorFlag());
    EXPECT_EQ(GlobalString("log"), "Step p1;Step p2;Step p3;");
}

TEST_F(InstanceTableTest, DestroyedInCreatedLeavesTheTableConsistent)
{
    Run(R"(
class Brief extends Plain { function Created() { Note("Created " + tag); InstanceDestroy(this); } }
::made <- InstanceCreate(Brief, Vec3(4, 0, 0));
::count <- InstanceNumber(Brief);
::exists <- InstanceExists(Brief);
::madeTag <- made.tag;
InstanceDestroy(made);
::countAfter <- InstanceNumber(Brief);
)");
    EXPECT_EQ(GlobalString("log"), "Created p4;Destroyed p4;destructor p4;");
    EXPECT_EQ(GlobalString("madeTag"), "p4");
    EXPECT_EQ(GlobalInt("count"), 0);
    EXPECT_EQ(GlobalInt("exists"), 0);
    EXPECT_EQ(GlobalInt("countAfter"), 0);
}

// Each instance alive when the step began steps once unless destroyed
// before its turn; instances made during the step wait for the next one.
TEST_F(InstanceTableTest, DestroyAndCreateDuringStep)
{
    Run(R"(
class Busy extends Plain {
    function Step(dt) {
        Note("Step " + tag);
        if (tag == "p1") { InstanceDestroy(this); InstanceDestroy(InstanceFind(Busy, 0)); }
        if (tag == "p3") { InstanceCreate(Busy, Vec3(9, 0, 0)); Note("self " + tag); }
    }
}
InstanceCreate(Busy, Vec3(1, 0, 0));
InstanceCreate(Busy, Vec3(2, 0, 0));
InstanceCreate(Busy, Vec3(3, 0, 0));
log = "";
)");
    StepClass("Busy", 0.1f, 1);
    EXPECT_EQ(GlobalString("log"), "Step p1;Destroyed p1;destructor p1;Destroyed p2;destructor p2;Step p3;Created p9;"
                                   "self p3;");
    Run(R"(log = "";)");
    StepClass("Busy", 0.1f, 2);
    EXPECT_EQ(GlobalString("log"), "Step p9;Step p3;Created p9;self p3;");
}

TEST_F(InstanceTableTest, FullRowReportsAndAnswersNullTouchingNothing)
{
    Run(R"(
class Tiny {}
for (local i = 0; i < 4000; ++i) InstanceCreate(Tiny);
::extra <- InstanceCreate(Tiny);
::count <- InstanceNumber(Tiny);
)");
    EXPECT_EQ(GlobalType("extra"), "null");
    EXPECT_EQ(GlobalInt("count"), kInstanceSlotCount);
    EXPECT_TRUE(ReportsContain("no room for another instance"));
}

TEST_F(InstanceTableTest, FullClassTableReportsAndAnswersNull)
{
    Run(R"(
::classes <- [];
for (local i = 0; i < 100; ++i) { local c = class {}; classes.append(c); InstanceCreate(c); }
local last = class {};
::extra <- InstanceCreate(last);
::exists <- InstanceExists(last);
::firstCount <- InstanceNumber(classes[0]);
)");
    EXPECT_EQ(GlobalType("extra"), "null");
    EXPECT_EQ(GlobalInt("exists"), 0);
    EXPECT_EQ(GlobalInt("firstCount"), 1);
    EXPECT_TRUE(ReportsContain("no room for another class"));
}

TEST_F(InstanceTableTest, FindAndRandomAnswerNullOutsideTheInstances)
{
    Run(R"(
class Tiny { n = 0; constructor(p) { n = p.x.tointeger(); } }
::emptyRandom <- InstanceRandom(Tiny);
for (local i = 0; i < 3; ++i) InstanceCreate(Tiny, Vec3(i, 0, 0));
::second <- InstanceFind(Tiny, 1).n;
::atCount <- InstanceFind(Tiny, 3);
::negative <- InstanceFind(Tiny, -1);
::random <- InstanceRandom(Tiny).n;
::unknown <- InstanceFind(Plain, 0);
)");
    EXPECT_EQ(GlobalType("emptyRandom"), "null");
    EXPECT_EQ(GlobalInt("second"), 1);
    EXPECT_EQ(GlobalType("atCount"), "null");
    EXPECT_EQ(GlobalType("negative"), "null");
    EXPECT_GE(GlobalInt("random"), 0);
    EXPECT_LE(GlobalInt("random"), 2);
    EXPECT_EQ(GlobalType("unknown"), "null");
}

TEST_F(InstanceTableTest, GroundSearchesUseNativePositionsAndSkipOthers)
{
    Run(R"(
InstanceCreate(Plain, Vec3(0, 0, 0));
InstanceCreate(Mob, Vec3(5, 100, 0));
InstanceCreate(Mob, Vec3(-5, 0, 0));
InstanceCreate(Mob, Vec3(0, 0, 20));
::nearestTie <- InstanceNearestXZ(Mob, Vec3(0, 0, 0)).tag;
::inRange <- InstanceInRangeXZ(Mob, Vec3(0, 0, 0), 5.0).tag;
::outOfRange <- InstanceInRangeXZ(Mob, Vec3(0, 0, 0), 4.9);
::plainNearest <- InstanceNearestXZ(Plain, Vec3(0, 0, 0));
::all <- "";
foreach (i in AllInstanceInRangeXZ(Mob, Vec3(0, 0, 10), 12.0)) ::all += i.tag;
)");
    EXPECT_EQ(GlobalString("nearestTie"), "m-5");
    EXPECT_EQ(GlobalString("inRange"), "m-5");
    EXPECT_EQ(GlobalType("outOfRange"), "null");
    EXPECT_EQ(GlobalType("plainNearest"), "null");
    EXPECT_EQ(GlobalString("all"), "m5m-5m0");
}

TEST_F(InstanceTableTest, NetIdSearchesReadOnlyActors)
{
    Run(R"(
class Other extends Walker { tag = "o"; }
InstanceCreate(Plain);
InstanceCreate(Mob, Vec3(1, 0, 0)).netId = 7;
InstanceCreate(Other).netId = 8;
::inClass <- InstanceFindWithNetID(Mob, 7).tag;
::wrongClass <- InstanceFindWithNetID(Mob, 8);
::anyClass <- FindActorWithNetID(8).tag;
::missing <- FindActorWithNetID(-5);
)");
    EXPECT_EQ(GlobalString("inClass"), "m1");
    EXPECT_EQ(GlobalType("wrongClass"), "null");
    EXPECT_EQ(GlobalString("anyClass"), "o");
    EXPECT_EQ(GlobalType("missing"), "null");
}

TEST_F(InstanceTableTest, ClearAllCallsOnlyDestructorsAndForgetsClasses)
{
    Run(R"(
InstanceCreate(Plain, Vec3(1, 0, 0));
InstanceCreate(Mob, Vec3(2, 0, 0));
log = "";
ClearAllInstances();
::count <- InstanceNumber(Plain);
)");
    EXPECT_EQ(GlobalString("log"), "destructor p1;");
    EXPECT_EQ(GlobalInt("count"), 0);
}

TEST_F(InstanceTableTest, DestroyAllOfTypeCallsBothAndLeavesOtherClasses)
{
    Run(R"(
InstanceCreate(Plain, Vec3(1, 0, 0));
InstanceCreate(Plain, Vec3(2, 0, 0));
InstanceCreate(Mob, Vec3(3, 0, 0));
log = "";
InstanceDestroyAllOfType(Plain);
::plain <- InstanceNumber(Plain);
::mob <- InstanceNumber(Mob);
)");
    EXPECT_EQ(GlobalString("log"), "Destroyed p1;destructor p1;Destroyed p2;destructor p2;");
    EXPECT_EQ(GlobalInt("plain"), 0);
    EXPECT_EQ(GlobalInt("mob"), 1);
}

TEST_F(InstanceTableTest, ReleaseLetsInstancesGoWithoutCalls)
{
    Run(R"(
::watch <- InstanceCreate(Plain, Vec3(1, 0, 0)).weakref();
log = "";
)");
    GetInstanceTable().Release(vm());
    Run("::alive <- ::watch != null;");
    EXPECT_EQ(GlobalInt("alive"), 0);
    EXPECT_EQ(GlobalString("log"), "");
}
} // namespace
