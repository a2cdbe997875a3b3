// Entities, actors and props: their starting state, the accumulators physics
// reads, the facing and rotation operations, and the render instances they
// embed.

#include "game/Actor.h"
#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/EntityScriptClass.h"
#include "game/Prop.h"

#include "core/MathExpect.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <new>

namespace
{
Vec3 Column(const Mat4& m, int column)
{
    return Vec3(m[column * 4], m[column * 4 + 1], m[column * 4 + 2]);
}

Mat4 Placed(const Vec3& position)
{
    Mat4 m = Mat4Identity();
    Mat4SetTranslation(m, position);
    return m;
}
} // namespace

TEST(Entity, StartsAtIdentityInPhysicsAndVisibleWithoutInstance)
{
    Entity entity;
    EXPECT_TRUE(Mat4Near(entity.m__matrix, Mat4Identity()));
    EXPECT_EQ(entity.m_radius, 1.0f);
    EXPECT_EQ(entity.m_flags, kEntityVisible | kEntityInPhysics);
    EXPECT_EQ(entity.GetRenderInstance(), nullptr);
    EXPECT_FALSE(entity.m_engineAllocated);
    EXPECT_FALSE(GetEntityRegistry().Contains(&entity));
}

TEST(Entity, VelocityIsFollowedByTheForceAndTheInertialessForce)
{
    Entity entity;
    entity.m__velocity = Vec3(1, 2, 3);
    entity.AddForce(Vec3(1, 0, 0));
    entity.AddForce(Vec3(0.5f, -2, 0));
    entity.AddInertialessForce(Vec3(0, 0, 4));
    entity.AddInertialessForce(Vec3(0, 1, 0));
    const Vec3* v = entity.GetVelocity();
    EXPECT_TRUE(Vec3Near(v[0], Vec3(1, 2, 3)));
    EXPECT_TRUE(Vec3Near(v[1], Vec3(1.5f, -2, 0)));
    EXPECT_TRUE(Vec3Near(v[2], Vec3(0, 1, 4)));
}

TEST(Entity, SetMatrixCopiesAndTheUserFloatIsTheBounce)
{
    Entity entity;
    const Mat4 placed = Placed(Vec3(4, 5, 6));
    entity.SetMatrix(placed.m);
    EXPECT_TRUE(Mat4Near(*entity.GetMatrix(), placed));
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(4, 5, 6)));
    entity.SetUserFloat(0.75f);
    EXPECT_EQ(entity.m_bounce, 0.75f);
    EXPECT_EQ(entity.GetUserFloat(), 0.75f);
}

struct FacingCase
{
    const char* name;
    bool xz;
    Vec2 direction;
    Vec3 right, up, forward;
};

TEST(Entity, FacingSetsTheAxesAndKeepsThePosition)
{
    const float h = std::sqrt(0.5f);
    const FacingCase cases[] = {
        {"XY along x", false, Vec2(2, 0), Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 1)},
        {"XY along y", false, Vec2(0, 3), Vec3(0, 1, 0), Vec3(-1, 0, 0), Vec3(0, 0, 1)},
        {"XY diagonal", false, Vec2(1, 1), Vec3(h, h, 0), Vec3(-h, h, 0), Vec3(0, 0, 1)},
        {"XZ along z", true, Vec2(0, 5), Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 1)},
        {"XZ along x", true, Vec2(1, 0), Vec3(0, 0, -1), Vec3(0, 1, 0), Vec3(1, 0, 0)},
        {"XZ diagonal", true, Vec2(-1, 1), Vec3(h, 0, h), Vec3(0, 1, 0), Vec3(-h, 0, h)},
    };
    for (const FacingCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Entity entity;
        entity.SetPosition(Vec3(7, 8, 9));
        if (c.xz)
            entity.FaceXZ(c.direction);
        else
            entity.FaceXY(c.direction);
        EXPECT_TRUE(Vec3Near(Column(entity.m__matrix, 0), c.right));
        EXPECT_TRUE(Vec3Near(Column(entity.m__matrix, 1), c.up));
        EXPECT_TRUE(Vec3Near(Column(entity.m__matrix, 2), c.forward));
        EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(7, 8, 9)));
    }
}

TEST(Entity, FacingNoDirectionKeepsTheRotation)
{
    Entity entity;
    entity.FaceXZ(Vec2(1, 0));
    const Mat4 before = entity.m__matrix;
    entity.FaceXZ(Vec2(0, 0));
    entity.FaceXY(Vec2(0, 0));
    EXPECT_TRUE(Mat4Near(entity.m__matrix, before));
}

TEST(Entity, RotateByAnglesTurnsAboutXThenZInTheEntitysFrame)
{
    const float quarter = 1.5707964f;
    Entity entity;
    entity.FaceXZ(Vec2(1, 0)); // right (0, 0, -1), up Y, forward X
    entity.SetPosition(Vec3(1, 2, 3));
    Mat4 expected = entity.m__matrix;
    Mat4 aboutX = Mat4Identity(), aboutZ = Mat4Identity();
    Mat4SetRotationAxisAngle(aboutX, quarter, Vec3(1, 0, 0));
    Mat4SetRotationAxisAngle(aboutZ, -quarter, Vec3(0, 0, 1));
    expected = Mat4Multiply(Mat4Multiply(expected, aboutX), aboutZ);

    entity.RotateByAngles(quarter, -quarter);
    EXPECT_TRUE(Mat4Near(entity.m__matrix, expected));
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(1, 2, 3)));
    // Only the rotation turned: the axes stay unit length and square.
    EXPECT_NEAR(Vec3Length(Column(entity.m__matrix, 0)), 1.0f, 1e-5f);
    EXPECT_NEAR(Vec3Dot(Column(entity.m__matrix, 0), Column(entity.m__matrix, 1)), 0.0f, 1e-5f);
}

TEST(Actor, LendsItsMatrixFlagsAndFadeToItsInstanceAndIsDrawnOnlyOnceGiven)
{
    Actor actor;
    EXPECT_EQ(actor.m__fade, 1.0f);
    EXPECT_EQ(actor.m__netid, -1);
    EXPECT_EQ(actor.m_stepParity, 0u);
    EXPECT_EQ(actor.GetRenderInstance(), nullptr);
    EXPECT_EQ(actor.m_actorInstance.m_owner.matrix, &actor.m__matrix);
    EXPECT_EQ(actor.m_actorInstance.m_owner.flags, &actor.m_flags);
    EXPECT_EQ(actor.m_actorInstance.m_owner.fade, &actor.m__fade);
    actor.SetRenderInstance(&actor.m_actorInstance);
    EXPECT_EQ(actor.GetRenderInstance(), &actor.m_actorInstance);
}

TEST(Actor, StepAdvancesTheAnimationWhilePlaying)
{
    Actor actor;
    actor.Step(0.25f);
    actor.Step(0.5f);
    EXPECT_FLOAT_EQ(actor.m_actorInstance.m_animationTime, 0.75f);
    actor.m_actorInstance.m_flags &= ~kRenderInstanceAnimationPlaying;
    actor.Step(1.0f);
    EXPECT_FLOAT_EQ(actor.m_actorInstance.m_animationTime, 0.75f);
}

TEST(Prop, LendsItsMatrixAndFlagsButNoFade)
{
    Prop prop;
    EXPECT_EQ(prop.m_propInstance.m_owner.matrix, &prop.m__matrix);
    EXPECT_EQ(prop.m_propInstance.m_owner.flags, &prop.m_flags);
    EXPECT_EQ(prop.m_propInstance.m_owner.fade, nullptr);
    EXPECT_TRUE(prop.m_meshNames.empty());
    EXPECT_TRUE(prop.m_dropList.empty());
}

// A library's fatal error path may call exit() while the scripts' entities
// are still registered: the static objects then go in the reverse order of
// their making, the entity registry before the script classes' measuring
// samples made ahead of it. Run in a fresh process, so that this test alone
// decides that order.
TEST(EntityDeathTest, AnExitWithEntitiesStillRegisteredEndsCleanly)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            EntityScriptClass<Prop>::Sample();
            EntityScriptClass<Actor>::Sample();
            // As a script instance holds it: never destroyed.
            alignas(Prop) static unsigned char instanceArea[sizeof(Prop)];
            EntityRegistryAdd(new (instanceArea) Prop());
            exit(0);
        },
        testing::ExitedWithCode(0), "");
}
