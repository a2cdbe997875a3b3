#include "MathExpect.h"

#include "core/Mat3.h"
#include "core/Mat4.h"
#include "core/Quaternion.h"

#include <cmath>
#include <limits>

namespace
{
constexpr float kHalfPi = 1.57079633f;

Mat4 Transposed3x3(const Mat4& m)
{
    Mat4 t = m;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            t[column * 4 + row] = m[row * 4 + column];
    return t;
}

Mat4 RotationAxisAngle(float angle, const Vec3& axis)
{
    Mat4 m = Mat4Identity();
    Mat4SetRotationAxisAngle(m, angle, axis);
    return m;
}

Mat4 Translation(const Vec3& t)
{
    Mat4 m = Mat4Identity();
    Mat4SetTranslation(m, t);
    return m;
}

Quaternion QuatFromAxisAngle(float angle, const Vec3& axis)
{
    const float s = std::sin(angle * 0.5f);
    return Quaternion(axis.x * s, axis.y * s, axis.z * s, std::cos(angle * 0.5f));
}

TEST(Mat4, QuarterTurnsAboutEachAxisAreCounterClockwise)
{
    struct Case
    {
        Vec3 axis, input, output;
    } const cases[] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
        {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}, {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
    };
    for (const Case& c : cases)
    {
        const Mat4 m = RotationAxisAngle(kHalfPi, c.axis);
        EXPECT_TRUE(Vec3Near(Mat4RotateVec3(m, c.input), c.output));
        EXPECT_TRUE(Vec3Near(Mat3TransformVec3(Mat3FromAxisAngle(kHalfPi, c.axis), c.input), c.output));
    }
}

TEST(Mat4, AxisAngleLeavesTranslationAndWAlone)
{
    Mat4 m = Mat4FromElements({9, 9, 9, 2, 9, 9, 9, 3, 9, 9, 9, 4, 5, 6, 7, 8});
    Mat4SetRotationAxisAngle(m, kHalfPi, Vec3(0, 0, 1));
    const float expected[16] = {0, 1, 0, 2, -1, 0, 0, 3, 0, 0, 1, 4, 5, 6, 7, 8};
    EXPECT_TRUE(Mat4Near(m, Mat4FromElements(expected)));
}

// The quaternion form is the transpose of the axis-angle form: it turns the
// other way. Animation keys are conjugated to make up for it.
TEST(Mat4, RotationFromQuatIsTheTransposedAxisAngleRotation)
{
    const float s = std::sqrt(0.5f);
    Mat4 fromQuat = Mat4FromElements({9, 9, 9, 2, 9, 9, 9, 3, 9, 9, 9, 4, 5, 6, 7, 8});
    Mat4SetRotationFromQuat(fromQuat, 0.0f, 0.0f, s, s);
    const float expected[16] = {0, -1, 0, 2, 1, 0, 0, 3, 0, 0, 1, 4, 5, 6, 7, 8};
    EXPECT_TRUE(Mat4Near(fromQuat, Mat4FromElements(expected)));
    EXPECT_TRUE(Vec3Near(Mat4RotateVec3(fromQuat, Vec3(1, 0, 0)), Vec3(0, -1, 0)));

    const struct
    {
        float angle;
        Vec3 axis;
    } cases[] = {
        {kHalfPi, {1, 0, 0}},
        {kHalfPi, {0, 1, 0}},
        {0.7f, {0.48f, 0.6f, 0.64f}},
        {-2.5f, {0, 0.6f, -0.8f}},
    };
    for (const auto& c : cases)
    {
        const Quaternion q = QuatFromAxisAngle(c.angle, c.axis);
        const Mat4 axisAngle = RotationAxisAngle(c.angle, c.axis);
        Mat4 m = Mat4Identity();
        Mat4SetRotationFromQuat(m, q);
        EXPECT_TRUE(Mat4Near(m, Transposed3x3(axisAngle)));
        Mat4SetRotationFromQuat(m, QuatConjugate(q));
        EXPECT_TRUE(Mat4Near(m, axisAngle));
    }
}

TEST(Quaternion, DefaultIsTheIdentityAndConjugateNegatesTheAxis)
{
    const Quaternion identity;
    EXPECT_EQ(identity.w, 1.0f);
    EXPECT_EQ(identity.x + identity.y + identity.z, 0.0f);
    const Quaternion c = QuatConjugate(Quaternion(1, 2, 3, 4));
    EXPECT_EQ(c.x, -1.0f);
    EXPECT_EQ(c.y, -2.0f);
    EXPECT_EQ(c.z, -3.0f);
    EXPECT_EQ(c.w, 4.0f);
}

TEST(Mat4, MultiplyAppliesTheRightMatrixFirst)
{
    const Mat4 rotate = RotationAxisAngle(kHalfPi, Vec3(0, 0, 1));
    const Mat4 translate = Translation(Vec3(10, 0, 0));
    EXPECT_TRUE(Vec3Near(Mat4TransformPoint(Mat4Multiply(translate, rotate), Vec3(1, 0, 0)), Vec3(10, 1, 0)));
    EXPECT_TRUE(Vec3Near(Mat4TransformPoint(Mat4Multiply(rotate, translate), Vec3(1, 0, 0)), Vec3(0, 11, 0)));

    Mat4 inPlace = translate;
    Mat4MultiplyTo(inPlace, inPlace, rotate);
    EXPECT_TRUE(Mat4Near(inPlace, Mat4Multiply(translate, rotate)));

    Mat3 product;
    const Mat3 r = Mat4GetRotation(rotate);
    Mat3Multiply(product, r, r);
    EXPECT_TRUE(Vec3Near(Mat3TransformVec3(product, Vec3(1, 0, 0)), Vec3(-1, 0, 0)));
}

TEST(Mat4, InverseTimesMatrixIsTheIdentity)
{
    Mat4 scaledRotation =
        Mat4Multiply(Translation(Vec3(3, -2, 7)), RotationAxisAngle(0.9f, Vec3(0.6f, 0, 0.8f)));
    Mat4ScaleDiagonal(scaledRotation, Vec3(2, 0.5f, 3));
    const Mat4 cases[] = {
        Mat4Identity(),
        scaledRotation,
        Mat4Perspective(60.0f, 1.5f, 0.5f, 200.0f),
        Mat4Ortho(0, 640, 480, 0, -1, 1),
        Mat4FromElements({2, 1, 0, 1, 0, 3, 1, 0, 1, 0, 4, 2, 5, -1, 2, 1}),
    };
    for (const Mat4& m : cases)
    {
        Mat4 inverse;
        ASSERT_TRUE(Mat4Inverse(inverse, m));
        EXPECT_TRUE(Mat4Near(Mat4Multiply(inverse, m), Mat4Identity(), 1e-4f));
        EXPECT_TRUE(Mat4Near(Mat4Multiply(m, inverse), Mat4Identity(), 1e-4f));
    }
}

TEST(Mat4, InverseOfASingularMatrixIsTheIdentityAndReportsFailure)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Mat4 cases[] = {
        Mat4FromElements({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
        // Two equal columns.
        Mat4FromElements({1, 2, 3, 0, 1, 2, 3, 0, 0, 0, 1, 0, 4, 5, 6, 1}),
        // A flattened axis, as a zero skew distance gives the camera.
        Mat4FromElements({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
        Mat4FromElements({nan, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
        Mat4FromElements({inf, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
        Mat4FromElements({1e-30f, 0, 0, 0, 0, 1e-30f, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
    };
    for (const Mat4& m : cases)
    {
        Mat4 inverse = Mat4FromElements({7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7});
        EXPECT_FALSE(Mat4Inverse(inverse, m));
        EXPECT_TRUE(Mat4Near(inverse, Mat4Identity(), 0.0f));
    }
}

TEST(Mat4, RigidInverseMatchesTheGeneralInverse)
{
    Mat4 m = Mat4Multiply(Translation(Vec3(3, -2, 7)), RotationAxisAngle(-1.3f, Vec3(0, 0.8f, 0.6f)));
    Mat4 general, rigid;
    ASSERT_TRUE(Mat4Inverse(general, m));
    Mat4InverseRigid(rigid, m);
    EXPECT_TRUE(Mat4Near(rigid, general));
    // The w column is copied as it stands, not inverted.
    m[3] = 0.25f;
    m[15] = 2.0f;
    Mat4InverseRigid(rigid, m);
    EXPECT_EQ(rigid[3], 0.25f);
    EXPECT_EQ(rigid[15], 2.0f);
    EXPECT_EQ(rigid[7], 0.0f);
}

TEST(Mat4, DeterminantsExpandAlongTheFirstRow)
{
    EXPECT_EQ(Det2(1, 2, 3, 4), -2.0f);
    EXPECT_EQ(Det3(2, 0, 0, 0, 3, 0, 0, 0, 4), 24.0f);
    EXPECT_EQ(Det3(1, 2, 3, 4, 5, 6, 7, 8, 10), -3.0f);
}

TEST(Mat4, FrustumMatchesOpenGL)
{
    const Mat4 m = Mat4Frustum(-1, 3, -2, 2, 1, 11);
    const float expected[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0.5f, 0, -1.2f, -1, 0, 0, -2.2f, 0};
    EXPECT_TRUE(Mat4Near(m, Mat4FromElements(expected)));
}

TEST(Mat4, PerspectiveProjectsKnownPoints)
{
    // A 90 degree field of view puts the frustum's corners at 45 degrees.
    const Mat4 m = Mat4Perspective(90.0f, 2.0f, 1.0f, 100.0f);
    const struct
    {
        Vec3 eye, clip;
    } cases[] = {
        {{0, 0, -1}, {0, 0, -1}},
        {{0, 0, -100}, {0, 0, 1}},
        {{2, 1, -1}, {1, 1, -1}},
        {{-20, -10, -10}, {-1, -1, 0.81818f}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Vec3Near(Mat4TransformPointDivW(m, c.eye), c.clip, 1e-4f));
}

TEST(Mat4, OrthoMapsDepthToZeroToOne)
{
    const Mat4 screen = Mat4Ortho(0, 640, 480, 0, 0, 1);
    const Mat4 deep = Mat4Ortho(-10, 10, -5, 5, 2, 12);
    const struct
    {
        const Mat4& m;
        Vec3 point, clip;
    } cases[] = {
        {screen, {0, 0, 0}, {-1, 1, 0}},          {screen, {640, 480, 1}, {1, -1, 1}},
        {screen, {320, 240, 0.5f}, {0, 0, 0.5f}}, {deep, {10, 5, 2}, {1, 1, 0}},
        {deep, {-10, -5, 12}, {-1, -1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Vec3Near(Mat4TransformPointDivW(c.m, c.point), c.clip));
    EXPECT_EQ(screen[15], 1.0f);
    EXPECT_EQ(screen[11], 0.0f);
}

TEST(Mat4, TransformForms)
{
    const Mat4 m = Mat4FromElements({1, 0, 0, 0, 0, 2, 0, 0, 0, 0, 3, 1, 10, 20, 30, 2});
    EXPECT_TRUE(Vec3Near(Mat4TransformPoint(m, Vec3(1, 1, 1)), Vec3(11, 22, 33)));
    EXPECT_TRUE(Vec3Near(Mat4TransformPointDivW(m, Vec3(1, 1, 1)), Vec3(11 / 3.0f, 22 / 3.0f, 11)));
    EXPECT_TRUE(Vec3Near(Mat4RotateVec3(m, Vec3(1, 1, 1)), Vec3(1, 2, 3)));
    const Vec4 h = Mat4TransformVec4(m, Vec4(1, 1, 1, 0));
    EXPECT_EQ(h.x, 1.0f);
    EXPECT_EQ(h.w, 1.0f);
}

TEST(Mat4, DivideByAZeroWLeavesThePointUndivided)
{
    const Mat4 m = Mat4Perspective(90.0f, 1.0f, 1.0f, 100.0f);
    const Vec3 onEyePlane = Mat4TransformPointDivW(m, Vec3(1, 2, 0));
    EXPECT_TRUE(std::isfinite(onEyePlane.x) && std::isfinite(onEyePlane.y) && std::isfinite(onEyePlane.z));
    EXPECT_TRUE(Vec3Near(onEyePlane, Vec3(1, 2, -2.0202f), 1e-3f));
}

TEST(Mat4, AxesAndTranslationAccess)
{
    Mat4 m = Mat4Identity();
    Mat4SetTranslation(m, Vec3(4, 5, 6));
    EXPECT_TRUE(Vec3Equals(Mat4GetTranslation(m), Vec3(4, 5, 6)));
    Mat4TranslationPtr(m)[1] = 9;
    EXPECT_EQ(m[13], 9.0f);

    const Mat3 r = Mat3FromAxisAngle(0.4f, Vec3(0, 1, 0));
    Mat4SetRotation(m, r);
    const Mat3 back = Mat4GetRotation(m);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(back[i], r[i]);
    EXPECT_EQ(m[14], 6.0f);

    Mat4ScaleDiagonal(m, Vec3(2, 3, 4));
    EXPECT_FLOAT_EQ(m[0], 2 * r[0]);
    EXPECT_FLOAT_EQ(m[5], 3 * r[4]);
    EXPECT_FLOAT_EQ(m[10], 4 * r[8]);
    EXPECT_FLOAT_EQ(m[8], r[6]);
}

TEST(Mat4, FromForwardUpKeepsForwardAsGiven)
{
    const struct
    {
        Vec3 forward, up, right, newUp;
    } cases[] = {
        {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}},
        {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}, {0, 1, 0}},
        // Forward is not normalised, so neither is the derived up axis.
        {{0, 0, 2}, {0, 5, 0}, {1, 0, 0}, {0, 2, 0}},
    };
    for (const auto& c : cases)
    {
        Mat4 m = Mat4Identity();
        Mat4SetTranslation(m, Vec3(7, 8, 9));
        Mat4FromForwardUp(m, c.forward, c.up);
        EXPECT_TRUE(Vec3Near(Vec3(m[0], m[1], m[2]), c.right));
        EXPECT_TRUE(Vec3Near(Vec3(m[4], m[5], m[6]), c.newUp));
        EXPECT_TRUE(Vec3Equals(Vec3(m[8], m[9], m[10]), c.forward));
        EXPECT_TRUE(Vec3Equals(Mat4GetTranslation(m), Vec3(7, 8, 9)));
    }
}
} // namespace
