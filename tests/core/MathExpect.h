#pragma once
// Comparisons of math values with a tolerance, for the math tests.

#include "core/Mat4.h"
#include "core/Vec3.h"

#include <gtest/gtest.h>

inline ::testing::AssertionResult Vec3Near(const Vec3& actual, const Vec3& expected, float tolerance = 1e-5f)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") is not within " << tolerance
           << " of (" << expected.x << ", " << expected.y << ", " << expected.z << ")";
}

inline ::testing::AssertionResult Mat4Near(const Mat4& actual, const Mat4& expected, float tolerance = 1e-5f)
{
    for (int i = 0; i < 16; ++i)
        if (!(std::fabs(actual[i] - expected[i]) <= tolerance))
            return ::testing::AssertionFailure()
                   << "element " << i << " is " << actual[i] << ", expected " << expected[i];
    return ::testing::AssertionSuccess();
}

inline Mat4 Mat4FromElements(const float (&elements)[16])
{
    Mat4 m;
    for (int i = 0; i < 16; ++i)
        m[i] = elements[i];
    return m;
}
