#include "core/Vec3.h"

#include "core/Random.h"

#include <cmath>

namespace
{
constexpr float kNormalizeMinLength = 1e-5f;
constexpr float kTwoPi = 6.28318530718f;
} // namespace

float Vec3Normalize(Vec3& v)
{
    const float length = Vec3Length(v);
    if (length > kNormalizeMinLength)
        v = Vec3(v.x / length, v.y / length, v.z / length);
    return length;
}

Vec3 Vec3Normalized(const Vec3& v)
{
    Vec3 copy = v;
    Vec3Normalize(copy);
    return copy;
}

float Vec3AngleBetween(const Vec3& a, const Vec3& b)
{
    const float lengths = Vec3Length(a) * Vec3Length(b);
    if (!(lengths > 0.0f))
        return 0.0f;
    // Rounding can push the cosine of parallel vectors just past 1.
    float cosine = Vec3Dot(a, b) / lengths;
    cosine = std::fmax(-1.0f, std::fmin(1.0f, cosine));
    return std::acos(cosine);
}

Vec3 Vec3RandomUnit()
{
    const float z = 2.0f * static_cast<float>(Rand()) / static_cast<float>(kRandMax) - 1.0f;
    const float angle = kTwoPi * static_cast<float>(Rand()) / static_cast<float>(kRandMax);
    const float ring = std::sqrt(1.0f - z * z);
    return Vec3(std::cos(angle) * ring, std::sin(angle) * ring, z);
}
