#include "cross/CameraBase.h"

#include <cmath>

CameraBase::CameraBase() : m_view(Mat4Identity()), m_world(Mat4Identity()) {}

void CameraBase::SetViewMatrix(const Mat4& world)
{
    Mat4 view;
    if (!Mat4Inverse(view, world))
        return;
    m_world = world;
    m_view = view;
}

bool CameraBase::WorldToView(const Vec3& point, float& x, float& y, float aspect) const
{
    const Mat4 projection = Mat4Multiply(Mat4Perspective(m_fov, aspect, 1.0f, 1000.0f), m_view);
    const Vec4 clip = Mat4TransformVec4(projection, Vec4(point.x, point.y, point.z, 1.0f));
    if (!(clip.w > 0.0f))
    {
        x = 0.0f;
        y = 0.0f;
        return false;
    }
    x = clip.x / clip.w;
    y = clip.y / clip.w;
    return true;
}

CameraBase& GetGlobalCamera()
{
    static CameraBase camera;
    return camera;
}

void CameraSetRotation(Mat4& m, const Vec3& zAxis, const Vec3& upHint)
{
    constexpr float kParallel = 1e-6f;
    Vec3 hint = upHint;
    if (Vec3LengthSquared(Vec3Cross(hint, zAxis)) < kParallel)
        hint = zAxis.y > 0.0f ? Vec3(0.0f, 0.0f, -1.0f) : Vec3(0.0f, 0.0f, 1.0f);
    if (Vec3LengthSquared(Vec3Cross(hint, zAxis)) < kParallel)
        hint = Vec3(0.0f, 1.0f, 0.0f);
    Mat4FromForwardUp(m, zAxis, hint);
}
