#pragma once
// Scalar helpers shared by the vector, matrix and spline code.

#include <cmath>
#include <cstdint>

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
