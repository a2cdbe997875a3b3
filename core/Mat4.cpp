#include "core/Mat4.h"

#include <cmath>

namespace
{
constexpr float kDegreesToRadians = 0.017453292f;

float At(const Mat4& m, int row, int column)
{
    return m[column * 4 + row];
}

// The determinant of m without the given row and column.
float Minor(const Mat4& m, int row, int column)
{
    int rows[3], columns[3];
    for (int i = 0, r = 0, c = 0; i < 4; ++i)
    {
        if (i != row)
            rows[r++] = i;
        if (i != column)
            columns[c++] = i;
    }
    return Det3(At(m, rows[0], columns[0]), At(m, rows[0], columns[1]), At(m, rows[0], columns[2]),
                At(m, rows[1], columns[0]), At(m, rows[1], columns[1]), At(m, rows[1], columns[2]),
                At(m, rows[2], columns[0]), At(m, rows[2], columns[1]), At(m, rows[2], columns[2]));
}

float Cofactor(const Mat4& m, int row, int column)
{
    const float minor = Minor(m, row, column);
    return ((row + column) % 2 == 0) ? minor : -minor;
}
} // namespace

Mat4 Mat4Identity()
{
    Mat4 m;
    for (int i = 0; i < 16; ++i)
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    return m;
}

Mat4 Mat4Multiply(const Mat4& a, const Mat4& b)
{
    Mat4 product;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row)
            product[column * 4 + row] = a[row] * b[column * 4] + a[4 + row] * b[column * 4 + 1] +
                                        a[8 + row] * b[column * 4 + 2] + a[12 + row] * b[column * 4 + 3];
    return product;
}

void Mat4MultiplyTo(Mat4& out, const Mat4& a, const Mat4& b)
{
    out = Mat4Multiply(a, b);
}

bool Mat4Inverse(Mat4& out, const Mat4& m)
{
    float cofactors[16];
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            cofactors[column * 4 + row] = Cofactor(m, row, column);
    float determinant = 0.0f;
    for (int column = 0; column < 4; ++column)
        determinant += At(m, 0, column) * cofactors[column * 4];
    const float scale = 1.0f / determinant;
    if (determinant == 0.0f || !std::isfinite(scale) || !std::isfinite(determinant))
    {
        out = Mat4Identity();
        return false;
    }
    // The inverse is the transposed cofactor matrix over the determinant.
    Mat4 inverse;
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            inverse[column * 4 + row] = cofactors[row * 4 + column] * scale;
    out = inverse;
    return true;
}

void Mat4InverseRigid(Mat4& out, const Mat4& m)
{
    Mat4 inverse;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            inverse[column * 4 + row] = m[row * 4 + column];
    const Vec3 t = Mat4GetTranslation(m);
    for (int row = 0; row < 3; ++row)
        inverse[12 + row] = -(m[row * 4] * t.x + m[row * 4 + 1] * t.y + m[row * 4 + 2] * t.z);
    for (int i = 3; i < 16; i += 4)
        inverse[i] = m[i];
    out = inverse;
}

Vec4 Mat4TransformVec4(const Mat4& m, const Vec4& v)
{
    return Vec4(m[0] * v.x + m[4] * v.y + m[8] * v.z + m[12] * v.w,
                m[1] * v.x + m[5] * v.y + m[9] * v.z + m[13] * v.w,
                m[2] * v.x + m[6] * v.y + m[10] * v.z + m[14] * v.w,
                m[3] * v.x + m[7] * v.y + m[11] * v.z + m[15] * v.w);
}

Vec3 Mat4TransformPoint(const Mat4& m, const Vec3& p)
{
    return Vec3(m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12], m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13],
                m[2] * p.x + m[6] * p.y + m[10] * p.z + m[14]);
}

Vec3 Mat4TransformPointDivW(const Mat4& m, const Vec3& p)
{
    const Vec4 h = Mat4TransformVec4(m, Vec4(p.x, p.y, p.z, 1.0f));
    if (h.w == 0.0f)
        return Vec3(h.x, h.y, h.z);
    return Vec3(h.x / h.w, h.y / h.w, h.z / h.w);
}

Vec3 Mat4RotateVec3(const Mat4& m, const Vec3& v)
{
    return Vec3(m[0] * v.x + m[4] * v.y + m[8] * v.z, m[1] * v.x + m[5] * v.y + m[9] * v.z,
                m[2] * v.x + m[6] * v.y + m[10] * v.z);
}

Mat4 Mat4Frustum(float left, float right, float bottom, float top, float nearZ, float farZ)
{
    Mat4 m;
    for (float& element : m.m)
        element = 0.0f;
    m[0] = 2.0f * nearZ / (right - left);
    m[5] = 2.0f * nearZ / (top - bottom);
    m[8] = (right + left) / (right - left);
    m[9] = (top + bottom) / (top - bottom);
    m[10] = -(farZ + nearZ) / (farZ - nearZ);
    m[11] = -1.0f;
    m[14] = -2.0f * farZ * nearZ / (farZ - nearZ);
    return m;
}

Mat4 Mat4Perspective(float fovDegrees, float aspect, float nearZ, float farZ)
{
    const float top = std::tan(fovDegrees * kDegreesToRadians * 0.5f) * nearZ;
    const float bottom = -top;
    return Mat4Frustum(aspect * bottom, aspect * top, bottom, top, nearZ, farZ);
}

Mat4 Mat4Ortho(float left, float right, float bottom, float top, float nearZ, float farZ)
{
    Mat4 m;
    for (float& element : m.m)
        element = 0.0f;
    m[0] = 2.0f / (right - left);
    m[5] = 2.0f / (top - bottom);
    m[10] = 1.0f / (farZ - nearZ);
    m[12] = (left + right) / (left - right);
    m[13] = (bottom + top) / (bottom - top);
    m[14] = nearZ / (nearZ - farZ);
    m[15] = 1.0f;
    return m;
}

void Mat4SetRotationFromQuat(Mat4& m, float x, float y, float z, float w)
{
    m[0] = 1.0f - 2.0f * (y * y + z * z);
    m[1] = 2.0f * (x * y - z * w);
    m[2] = 2.0f * (x * z + y * w);
    m[4] = 2.0f * (x * y + z * w);
    m[5] = 1.0f - 2.0f * (x * x + z * z);
    m[6] = 2.0f * (y * z - x * w);
    m[8] = 2.0f * (x * z - y * w);
    m[9] = 2.0f * (y * z + x * w);
    m[10] = 1.0f - 2.0f * (x * x + y * y);
}

void Mat4SetRotationAxisAngle(Mat4& m, float angle, const Vec3& axis)
{
    Mat4SetRotation(m, Mat3FromAxisAngle(angle, axis));
}

void Mat4SetRotation(Mat4& m, const Mat3& rotation)
{
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 3; ++i)
            m[axis * 4 + i] = rotation[axis * 3 + i];
}

Mat3 Mat4GetRotation(const Mat4& m)
{
    Mat3 rotation;
    for (int axis = 0; axis < 3; ++axis)
        for (int i = 0; i < 3; ++i)
            rotation[axis * 3 + i] = m[axis * 4 + i];
    return rotation;
}

void Mat4ScaleDiagonal(Mat4& m, const Vec3& scale)
{
    m[0] *= scale.x;
    m[5] *= scale.y;
    m[10] *= scale.z;
}

void Mat4FromForwardUp(Mat4& m, const Vec3& forward, const Vec3& up)
{
    const Vec3 right = Vec3Normalized(Vec3Cross(up, forward));
    const Vec3 newUp = Vec3Cross(forward, right);
    const Vec3 axes[3] = {right, newUp, forward};
    for (int axis = 0; axis < 3; ++axis)
    {
        m[axis * 4] = axes[axis].x;
        m[axis * 4 + 1] = axes[axis].y;
        m[axis * 4 + 2] = axes[axis].z;
    }
}
