#include "MathExpect.h"

#include "core/CatmullRom.h"

namespace
{
TEST(CatmullRom, PassesThroughTheInnerPoints)
{
    EXPECT_FLOAT_EQ(CatmullRom(0.0f, 5, 1, 3, 8), 1.0f);
    EXPECT_FLOAT_EQ(CatmullRom(1.0f, 5, 1, 3, 8), 3.0f);
    // Evenly spaced points give a straight, evenly paced line.
    EXPECT_FLOAT_EQ(CatmullRom(0.25f, 0, 1, 2, 3), 1.25f);
    EXPECT_FLOAT_EQ(CatmullRom(0.5f, 0, 0, 1, 1), 0.5f);
}

TEST(CatmullRom, TangentIsTheDerivative)
{
    // At the ends the tangents are half the chords across them.
    EXPECT_FLOAT_EQ(CatmullRomTangent(0.0f, 5, 1, 3, 8), -1.0f);
    EXPECT_FLOAT_EQ(CatmullRomTangent(1.0f, 5, 1, 3, 8), 3.5f);
    for (const float t : {0.1f, 0.4f, 0.75f})
    {
        const float h = 1e-3f;
        const float slope = (CatmullRom(t + h, 5, 1, 3, 8) - CatmullRom(t - h, 5, 1, 3, 8)) / (2 * h);
        EXPECT_NEAR(CatmullRomTangent(t, 5, 1, 3, 8), slope, 1e-2f);
    }
}

TEST(CatmullRom, VectorFormsWorkPerComponent)
{
    const Vec3 p0(0, 5, -1), p1(1, 1, 0), p2(2, 3, 1), p3(3, 8, 2);
    EXPECT_TRUE(Vec3Near(CatmullRomVec3(0.0f, p0, p1, p2, p3), p1));
    EXPECT_TRUE(Vec3Near(CatmullRomVec3(1.0f, p0, p1, p2, p3), p2));
    EXPECT_TRUE(Vec3Near(
        CatmullRomVec3(0.3f, p0, p1, p2, p3),
        Vec3(CatmullRom(0.3f, 0, 1, 2, 3), CatmullRom(0.3f, 5, 1, 3, 8), CatmullRom(0.3f, -1, 0, 1, 2))));
    EXPECT_TRUE(Vec3Near(CatmullRomTangentVec3(0.0f, p0, p1, p2, p3), Vec3(1, -1, 1)));
}
} // namespace
