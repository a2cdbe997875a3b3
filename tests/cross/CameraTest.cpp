#include "cross/CameraBase.h"
#include "cross/CameraController.h"
#include "cross/CameraController2Point.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
constexpr float kPi = 3.14159265f;

void ExpectVec3Near(const Vec3& actual, const Vec3& expected, const char* what)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-4f) << what;
    EXPECT_NEAR(actual.y, expected.y, 1e-4f) << what;
    EXPECT_NEAR(actual.z, expected.z, 1e-4f) << what;
}

Mat4 Translation(float x, float y, float z)
{
    Mat4 m = Mat4Identity();
    Mat4SetTranslation(m, Vec3(x, y, z));
    return m;
}

bool Finite(const Mat4& m)
{
    for (float value : m.m)
        if (!std::isfinite(value))
            return false;
    return true;
}

// The rotation part of a view matrix keeps unit, mutually square axes.
void ExpectRigid(const Mat4& m, const char* what)
{
    for (int a = 0; a < 3; ++a)
        for (int b = 0; b < 3; ++b)
        {
            const float dot = m[a * 4] * m[b * 4] + m[a * 4 + 1] * m[b * 4 + 1] + m[a * 4 + 2] * m[b * 4 + 2];
            EXPECT_NEAR(dot, a == b ? 1.0f : 0.0f, 1e-4f) << what << " axes " << a << ", " << b;
        }
}
} // namespace

TEST(CameraBase, TheViewIsTheInverseOfTheWorldMatrix)
{
    CameraBase camera;
    EXPECT_EQ(camera.GetFOV(), 30.0f);
    camera.SetViewMatrix(Translation(0, 0, 10));
    ExpectVec3Near(Mat4TransformPoint(camera.GetViewMatrix(), Vec3(0, 0, 10)), Vec3(0, 0, 0),
                   "camera position");
    ExpectVec3Near(Mat4GetTranslation(camera.GetWorldMatrix()), Vec3(0, 0, 10), "world kept");

    Mat4 singular = Mat4Identity();
    singular[0] = 0.0f;
    camera.SetViewMatrix(singular);
    ExpectVec3Near(Mat4GetTranslation(camera.GetWorldMatrix()), Vec3(0, 0, 10), "singular world refused");
}

TEST(CameraBase, WorldToViewProjectsPointsInFrontAndSaysWhenOneIsBehind)
{
    CameraBase camera;
    camera.SetFOV(90.0f);
    camera.SetViewMatrix(Translation(0, 0, 10)); // looking down -z from z = 10
    float x = 9, y = 9;
    EXPECT_TRUE(camera.WorldToView(Vec3(0, 0, 0), x, y, 1.0f));
    EXPECT_NEAR(x, 0.0f, 1e-5f);
    EXPECT_NEAR(y, 0.0f, 1e-5f);
    EXPECT_TRUE(camera.WorldToView(Vec3(1, 2, 0), x, y, 2.0f));
    EXPECT_NEAR(x, 0.05f, 1e-5f);
    EXPECT_NEAR(y, 0.2f, 1e-5f);
    EXPECT_FALSE(camera.WorldToView(Vec3(1, 2, 20), x, y, 1.0f));
    EXPECT_FALSE(camera.WorldToView(Vec3(1, 2, 10), x, y, 1.0f)); // on the eye plane
}

TEST(CameraController, MovesAlongItsAxesAndTurnsOnUpdate)
{
    CameraBase camera;
    CameraController controller;
    controller.SetCamera(&camera);
    controller.Pan(2.0f);
    ExpectVec3Near(controller.GetPosition(), Vec3(2, 0, 0), "pan");
    controller.MoveCamera(0.0f, 1.0f, 3.0f);
    ExpectVec3Near(controller.GetPosition(), Vec3(2, 1, -3), "crane and dolly");

    controller.Yaw(kPi / 2);
    EXPECT_EQ(controller.GetPendingYaw(), kPi / 2);
    controller.Update();
    EXPECT_EQ(controller.GetPendingYaw(), 0.0f);
    const Vec3 forward = controller.GetForward();
    EXPECT_NEAR(forward.y, 0.0f, 1e-5f);
    EXPECT_NEAR(forward.z, 0.0f, 1e-5f);
    EXPECT_NEAR(std::fabs(forward.x), 1.0f, 1e-5f);
    ExpectVec3Near(Mat4TransformPoint(camera.GetViewMatrix(), Vec3(2, 1, -3)), Vec3(0, 0, 0),
                   "view at position");
    ExpectRigid(camera.GetViewMatrix(), "after yaw");

    controller.ResetToDefault();
    ExpectVec3Near(controller.GetForward(), Vec3(0, 0, -1), "default forward");
    ExpectVec3Near(controller.GetPosition(), Vec3(0, 0, 0), "default position");
}

TEST(CameraController, FollowingStraightDownOrUpStillGivesAWholeView)
{
    const Vec3 directions[] = {Vec3(0, 1, 0), Vec3(0, -1, 0), Vec3(0, 3, 0), Vec3(1, 1, 0)};
    for (const Vec3& direction : directions)
    {
        CameraBase camera;
        CameraController controller;
        controller.SetCamera(&camera);
        controller.SetFollow(Vec3(5, 0, 5), direction, 20.0f, 0.0f);
        controller.Update();
        ASSERT_TRUE(Finite(camera.GetViewMatrix()));
        ExpectRigid(camera.GetViewMatrix(), "follow");
        float x = 1, y = 1;
        EXPECT_TRUE(camera.WorldToView(Vec3(5, 0, 5), x, y, 1.0f)) << direction.y;
        EXPECT_NEAR(x, 0.0f, 1e-4f);
        EXPECT_NEAR(y, 0.0f, 1e-4f);
    }
}

TEST(CameraController, SkewShearsTheViewAndASingularSkewIsLeftOut)
{
    CameraBase camera;
    CameraController controller;
    controller.SetCamera(&camera);
    controller.SetPosition(Vec3(0, 0, 10));
    controller.SetSkew(30.0f, 1.0f);
    controller.Update();
    // The world is multiplied by the skew's inverse, so the view carries the
    // skew itself: world up leans to (0, cos 30, -sin 30).
    const Mat4& view = camera.GetViewMatrix();
    ExpectVec3Near(Mat4RotateVec3(view, Vec3(0, 1, 0)), Vec3(0, std::cos(kPi / 6), -std::sin(kPi / 6)),
                   "skew");
    ExpectVec3Near(Mat4RotateVec3(view, Vec3(1, 0, 0)), Vec3(1, 0, 0), "skew leaves x");

    controller.SetSkew(30.0f, 0.0f);
    controller.Update();
    EXPECT_TRUE(Finite(camera.GetViewMatrix()));
    ExpectVec3Near(Mat4TransformPoint(camera.GetViewMatrix(), Vec3(0, 0, 10)), Vec3(0, 0, 0), "no skew");
}

TEST(CameraController2Point, LooksFromOnePointAtAnother)
{
    CameraBase camera;
    camera.SetFOV(90.0f);
    CameraController2Point controller;
    controller.SetCamera(&camera);
    controller.SetPoints(Vec3(0, 0, 10), Vec3(0, 0, 0));
    ExpectVec3Near(Mat4TransformPoint(camera.GetViewMatrix(), Vec3(0, 0, 0)), Vec3(0, 0, -10),
                   "target ahead");

    controller.SetPoints(Vec3(3, 50, 4), Vec3(3, 0, 4)); // straight down
    ExpectRigid(camera.GetViewMatrix(), "straight down");
    ExpectVec3Near(Mat4TransformPoint(camera.GetViewMatrix(), Vec3(3, 0, 4)), Vec3(0, 0, -50),
                   "ground ahead");

    const Mat4 before = camera.GetViewMatrix();
    controller.SetPoints(Vec3(1, 1, 1), Vec3(1, 1, 1));
    EXPECT_EQ(memcmp(before.m, camera.GetViewMatrix().m, sizeof before.m), 0);

    float x = 0, y = 0;
    controller.SetFOV(60.0f);
    EXPECT_EQ(camera.GetFOV(), 60.0f);
    EXPECT_TRUE(controller.WorldToView(Vec3(3, 0, 4), x, y, 1.0f));
    CameraController2Point unbound;
    EXPECT_FALSE(unbound.WorldToView(Vec3(0, 0, 0), x, y, 1.0f));
}

TEST(CameraController, TheGlobalControllerDrivesTheGlobalCamera)
{
    EXPECT_EQ(GetGlobalCameraController().GetCamera(), &GetGlobalCamera());
}
