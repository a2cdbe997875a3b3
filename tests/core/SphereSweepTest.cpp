#include "MathExpect.h"

#include "core/Geometry.h"
#include "core/SphereSweep.h"

#include <cfloat>
#include <cmath>
#include <random>

namespace
{
// In the plane y = 0, facing +y; the edge from the third corner back to the
// first runs along the x axis.
const Vec3 kTriangle[3] = {{0, 0, 0}, {0, 0, 4}, {4, 0, 0}};
const Vec3 kUp(0, 1, 0);
const Vec3 kDown(0, -5, 0);
const float kHalfRoot3 = std::sqrt(0.75f);

struct SweepCase
{
    const char* what;
    Vec4 sphere;
    Vec3 motion;
    bool hit;
    float distance;
    Vec3 normal;
};

void CheckSweeps(const Vec3 triangle[3], const SweepCase* cases, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const SweepCase& c = cases[i];
        float distance = -1.0f;
        Vec3 normal(9, 9, 9);
        EXPECT_EQ(SphereSweepTriangle(triangle, kUp, c.sphere, c.motion, &distance, &normal), c.hit)
            << c.what;
        if (c.hit)
        {
            EXPECT_NEAR(distance, c.distance, 1e-5f) << c.what;
            EXPECT_TRUE(Vec3Near(normal, c.normal)) << c.what;
        }
        else
        {
            EXPECT_EQ(distance, FLT_MAX) << c.what;
        }
    }
}

TEST(SphereSweep, FaceEdgeAndCornerContacts)
{
    const float r2 = std::sqrt(0.5f);
    const SweepCase cases[] = {
        {"face", {1, 3, 1, 1}, kDown, true, 2, {0, 1, 0}},
        {"face, long motion", {1, 3, 1, 1}, {0, -100, 0}, true, 2, {0, 1, 0}},
        {"face, slanted motion", {0.5f, 3, 1, 1}, {1, -1, 0}, true, 2 * std::sqrt(2.0f), {0, 1, 0}},
        {"edge", {2, 3, -0.5f, 1}, kDown, true, 3 - kHalfRoot3, {0, kHalfRoot3, -0.5f}},
        {"corner", {-0.5f, 3, -0.5f, 1}, kDown, true, 3 - r2, {-0.5f, r2, -0.5f}},
        {"miss beside", {-2, 3, 1, 1}, kDown, false, 0, {}},
        {"miss beyond the far edge", {3, 3, 3, 1}, kDown, false, 0, {}},
    };
    CheckSweeps(kTriangle, cases, sizeof cases / sizeof cases[0]);
}

// Ties come from touching at one point (an edge's end, or where the face meets
// an edge); the later edge is taken, with the same distance and normal.
TEST(SphereSweep, TiesBetweenFaceEdgeAndCorner)
{
    const SweepCase cases[] = {
        {"edge end and corner", {0, 3, -0.5f, 1}, kDown, true, 3 - kHalfRoot3, {0, kHalfRoot3, -0.5f}},
        {"face and edge", {2, 3, 0, 1}, kDown, true, 2, {0, 1, 0}},
        {"face, corner and two edges", {0, 3, 0, 1}, kDown, true, 2, {0, 1, 0}},
    };
    CheckSweeps(kTriangle, cases, sizeof cases / sizeof cases[0]);
}

TEST(SphereSweep, StartingAcrossThePlane)
{
    const Vec3 large[3] = {{0, 0, 0}, {0, 0, 10}, {10, 0, 0}};
    const float d = 0.9f * std::sqrt(0.5f);
    const float rise = std::sqrt(1.0f - 0.81f);
    const SweepCase cases[] = {
        // Reaching the plane already: the face cannot stop it, only its rim.
        {"over the face", {3, 0.5f, 3, 1}, kDown, false, 0, {}},
        {"centre behind the plane", {3, -0.5f, 3, 1}, kDown, false, 0, {}},
        {"stopped by an edge", {2, 0.5f, -0.9f, 1}, kDown, true, 0.5f - rise, {0, rise, -0.9f}},
        {"stopped by a corner", {-d, 0.5f, -d, 1}, kDown, true, 0.5f - rise, {-d, rise, -d}},
        // The corner is already inside the sphere.
        {"corner inside", {-0.5f, 0.5f, -0.5f, 1}, kDown, false, 0, {}},
        {"wholly behind", {3, -3, 3, 1}, kDown, false, 0, {}},
    };
    CheckSweeps(large, cases, sizeof cases / sizeof cases[0]);
}

TEST(SphereSweep, OnlyMotionIntoTheFaceHits)
{
    const SweepCase cases[] = {
        // Parallel to the face, even through an edge.
        {"parallel", {-3, 0.5f, 1, 1}, {5, 0, 0}, false, 0, {}},
        {"away", {1, 3, 1, 1}, {0, 5, 0}, false, 0, {}},
        {"no motion", {1, 3, 1, 1}, {0, 0, 0}, false, 0, {}},
        {"grazing", {1, 3, 1, 1}, {1, -0.0009f, 0}, false, 0, {}},
    };
    CheckSweeps(kTriangle, cases, sizeof cases / sizeof cases[0]);
}

TEST(SphereSweep, NormalIsOptional)
{
    float distance = 0;
    EXPECT_TRUE(SphereSweepTriangle(kTriangle, kUp, Vec4(1, 3, 1, 1), kDown, &distance, nullptr));
    EXPECT_FLOAT_EQ(distance, 2.0f);
}

// The distance from a moving centre to the triangle is convex in the travel,
// so the first touch can be found by search and compared with the sweep.
float FirstTouch(const Vec3 triangle[3], const Vec4& sphere, const Vec3& direction, float limit,
                 float* closest)
{
    const Vec3 centre(sphere.x, sphere.y, sphere.z);
    auto gap = [&](float t)
    {
        const Vec3 at = centre + t * direction;
        return Vec3Length(at - ClosestPointOnTriangle(at, triangle[0], triangle[1], triangle[2])) - sphere.w;
    };
    float low = 0.0f, high = limit;
    for (int i = 0; i < 100; ++i)
    {
        const float a = low + (high - low) / 3, b = high - (high - low) / 3;
        if (gap(a) < gap(b))
            high = b;
        else
            low = a;
    }
    const float nearest = 0.5f * (low + high);
    *closest = gap(nearest);
    if (*closest > 0.0f)
        return FLT_MAX;
    low = 0.0f;
    high = nearest;
    for (int i = 0; i < 60; ++i)
    {
        const float mid = 0.5f * (low + high);
        (gap(mid) > 0.0f ? low : high) = mid;
    }
    return high;
}

TEST(SphereSweep, AgreesWithASearchForTheFirstTouch)
{
    std::mt19937 generator(12345);
    std::uniform_real_distribution<float> spread(-3.0f, 3.0f);
    const Vec3 triangle[3] = {{-1, 0.2f, -1}, {0.5f, -0.3f, 2}, {2, 0.4f, -0.5f}};
    const Vec3 normal = TriangleNormal(triangle[0], triangle[1], triangle[2]);
    int hits = 0, compared = 0;
    for (int i = 0; i < 3000; ++i)
    {
        const Vec4 sphere(spread(generator), spread(generator), spread(generator),
                          0.3f + 0.2f * std::fabs(spread(generator)));
        const Vec3 centre(sphere.x, sphere.y, sphere.z);
        // Aimed near the triangle, so that most sweeps touch it somewhere.
        const Vec3 target(0.5f + spread(generator) * 0.7f, 0.5f * spread(generator),
                          0.5f + spread(generator) * 0.7f);
        const Vec3 direction = Vec3Normalized(target - centre);
        const Vec3 start = ClosestPointOnTriangle(centre, triangle[0], triangle[1], triangle[2]);
        if (Vec3Length(centre - start) < sphere.w + 1e-3f || Vec3Dot(normal, direction) > -0.01f)
            continue;
        float closest = 0;
        const float expected = FirstTouch(triangle, sphere, direction, 20.0f, &closest);
        if (std::fabs(closest) < 1e-3f)
            continue; // grazing: either answer is right
        ++compared;
        float distance = 0;
        Vec3 contact;
        const bool hit = SphereSweepTriangle(triangle, normal, sphere, direction * 3.0f, &distance, &contact);
        ASSERT_EQ(hit, expected != FLT_MAX) << "case " << i;
        if (!hit)
            continue;
        ++hits;
        EXPECT_NEAR(distance, expected, 1e-3f) << "case " << i;
        const Vec3 at = centre + distance * direction;
        const Vec3 touched = ClosestPointOnTriangle(at, triangle[0], triangle[1], triangle[2]);
        EXPECT_TRUE(Vec3Near(contact, Vec3Normalized(at - touched), 2e-2f)) << "case " << i;
    }
    EXPECT_GT(compared, 500);
    EXPECT_GT(hits, 500);
}
} // namespace
