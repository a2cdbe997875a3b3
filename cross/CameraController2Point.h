#pragma once
// A camera placed at one point and looking at another.

#include "cross/CameraControllerBase.h"

class CameraController2Point : public CameraControllerBase
{
public:
    // Equal points give no direction to look in: the camera stays as it was.
    void SetPoints(const Vec3& from, const Vec3& to);
};
