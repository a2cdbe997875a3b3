#pragma once
// The eye of every frame: a field of view and the view matrix, the inverse
// of the camera's world matrix.

#include "core/Mat4.h"
#include "core/Vec3.h"

class CameraBase
{
public:
    CameraBase();
    virtual ~CameraBase() = default;

    const Mat4& GetViewMatrix() const { return m_view; }
    const Mat4& GetWorldMatrix() const { return m_world; }
    // Stores the camera's world matrix and makes the view its inverse. A
    // world matrix without an inverse leaves the camera as it was.
    void SetViewMatrix(const Mat4& world);
    float GetFOV() const { return m_fov; }
    void SetFOV(float degrees) { m_fov = degrees; }

    // The point projected by the camera's perspective (near 1.0, far 1000.0)
    // and view, divided by w, into screen x and y (-1 to 1 across the view).
    // False when the point lies on or behind the eye plane: its x and y then
    // say nothing about the screen.
    bool WorldToView(const Vec3& point, float& x, float& y, float aspect) const;

private:
    float m_fov = 30.0f;
    Mat4 m_view;
    Mat4 m_world;
};

// The frame's camera, for the whole run.
CameraBase& GetGlobalCamera();

// A rotation whose z axis is `zAxis` (unit length) and whose y axis leans to
// the up hint. When the two are parallel (a camera looking straight up or
// down) the hint is replaced by the horizontal axis the camera would have
// on its way there, so the rotation stays whole. Translation untouched.
void CameraSetRotation(Mat4& m, const Vec3& zAxis, const Vec3& upHint);
