#pragma once
// Two floats: front-end offsets and the 2D line tests.

#include <cmath>

struct Vec2
{
    float x, y;

    Vec2() = default;
    constexpr Vec2(float x_, float y_) : x(x_), y(y_) {}
};

inline Vec2 operator+(const Vec2& a, const Vec2& b)
{
    return Vec2(a.x + b.x, a.y + b.y);
}
inline Vec2 operator-(const Vec2& a, const Vec2& b)
{
    return Vec2(a.x - b.x, a.y - b.y);
}
inline Vec2 operator*(const Vec2& v, float s)
{
    return Vec2(v.x * s, v.y * s);
}

inline float Vec2Length(const Vec2& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y);
}

// The z component of the 3D cross product of (a, 0) and (b, 0).
inline float Vec2Cross(const Vec2& a, const Vec2& b)
{
    return a.x * b.y - a.y * b.x;
}
