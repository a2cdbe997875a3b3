#pragma once
// Catmull-Rom splines through p1 (t = 0) and p2 (t = 1), with p0 and p3
// giving the tangents, for camera and effect paths.

#include "core/Vec3.h"

float CatmullRom(float t, float p0, float p1, float p2, float p3);
// The derivative with respect to t.
float CatmullRomTangent(float t, float p0, float p1, float p2, float p3);
Vec3 CatmullRomVec3(float t, const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3);
Vec3 CatmullRomTangentVec3(float t, const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3);
