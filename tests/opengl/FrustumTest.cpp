#include "opengl/Frustum.h"

#include "opengl/GLState.h"
#include "support/gl/GLTestContext.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace
{
const Mat4 kIdentity = Mat4Identity();

float Distance(const float plane[4], float x, float y, float z)
{
    return plane[0] * x + plane[1] * y + plane[2] * z + plane[3];
}

void ExpectPlane(const float plane[4], float a, float b, float c, float d)
{
    EXPECT_NEAR(plane[0], a, 1e-5f);
    EXPECT_NEAR(plane[1], b, 1e-5f);
    EXPECT_NEAR(plane[2], c, 1e-5f);
    EXPECT_NEAR(plane[3], d, 1e-5f);
}

class FrustumOnDriver : public GLContextTest
{
};
} // namespace

TEST(Frustum, IdentityGivesTheClipCube)
{
    Frustum frustum;
    FrustumFromMatrix(frustum, kIdentity);
    ExpectPlane(frustum.planes[kFrustumLeft], 1, 0, 0, 1);
    ExpectPlane(frustum.planes[kFrustumRight], -1, 0, 0, 1);
    ExpectPlane(frustum.planes[kFrustumBottom], 0, 1, 0, 1);
    ExpectPlane(frustum.planes[kFrustumTop], 0, -1, 0, 1);
    ExpectPlane(frustum.planes[kFrustumNear], 0, 0, 1, 1);
    ExpectPlane(frustum.planes[kFrustumFar], 0, 0, -1, 1);
}

TEST(Frustum, PerspectivePlanesHaveUnitNormalsAndEncloseTheView)
{
    const Mat4 projection = Mat4Perspective(60.0f, 16.0f / 9.0f, 100.0f, 1700.0f);
    Frustum frustum;
    FrustumFromMatrix(frustum, projection);
    for (const float* plane : frustum.planes)
    {
        EXPECT_NEAR(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2], 1.0f, 1e-5f);
        EXPECT_GT(Distance(plane, 0, 0, -500), 0.0f);
    }
    EXPECT_NEAR(Distance(frustum.planes[kFrustumNear], 0, 0, -100), 0.0f, 1e-2f);
    EXPECT_NEAR(Distance(frustum.planes[kFrustumFar], 0, 0, -1700), 0.0f, 1e-1f);
    EXPECT_LT(Distance(frustum.planes[kFrustumNear], 0, 0, -50), 0.0f);
    EXPECT_LT(Distance(frustum.planes[kFrustumLeft], -2000, 0, -500), 0.0f);
}

TEST(Frustum, ZeroNormalIsScaledNotDivided)
{
    Mat4 m = {};
    m[15] = 2.0f;
    Frustum frustum;
    FrustumFromMatrix(frustum, m);
    ExpectPlane(frustum.planes[kFrustumLeft], 0, 0, 0, 2000000.0f);
}

TEST_F(FrustumOnDriver, PlanesComeFromTheCurrentGLMatrices)
{
    const Mat4 projection = Mat4Perspective(45.0f, 1.0f, 1.0f, 100.0f);
    GLSetProjection(projection);
    GLLoadMatrix(kIdentity);
    GLTranslate(0.0f, 0.0f, -10.0f);

    Frustum view;
    FrustumFromProjection(view);
    Frustum expected;
    FrustumFromMatrix(expected, projection);
    for (int i = 0; i < kFrustumPlaneCount; ++i)
        ExpectPlane(view.planes[i], expected.planes[i][0], expected.planes[i][1], expected.planes[i][2],
                    expected.planes[i][3]);

    // In the model-view's space the camera sits 10 units back, so the origin
    // lies 9 units past the near plane.
    Frustum world;
    FrustumFromProjectionModelView(world);
    EXPECT_NEAR(Distance(world.planes[kFrustumNear], 0, 0, 0), 9.0f, 1e-4f);
}
