#pragma once
// The free camera: moved by pan, crane and dolly along its own axes, turned
// by yaw, pitch and roll (radians, gathered until the next Update), with a
// follow placement and a skew of the view's vertical axis.

#include "core/Mat4.h"
#include "core/Vec3.h"
#include "cross/CameraControllerBase.h"

class CameraController : public CameraControllerBase
{
public:
    CameraController();

    void SetCamera(CameraBase* camera) override;
    void Update() override;

    void Pan(float d) { m_position += m_right * d; }
    void Crane(float d) { m_position += m_up * d; }
    void Dolly(float d) { m_position += m_forward * d; }
    void Yaw(float radians) { m_yaw += radians; }
    void Pitch(float radians) { m_pitch += radians; }
    void Roll(float radians) { m_roll += radians; }
    void RotateCamera(float x, float y, float z);
    void MoveCamera(float x, float y, float z);

    void SetRotation(const Vec3& forward, const Vec3& up);
    // Degrees and a distance; an angle of 0 turns the skew off.
    void SetSkew(float angleDegrees, float distance);
    void SetPosition(const Vec3& position) { m_position = position; }
    // Looks along minus the direction from target + direction x distance;
    // `value` is the follow angle (radians about +Y) that the skew reads.
    void SetFollow(const Vec3& target, const Vec3& direction, float distance, float value);
    void ResetToDefault();

    const Vec3& GetRight() const { return m_right; }
    const Vec3& GetUp() const { return m_up; }
    const Vec3& GetForward() const { return m_forward; }
    const Vec3& GetPosition() const { return m_position; }
    float GetPendingYaw() const { return m_yaw; }
    float GetPendingPitch() const { return m_pitch; }
    float GetPendingRoll() const { return m_roll; }
    float GetSkewAngle() const { return m_skewAngle; }
    float GetSkewDistance() const { return m_skewDistance; }

    // Script-visible members.
    float m__MultipleObjectZoom = 0.0f;
    float m__MultipleObjectZoomMin = 0.0f;

private:
    // world = skew^-1 x world; a skew without an inverse (distance 0) is left out.
    void ApplySkew(Mat4& world) const;

    Vec3 m_right;
    Vec3 m_up;
    Vec3 m_forward;
    Vec3 m_position;
    float m_yaw = 0.0f;
    float m_pitch = 0.0f;
    float m_roll = 0.0f;
    float m_skewAngle = 0.0f;
    float m_skewDistance = 0.0f;
    Vec3 m_follow;
    Mat4 m_orientation;
};

// The controller bound to the global camera, for the whole run.
CameraController& GetGlobalCameraController();
