#pragma once
// A 3x3 rotation, column-major: the x, y and z axes in elements 0-2, 3-5, 6-8.

#include "core/Vec3.h"

struct Mat3
{
    float m[9];

    Mat3() = default;

    float& operator[](int i) { return m[i]; }
    float operator[](int i) const { return m[i]; }
};

Mat3 Mat3Identity();
inline void Mat3Copy(Mat3& out, const Mat3& in)
{
    out = in;
}
Vec3 Mat3TransformVec3(const Mat3& m, const Vec3& v);
// out = a b: b is applied first. out may be a or b.
void Mat3Multiply(Mat3& out, const Mat3& a, const Mat3& b);
// Angle in radians about a unit axis, counter-clockwise looking down the axis.
Mat3 Mat3FromAxisAngle(float angle, const Vec3& axis);

inline float Det2(float a, float b, float c, float d)
{
    return a * d - b * c;
}
// Rows (a b c), (d e f), (g h i), expanded along the first row.
inline float Det3(float a, float b, float c, float d, float e, float f, float g, float h, float i)
{
    return a * Det2(e, f, h, i) - b * Det2(d, f, g, i) + c * Det2(d, e, g, h);
}
