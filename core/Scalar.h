#pragma once
// Scalar helpers shared by the vector, matrix and spline code.

#include <cmath>
#include <cstdint>
#include <limits>

inline float FloatSqrt(float x)
{
    return std::sqrt(x);
}

// The parameter comes first, unlike Vec3Lerp; callers rely on that order.
inline float ScalarLerp(float t, float a, float b)
{
    return (1.0f - t) * a + t * b;
}

// Decimal digits up to the first non-digit; null gives 0. A value beyond the
// 64-bit range saturates at the largest value instead of wrapping into a
// different, valid-looking number.
uint64_t ParseUInt64(const char* text);

// Integer sums and float conversions of values a script may give: beyond the
// int range they saturate at the nearer end instead of overflowing.
inline int SaturatingIntFrom64(int64_t value)
{
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

inline int SaturatingAdd(int a, int b)
{
    return SaturatingIntFrom64(int64_t(a) + int64_t(b));
}

// NaN gives 0; the fraction is cut off toward zero as by a cast.
inline int SaturatingIntFromFloat(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return std::numeric_limits<int>::max();
    if (value < -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}
