#pragma once
// What drives a camera: scripts make controllers, and the application steps
// the global one once per frame.

#include "core/Vec3.h"

class CameraBase;

class CameraControllerBase
{
public:
    virtual ~CameraControllerBase() = default;
    virtual void SetCamera(CameraBase* camera) { m_camera = camera; }
    virtual void Update() {}

    CameraBase* GetCamera() const { return m_camera; }
    // Forwarded to the camera; false (and nothing) without one.
    bool WorldToView(const Vec3& point, float& x, float& y, float aspect) const;
    void SetFOV(float degrees);

protected:
    CameraBase* m_camera = nullptr;
};
