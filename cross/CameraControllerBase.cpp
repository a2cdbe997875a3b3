#include "cross/CameraControllerBase.h"

#include "cross/CameraBase.h"

bool CameraControllerBase::WorldToView(const Vec3& point, float& x, float& y, float aspect) const
{
    return m_camera && m_camera->WorldToView(point, x, y, aspect);
}

void CameraControllerBase::SetFOV(float degrees)
{
    if (m_camera)
        m_camera->SetFOV(degrees);
}
