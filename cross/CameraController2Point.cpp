#include "cross/CameraController2Point.h"

#include "core/Mat4.h"
#include "cross/CameraBase.h"

void CameraController2Point::SetPoints(const Vec3& from, const Vec3& to)
{
    Vec3 back = from - to;
    if (!m_camera || Vec3Normalize(back) <= 1e-5f)
        return;
    Mat4 world = Mat4Identity();
    CameraSetRotation(world, back, Vec3(0.0f, 1.0f, 0.0f));
    Mat4SetTranslation(world, from);
    m_camera->SetViewMatrix(world);
}
