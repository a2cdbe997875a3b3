// Spawn elements: children made once or at a rate, placed by the offset
// curves and the spin, and reached by the parent's kills.
#include "SceneKindsFixture.h"

#include "fx/ESpawn.h"

#include <cmath>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

class ESpawnTest : public SceneKindsTest
{
protected:
    // "parent" spawns "child" (a long-lived light) with the offset (1, 2, 3)
    // and an unturned frame: Z (0, 0, 1), up (0, 1, 0).
    ESpawn* MakeParent(bool once, float rate, const char* child = "child")
    {
        FXEffectDef& childEffect = AddEffect("child");
        AddElement(childEffect, kFXLight, 100.0f);
        FXEffectDef& parent = AddEffect("parent");
        FXElementDef& spawn = AddElement(parent, kFXSpawn, 100.0f);
        spawn.spawnHash = HashString(child);
        spawn.spawnOnce = once ? 1 : 0;
        const float values[kFXSpawnCurves] = {rate, 1, 2, 3, 0, 0, 1, 0, 1, 0, 0};
        for (int i = 0; i < kFXSpawnCurves; ++i)
            Constant(spawn.spawnCurves[i], values[i]);
        m_parent = Create("parent");
        EXPECT_TRUE(m_parent.IsValid());
        return m_parent.IsValid() ? static_cast<ESpawn*>(m_parent.instance->elements->element) : nullptr;
    }

    static void Steps(int count)
    {
        for (int i = 0; i < count; ++i)
            FXStep(kStep);
    }

    static FXElementDef& SpawnDef() { return FXGetDefinitionTables().elements[1]; }

    FX m_parent;
};

void ExpectNear(const Vec3& actual, const Vec3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

Vec3 Column(const Mat4& m, int c)
{
    return Vec3(m[c * 4], m[c * 4 + 1], m[c * 4 + 2]);
}
} // namespace

TEST_F(ESpawnTest, OnceMakesOneChildInTheFirstUpdateThatFollowsTheParent)
{
    ESpawn* spawn = MakeParent(true, 0.0f);
    ASSERT_NE(spawn, nullptr);
    EXPECT_FALSE(spawn->Child().IsValid()) << "nothing before the first update";
    Steps(1);
    const FX child = spawn->Child();
    ASSERT_TRUE(child.StillAlive());
    Steps(20);
    EXPECT_EQ(FXLiveInstanceCount(), 2);
    EXPECT_EQ(spawn->Child().serial, child.serial);

    m_parent.SetPos(Vec3(10, 0, 0));
    m_parent.SetVelocity(Vec3(0, 0, 0.5f));
    Steps(1);
    // The parent moved by its velocity before its elements ran; the child
    // took its matrix and velocity, then moved by that velocity itself.
    const Vec3 parentAt = m_parent.instance->position;
    ExpectNear(parentAt, Vec3(10, 0, 0.5f * kStep), "parent");
    ExpectNear(child.instance->position, parentAt + Vec3(1, 2, 3 + 0.5f * kStep), "child");
    ExpectNear(child.instance->velocity, Vec3(0, 0, 0.5f), "velocity");
}

TEST_F(ESpawnTest, ChildrenAtARate)
{
    struct Case
    {
        float rate;
        int steps;
        int fewest, most;
    };
    // At 30 per second and 1/30 s steps the chance is 1: a child every step.
    // A rate of 0 never adds one, whatever the draw.
    const Case cases[] = {{30.0f, 20, 20, 20}, {0.0f, 40, 1, 1}, {15.0f, 300, 125, 175}, {60.0f, 10, 10, 10}};
    for (const Case& c : cases)
    {
        TearDown();
        SetUp();
        ASSERT_NE(MakeParent(false, c.rate), nullptr);
        Steps(c.steps);
        const int children = FXLiveInstanceCount() - 1;
        EXPECT_GE(children, c.fewest) << "rate " << c.rate;
        EXPECT_LE(children, c.most) << "rate " << c.rate;
    }
}

TEST_F(ESpawnTest, KillsReachOnlyTheLastChild)
{
    ESpawn* spawn = MakeParent(false, 30.0f);
    ASSERT_NE(spawn, nullptr);
    Steps(3);
    ASSERT_EQ(FXLiveInstanceCount(), 4);
    const FX last = spawn->Child();
    m_parent.KillByFadeOut(1.0f);
    EXPECT_TRUE(last.instance->fadingOut);
    int fading = 0;
    for (int i = 0; i < FXLiveInstanceCount(); ++i)
        fading += FXGetLiveInstance(i)->fadingOut;
    EXPECT_EQ(fading, 2) << "the parent and its last child";

    m_parent.KillInstant();
    Steps(1);
    EXPECT_FALSE(m_parent.StillAlive());
    EXPECT_FALSE(last.StillAlive());
    EXPECT_EQ(FXLiveInstanceCount(), 2) << "earlier children run on";
}

TEST_F(ESpawnTest, AParentThatEndsLeavesItsChildRunning)
{
    ESpawn* spawn = MakeParent(true, 0.0f);
    ASSERT_NE(spawn, nullptr);
    SpawnDef().lifeTime = 0.1f;
    Steps(1);
    const FX child = spawn->Child();
    Steps(5);
    EXPECT_FALSE(m_parent.StillAlive());
    EXPECT_TRUE(child.StillAlive());
}

TEST_F(ESpawnTest, AnUnknownChildNameLeavesNothingToFollowOrKill)
{
    ESpawn* spawn = MakeParent(true, 0.0f, "no such effect");
    ASSERT_NE(spawn, nullptr);
    Steps(3);
    EXPECT_FALSE(spawn->Child().IsValid());
    EXPECT_EQ(FXLiveInstanceCount(), 1);
    m_parent.KillByFadeOut(0.5f);
    m_parent.KillInstant();
    Steps(1);
    EXPECT_EQ(FXLiveInstanceCount(), 0);
}

TEST_F(ESpawnTest, TheOffsetFrameAndSpinTurnTheChild)
{
    ESpawn* spawn = MakeParent(true, 0.0f);
    ASSERT_NE(spawn, nullptr);
    // The child's Z along the parent's X, its up along Y: X becomes -Z.
    Constant(SpawnDef().spawnCurves[4], 2.0f);
    Constant(SpawnDef().spawnCurves[5], 0.0f);
    Constant(SpawnDef().spawnCurves[6], 0.0f);
    Steps(1);
    const FX child = spawn->Child();
    ASSERT_TRUE(child.IsValid());
    ExpectNear(Column(child.instance->matrix, 0), Vec3(0, 0, -1), "x");
    ExpectNear(Column(child.instance->matrix, 1), Vec3(0, 1, 0), "y");
    ExpectNear(Column(child.instance->matrix, 2), Vec3(1, 0, 0), "z");

    // A parent turned a quarter about Y carries the offset with it.
    Mat4 turned = Mat4Identity();
    Mat4SetRotationAxisAngle(turned, 0.5f * kPi, Vec3(0, 1, 0));
    m_parent.SetMat(turned);
    Steps(1);
    ExpectNear(Mat4GetTranslation(child.instance->matrix), Mat4RotateVec3(turned, Vec3(1, 2, 3)), "offset");

    // A spin of 3 rad/s about the child's own Z, reached at once.
    m_parent.SetMat(Mat4Identity());
    Constant(SpawnDef().spawnCurves[10], 3.0f);
    Steps(10);
    const float angle = 3.0f * 10 * kStep;
    const Mat4& m = child.instance->matrix;
    ExpectNear(Column(m, 2), Vec3(1, 0, 0), "spin keeps z");
    // Turned about its own Z: X = cos x + sin y, Y = -sin x + cos y.
    ExpectNear(Column(m, 0), Vec3(0, std::sin(angle), -std::cos(angle)), "spun x");
    ExpectNear(Column(m, 1), Vec3(0, std::cos(angle), std::sin(angle)), "spun y");
}

TEST_F(ESpawnTest, AnEffectThatSpawnsItselfStopsAtItsPools)
{
    FXEffectDef& effect = AddEffect("again");
    FXElementDef& spawn = AddElement(effect, kFXSpawn, 100.0f);
    spawn.spawnHash = HashString("again");
    spawn.spawnOnce = 0;
    Constant(spawn.spawnCurves[0], 30.0f);
    ASSERT_TRUE(Create("again").IsValid());
    for (int i = 0; i < 10; ++i)
        FXStep(kStep);
    // Children beyond the spawn pool have no element and end at once.
    EXPECT_EQ(FXLiveInstanceCount(), kESpawnPoolSize);
    FX::KillAllEffectsInstant();
    EXPECT_EQ(FXLiveInstanceCount(), 0);
    const FX fresh = Create("again");
    ASSERT_TRUE(fresh.IsValid());
    EXPECT_NE(fresh.instance->elements, nullptr) << "the spawn pool is free again";
}
