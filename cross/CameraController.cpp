#include "cross/CameraController.h"

#include "cross/CameraBase.h"

#include <cmath>

namespace
{
constexpr float kDegreesToRadians = 0.017453292f;

Mat4 RotationAbout(const Vec3& axis, float radians)
{
    Mat4 m = Mat4Identity();
    Mat4SetRotationAxisAngle(m, radians, axis);
    return m;
}

Vec3 Column(const Mat4& m, int column)
{
    return Vec3(m[column * 4], m[column * 4 + 1], m[column * 4 + 2]);
}
} // namespace

CameraController::CameraController()
{
    ResetToDefault();
}

void CameraController::ResetToDefault()
{
    m_right = Vec3(1.0f, 0.0f, 0.0f);
    m_up = Vec3(0.0f, 1.0f, 0.0f);
    m_forward = Vec3(0.0f, 0.0f, -1.0f);
    m_position = Vec3(0.0f, 0.0f, 0.0f);
    m_yaw = m_pitch = m_roll = 0.0f;
    m_skewAngle = m_skewDistance = 0.0f;
    m_follow = Vec3(0.0f, 0.0f, 0.0f);
    m__MultipleObjectZoom = m__MultipleObjectZoomMin = 0.0f;
    m_orientation = Mat4Identity();
}

void CameraController::SetCamera(CameraBase* camera)
{
    m_camera = camera;
    m_orientation = Mat4Identity();
}

void CameraController::RotateCamera(float x, float y, float z)
{
    Pitch(x);
    Yaw(y);
    Roll(z);
}

void CameraController::MoveCamera(float x, float y, float z)
{
    Pan(x);
    Crane(y);
    Dolly(z);
}

void CameraController::SetRotation(const Vec3& forward, const Vec3& up)
{
    CameraSetRotation(m_orientation, forward, up);
}

void CameraController::SetSkew(float angleDegrees, float distance)
{
    m_skewAngle = angleDegrees;
    m_skewDistance = distance;
}

void CameraController::SetFollow(const Vec3& target, const Vec3& direction, float distance, float value)
{
    Vec3 unit = direction;
    Vec3Normalize(unit);
    SetRotation(unit, Vec3(0.0f, 1.0f, 0.0f));
    m_follow.y = value;
    m_position = target + unit * distance;
}

void CameraController::ApplySkew(Mat4& world) const
{
    const float a = m_skewAngle * kDegreesToRadians;
    Mat4 k = Mat4Identity();
    k[4] = 0.0f;
    k[5] = std::cos(a) * m_skewDistance;
    k[6] = -std::sin(a) * m_skewDistance;
    k[7] = 0.0f;
    const Mat4 p = Mat4Multiply(RotationAbout(Vec3(0.0f, 1.0f, 0.0f), m_follow.y), k);
    Mat4 q = Mat4Identity();
    q[4] = p[4];
    q[5] = p[5];
    q[6] = p[6];
    q[7] = 0.0f;
    Mat4 inverse;
    if (Mat4Inverse(inverse, q))
        world = Mat4Multiply(inverse, world);
}

void CameraController::Update()
{
    const Mat4 yaw = RotationAbout(-m_up, m_yaw);
    const Mat4 pitch = RotationAbout(m_right, m_pitch);
    const Mat4 roll = RotationAbout(m_forward, m_roll);
    m_yaw = m_pitch = m_roll = 0.0f;
    m_orientation = Mat4Multiply(yaw, Mat4Multiply(pitch, Mat4Multiply(roll, m_orientation)));
    Mat4 world = m_orientation;
    Mat4SetTranslation(world, m_position);
    // A NaN angle counts as set, as any angle that is not 0 does.
    if (!(m_skewAngle == 0.0f))
        ApplySkew(world);
    if (m_camera)
        m_camera->SetViewMatrix(world);
    m_right = Column(world, 0);
    m_up = Column(world, 1);
    m_forward = -Column(world, 2);
    Vec3Normalize(m_right);
    Vec3Normalize(m_up);
    Vec3Normalize(m_forward);
}

namespace
{
struct GlobalCameraController : CameraController
{
    GlobalCameraController() { SetCamera(&GetGlobalCamera()); }
};
} // namespace

CameraController& GetGlobalCameraController()
{
    static GlobalCameraController controller;
    return controller;
}
