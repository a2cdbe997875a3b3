#include "core/Mat3.h"

#include <cmath>

Mat3 Mat3Identity()
{
    Mat3 m;
    for (int i = 0; i < 9; ++i)
        m[i] = (i % 4 == 0) ? 1.0f : 0.0f;
    return m;
}

Vec3 Mat3TransformVec3(const Mat3& m, const Vec3& v)
{
    return Vec3(m[0] * v.x + m[3] * v.y + m[6] * v.z, m[1] * v.x + m[4] * v.y + m[7] * v.z,
                m[2] * v.x + m[5] * v.y + m[8] * v.z);
}

void Mat3Multiply(Mat3& out, const Mat3& a, const Mat3& b)
{
    Mat3 product;
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 3; ++row)
            product[column * 3 + row] =
                a[row] * b[column * 3] + a[3 + row] * b[column * 3 + 1] + a[6 + row] * b[column * 3 + 2];
    out = product;
}

Mat3 Mat3FromAxisAngle(float angle, const Vec3& axis)
{
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    const float t = 1.0f - c;
    const float x = axis.x, y = axis.y, z = axis.z;
    Mat3 m;
    m[0] = x * x + (1.0f - x * x) * c;
    m[1] = x * y * t + z * s;
    m[2] = x * z * t - y * s;
    m[3] = x * y * t - z * s;
    m[4] = y * y + (1.0f - y * y) * c;
    m[5] = y * z * t + x * s;
    m[6] = x * z * t + y * s;
    m[7] = y * z * t - x * s;
    m[8] = z * z + (1.0f - z * z) * c;
    return m;
}
