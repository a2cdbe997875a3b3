#include "MathExpect.h"

#include "core/Mover3D.h"
#include "core/MoverOneD.h"
#include "core/Rotator.h"

#include <cmath>

namespace
{
constexpr float kStep = 1.0f / 30.0f;

TEST(MoverOneD, AcceleratesCruisesBrakesAndLandsExactly)
{
    MoverOneD mover;
    mover.SetMaxAccel(10.0f);
    mover.SetMaxSpeed(5.0f);
    mover.SetMaxDeccel(10.0f);
    mover.SetDestination(10.0f);
    float topSpeed = 0.0f;
    float remainingAtBraking = -1.0f;
    int steps = 0;
    while (mover.GetValue() != 10.0f && steps < 1000)
    {
        const float before = mover.GetValue();
        mover.Update(kStep);
        ++steps;
        topSpeed = std::fmax(topSpeed, mover.GetVelocity());
        if (mover.IsBraking() && remainingAtBraking < 0.0f)
            remainingAtBraking = 10.0f - before;
    }
    EXPECT_EQ(mover.GetValue(), 10.0f);
    EXPECT_EQ(mover.GetVelocity(), 0.0f);
    EXPECT_FLOAT_EQ(topSpeed, 5.0f);
    // Braking starts once the stopping distance of 1.25 exceeds what remains.
    EXPECT_LT(remainingAtBraking, 1.25f);
    EXPECT_GT(remainingAtBraking, 1.25f - 5.0f * kStep);
    EXPECT_LT(steps, 100);
}

TEST(MoverOneD, DestinationBehindZeroesTheVelocity)
{
    MoverOneD mover;
    mover.SetMaxAccel(10.0f);
    mover.SetMaxSpeed(5.0f);
    mover.SetDestination(10.0f);
    for (int i = 0; i < 10; ++i)
        mover.Update(kStep);
    ASSERT_GT(mover.GetVelocity(), 0.0f);
    mover.SetDestination(-3.0f);
    EXPECT_EQ(mover.GetVelocity(), 0.0f);
}

TEST(MoverOneD, WithoutDecelerationItOvershootsAndSnapsBack)
{
    MoverOneD mover;
    mover.SetMaxAccel(100.0f);
    mover.SetMaxSpeed(50.0f);
    mover.SetDestination(1.0f);
    int steps = 0;
    while (mover.GetValue() != 1.0f && steps < 100)
    {
        EXPECT_FALSE(mover.IsBraking());
        EXPECT_LE(mover.GetValue(), 1.0f);
        mover.Update(kStep);
        ++steps;
    }
    EXPECT_EQ(mover.GetValue(), 1.0f);
    EXPECT_EQ(mover.GetVelocity(), 0.0f);
}

TEST(Mover3D, GlidesAlongTheLineAndLands)
{
    Mover3D mover;
    mover.SetMaxAccel(10.0f);
    mover.SetMaxSpeed(5.0f);
    mover.SetMaxDeccel(10.0f);
    mover.SetValue(Vec3(1, 2, 3));
    mover.SetDestination(Vec3(4, 6, 3));
    for (int i = 0; i < 10; ++i)
    {
        mover.Update(kStep);
        const Vec3 travelled = mover.GetValue() - Vec3(1, 2, 3);
        // Stays on the line toward (3, 4, 0).
        EXPECT_NEAR(travelled.x * 4.0f - travelled.y * 3.0f, 0.0f, 1e-4f);
    }
    for (int i = 0; i < 200; ++i)
        mover.Update(kStep);
    EXPECT_TRUE(Vec3Near(mover.GetValue(), Vec3(4, 6, 3)));
}

TEST(Mover3D, DestinationAtTheStartDoesNotMove)
{
    Mover3D mover;
    mover.SetMaxAccel(10.0f);
    mover.SetMaxSpeed(5.0f);
    mover.SetValue(Vec3(1, 2, 3));
    mover.SetDestination(Vec3(1, 2, 3));
    mover.Update(kStep);
    EXPECT_TRUE(Vec3Equals(mover.GetValue(), Vec3(1, 2, 3)));
}

TEST(WrapAngle, WrapsInOneStep)
{
    struct Case
    {
        float in, out;
    };
    for (const Case& c : {Case{0, 0}, {-1, kTwoPi - 1}, {kTwoPi, 0}, {7, 7 - kTwoPi}, {-1e-9f, 0}})
        EXPECT_NEAR(WrapAngle(c.in), c.out, 1e-5f) << c.in;
    for (const float huge : {1e30f, -1e30f, 3.4e38f})
    {
        const float w = WrapAngle(huge);
        EXPECT_GE(w, 0.0f);
        EXPECT_LT(w, kTwoPi);
    }
    EXPECT_EQ(WrapAngle(INFINITY), 0.0f);
    EXPECT_EQ(WrapAngle(NAN), 0.0f);
}

TEST(WrapAngle, ShortestDifferenceCrossesZero)
{
    EXPECT_NEAR(AngleShortestDifference(6.2f, 0.1f), 0.1f + kTwoPi - 6.2f, 1e-5f);
    EXPECT_NEAR(AngleShortestDifference(0.1f, 6.2f), -(0.1f + kTwoPi - 6.2f), 1e-5f);
    EXPECT_NEAR(AngleShortestDifference(1.0f, 2.0f), 1.0f, 1e-6f);
}

Rotator TurningRotator(float from, float to)
{
    Rotator rotator;
    rotator.SetAcceleration(20.0f);
    rotator.SetRotSpeedMax(4.0f);
    rotator.SetTargetRotVel(0.0f);
    rotator.SetTargetRot(from);
    for (int i = 0; i < 300; ++i)
        rotator.Update(kStep);
    rotator.SetTargetRot(to);
    return rotator;
}

TEST(Rotator, TurnsTheShortWayThroughTwoPi)
{
    Rotator rotator = TurningRotator(6.2f, 0.1f);
    EXPECT_NEAR(rotator.GetRotation(), 6.2f, 1e-4f);
    for (int i = 0; i < 90; ++i)
    {
        rotator.Update(kStep);
        const float r = rotator.GetRotation();
        // Never back through pi.
        EXPECT_TRUE(r >= 6.19f || r <= 0.11f) << "step " << i << " at " << r;
    }
    EXPECT_NEAR(rotator.GetRotation(), 0.1f, 1e-5f);
}

TEST(Rotator, LandsWhileTheGameClockStandsStill)
{
    Rotator rotator = TurningRotator(0.0f, 2.0f);
    for (int i = 0; i < 120; ++i)
        rotator.Update(kStep);
    EXPECT_TRUE(rotator.IsLanding());
    EXPECT_EQ(rotator.GetRotation(), 2.0f);
}

TEST(Rotator, SameTargetDoesNotRestartTheLanding)
{
    Rotator rotator = TurningRotator(0.0f, 1.0f);
    int steps = 0;
    while (!rotator.IsLanding() && steps++ < 200)
        rotator.Update(kStep);
    ASSERT_TRUE(rotator.IsLanding());
    rotator.SetTargetRot(1.0f);
    EXPECT_TRUE(rotator.IsLanding());
    rotator.SetTargetRot(1.0f + kTwoPi);
    EXPECT_TRUE(rotator.IsLanding());
    rotator.SetTargetRot(1.5f);
    EXPECT_FALSE(rotator.IsLanding());
}

TEST(Rotator, SpinsAtTheTargetSpeedWhenNotTurning)
{
    Rotator rotator;
    rotator.SetAcceleration(3.0f);
    rotator.SetTargetRotVel(-1.5f);
    for (int i = 0; i < 30; ++i)
        rotator.Update(kStep);
    EXPECT_FLOAT_EQ(rotator.GetVelocity(), -1.5f);
    const float before = rotator.GetRotation();
    rotator.Update(kStep);
    EXPECT_NEAR(AngleShortestDifference(before, rotator.GetRotation()), -1.5f * kStep, 1e-5f);
}
} // namespace
