#include "core/CatmullRom.h"

// Both are the cubic Hermite form with tangents half the chord across each end.

float CatmullRom(float t, float p0, float p1, float p2, float p3)
{
    const float m1 = (p2 - p0) * 0.5f;
    const float m2 = (p3 - p1) * 0.5f;
    const float u = 1.0f - t;
    return (1.0f + 2.0f * t) * u * u * p1 + t * u * u * m1 + t * t * (3.0f - 2.0f * t) * p2 +
           t * t * (t - 1.0f) * m2;
}

float CatmullRomTangent(float t, float p0, float p1, float p2, float p3)
{
    const float m1 = (p2 - p0) * 0.5f;
    const float m2 = (p3 - p1) * 0.5f;
    const float tt = t * t;
    return (6.0f * tt - 6.0f * t) * p1 + (1.0f - 4.0f * t + 3.0f * tt) * m1 + (6.0f * t - 6.0f * tt) * p2 +
           (3.0f * tt - 2.0f * t) * m2;
}

Vec3 CatmullRomVec3(float t, const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3)
{
    return Vec3(CatmullRom(t, p0.x, p1.x, p2.x, p3.x), CatmullRom(t, p0.y, p1.y, p2.y, p3.y),
                CatmullRom(t, p0.z, p1.z, p2.z, p3.z));
}

Vec3 CatmullRomTangentVec3(float t, const Vec3& p0, const Vec3& p1, const Vec3& p2, const Vec3& p3)
{
    return Vec3(CatmullRomTangent(t, p0.x, p1.x, p2.x, p3.x), CatmullRomTangent(t, p0.y, p1.y, p2.y, p3.y),
                CatmullRomTangent(t, p0.z, p1.z, p2.z, p3.z));
}
