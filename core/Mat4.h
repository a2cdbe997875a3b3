#pragma once
// A 4x4 matrix in OpenGL column-major order: element k lies in column k / 4,
// row k % 4. Columns: right (x) axis 0-2, up (y) axis 4-6, forward (z) axis
// 8-10, translation 12-14, w scale 15. Products put the applied-first matrix
// on the right.

#include "core/Mat3.h"
#include "core/Quaternion.h"
#include "core/Vec3.h"
#include "core/Vec4.h"

struct Mat4
{
    float m[16];

    // Left unset on purpose, as scripts expect of a new matrix.
    Mat4() = default;

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
};

Mat4 Mat4Identity();
inline void Mat4Copy(Mat4& out, const Mat4& in)
{
    out = in;
}

Mat4 Mat4Multiply(const Mat4& a, const Mat4& b);
// out = a b; out may be a or b.
void Mat4MultiplyTo(Mat4& out, const Mat4& a, const Mat4& b);

// The general inverse. A singular matrix (or one holding infinities or NaN)
// has none: out becomes the identity and the result is false, so callers
// never carry NaN into the frame.
bool Mat4Inverse(Mat4& out, const Mat4& m);
// For rotation plus translation only: the rotation transposed, the
// translation moved back through it, elements 3, 7, 11 and 15 copied.
void Mat4InverseRigid(Mat4& out, const Mat4& m);

Vec4 Mat4TransformVec4(const Mat4& m, const Vec4& v);
// As a point with w = 1, without the divide.
Vec3 Mat4TransformPoint(const Mat4& m, const Vec3& p);
// As a point with w = 1, then x, y and z divided by the resulting w; a w of 0
// (a point on the eye plane) leaves them undivided instead of infinite.
Vec3 Mat4TransformPointDivW(const Mat4& m, const Vec3& p);
// Through the 3x3 part only, as a direction.
Vec3 Mat4RotateVec3(const Mat4& m, const Vec3& v);

// The OpenGL frustum: depth near..far to -1..1, viewer looking down -z.
Mat4 Mat4Frustum(float left, float right, float bottom, float top, float nearZ, float farZ);
// Vertical field of view in degrees.
Mat4 Mat4Perspective(float fovDegrees, float aspect, float nearZ, float farZ);
// Depth near..far to 0..1 with +z away from the viewer (not OpenGL's -1..1).
Mat4 Mat4Ortho(float left, float right, float bottom, float top, float nearZ, float farZ);

// Sets the 3x3 part from a unit quaternion, leaving the other elements. The
// result is the transpose of Mat4SetRotationAxisAngle for the same rotation
// (it turns the other way); stored animation keys are conjugated before use
// to make up for it, so it must stay this way.
void Mat4SetRotationFromQuat(Mat4& m, float x, float y, float z, float w);
inline void Mat4SetRotationFromQuat(Mat4& m, const Quaternion& q)
{
    Mat4SetRotationFromQuat(m, q.x, q.y, q.z, q.w);
}
// Sets the 3x3 part: angle in radians about a unit axis, leaving the other elements.
void Mat4SetRotationAxisAngle(Mat4& m, float angle, const Vec3& axis);

void Mat4SetRotation(Mat4& m, const Mat3& rotation);
Mat3 Mat4GetRotation(const Mat4& m);
inline void Mat4SetTranslation(Mat4& m, const Vec3& t)
{
    m[12] = t.x;
    m[13] = t.y;
    m[14] = t.z;
}
inline Vec3 Mat4GetTranslation(const Mat4& m)
{
    return Vec3(m[12], m[13], m[14]);
}
inline float* Mat4TranslationPtr(Mat4& m)
{
    return &m.m[12];
}
inline const float* Mat4TranslationPtr(const Mat4& m)
{
    return &m.m[12];
}
// Scales elements 0, 5 and 10 only.
void Mat4ScaleDiagonal(Mat4& m, const Vec3& scale);
// Sets the three axes: x = normalise(up x forward), y = forward x x,
// z = forward as given (the caller normalises it). Translation untouched.
void Mat4FromForwardUp(Mat4& m, const Vec3& forward, const Vec3& up);
