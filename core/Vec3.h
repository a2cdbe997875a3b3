#pragma once
// The engine's vector of three 32-bit floats and the operations over it.
// Functions named ...Into/...Copy write to their first argument; the others
// return their result or, where the name says so, change the vector in place.

#include <cmath>

struct Vec3
{
    float x, y, z;

    // Left unset on purpose: pools of vectors are filled before use.
    Vec3() = default;
    constexpr Vec3(float x_, float y_, float z_) : x(x_), y(y_), z(z_) {}

    float Vec3DotMember(const Vec3& other) const { return x * other.x + y * other.y + z * other.z; }
};

// Scripts view the axes of a matrix as vectors in place, so the layout must stay three packed floats.
static_assert(sizeof(Vec3) == 3 * sizeof(float), "Vec3 must be three packed floats");

inline Vec3 operator+(const Vec3& a, const Vec3& b)
{
    return Vec3(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return Vec3(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline Vec3 operator-(const Vec3& v)
{
    return Vec3(-v.x, -v.y, -v.z);
}
inline Vec3 operator*(const Vec3& v, float s)
{
    return Vec3(v.x * s, v.y * s, v.z * s);
}
inline Vec3 operator*(float s, const Vec3& v)
{
    return Vec3(s * v.x, s * v.y, s * v.z);
}
inline Vec3& operator+=(Vec3& v, const Vec3& w)
{
    return v = v + w;
}
inline Vec3& operator-=(Vec3& v, const Vec3& w)
{
    return v = v - w;
}
inline Vec3& operator*=(Vec3& v, float s)
{
    return v = v * s;
}

inline void Vec3Set(Vec3& v, float x, float y, float z)
{
    v = Vec3(x, y, z);
}
inline void Vec3Copy(Vec3& out, const Vec3& v)
{
    out = v;
}
inline void Vec3Add(Vec3& v, const Vec3& w)
{
    v += w;
}
inline Vec3 Vec3Sum(const Vec3& a, const Vec3& b)
{
    return a + b;
}
inline Vec3 Vec3Subtract(const Vec3& a, const Vec3& b)
{
    return a - b;
}
inline void Vec3Negate(Vec3& v)
{
    v = -v;
}

inline Vec3 Vec3MulScalar(const Vec3& v, float s)
{
    return v * s;
}
inline void Vec3ScaledCopy(Vec3& out, float s, const Vec3& v)
{
    out = s * v;
}
inline void Vec3ScaleInPlace(Vec3& v, float s)
{
    v *= s;
}
inline void Vec3MulAdd(Vec3& v, const Vec3& w, float s)
{
    v += w * s;
}
inline void Vec3MulAdd(Vec3& v, const Vec3& w, const Vec3& s)
{
    v += Vec3(w.x * s.x, w.y * s.y, w.z * s.z);
}

inline float Vec3Dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Vec3Cross(const Vec3& a, const Vec3& b)
{
    return Vec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline void Vec3CrossInto(Vec3& out, const Vec3& a, const Vec3& b)
{
    out = Vec3Cross(a, b);
}

inline float Vec3LengthSquared(const Vec3& v)
{
    return Vec3Dot(v, v);
}
inline float Vec3Length(const Vec3& v)
{
    return std::sqrt(Vec3LengthSquared(v));
}

// Vectors of length 1e-5 or less are left as they are rather than blown up
// into noise; the former length is returned so callers can tell.
float Vec3Normalize(Vec3& v);
Vec3 Vec3Normalized(const Vec3& v);

inline bool Vec3Equals(const Vec3& a, const Vec3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool Vec3NotEqual(const Vec3& a, const Vec3& b)
{
    return !Vec3Equals(a, b);
}

inline Vec3 Vec3Lerp(const Vec3& a, const Vec3& b, float t)
{
    return (1.0f - t) * a + t * b;
}

// Radians; 0 when either vector has no length.
float Vec3AngleBetween(const Vec3& a, const Vec3& b);

// Mirrors v about the unit vector n.
inline Vec3 Vec3Reflect(const Vec3& n, const Vec3& v)
{
    return (2.0f * Vec3Dot(n, v)) * n - v;
}

// A direction drawn from the engine's random generator (two draws: z, then the angle).
Vec3 Vec3RandomUnit();

// A segment, or a ray (origin, direction).
struct Vec3Pair
{
    Vec3 first;
    Vec3 second;
};

inline void Vec3PairInit(Vec3Pair& pair, const Vec3& first, const Vec3& second)
{
    pair.first = first;
    pair.second = second;
}
inline void Vec3PairCopy(Vec3Pair& out, const Vec3Pair& pair)
{
    out = pair;
}
