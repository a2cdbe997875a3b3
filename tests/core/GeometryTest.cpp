#include "MathExpect.h"

#include "core/Geometry.h"

#include <limits>

namespace
{
const float kNan = std::numeric_limits<float>::quiet_NaN();

// In the plane y = 0, facing +y.
const Vec3 kTriangle[3] = {{0, 0, 0}, {0, 0, 4}, {4, 0, 0}};

TEST(Geometry, PlaneFromNormalPointNormalisesTheNormal)
{
    const Vec4 plane = PlaneFromNormalPoint(Vec3(0, 2, 0), Vec3(5, 3, -1));
    EXPECT_FLOAT_EQ(plane.y, 1.0f);
    EXPECT_FLOAT_EQ(plane.w, -3.0f);
    EXPECT_FLOAT_EQ(PlaneDistance(plane, Vec3(0, 10, 0)), 7.0f);
    EXPECT_TRUE(Vec3Near(PlaneProjectPoint(plane, Vec3(1, 10, 2)), Vec3(1, 3, 2)));
}

TEST(Geometry, TriangleNormalFollowsTheWinding)
{
    EXPECT_TRUE(Vec3Near(TriangleNormal(kTriangle[0], kTriangle[1], kTriangle[2]), Vec3(0, 1, 0)));
    EXPECT_TRUE(Vec3Near(TriangleNormal(kTriangle[0], kTriangle[2], kTriangle[1]), Vec3(0, -1, 0)));
    EXPECT_TRUE(Vec3Equals(TriangleNormal(Vec3(1, 1, 1), Vec3(2, 2, 2), Vec3(3, 3, 3)), Vec3(0, 0, 0)));
}

TEST(Geometry, PointLineDistanceUsesTheInfiniteLine)
{
    const struct
    {
        Vec3 p, a, b;
        float distanceSquared;
        Vec3 closest;
    } cases[] = {
        {{1, 2, 0}, {0, 0, 0}, {4, 0, 0}, 4, {1, 0, 0}},
        {{7, 0, 3}, {0, 0, 0}, {4, 0, 0}, 9, {7, 0, 0}},
        {{-2, 1, 0}, {0, 0, 0}, {1, 1, 0}, 4.5f, {-0.5f, -0.5f, 0}},
        // A line of one point: the distance to that point, not NaN.
        {{3, 4, 0}, {0, 0, 0}, {0, 0, 0}, 25, {0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        Vec3 closest(kNan, kNan, kNan);
        EXPECT_FLOAT_EQ(PointLineDistanceSquared(c.p, c.a, c.b, &closest), c.distanceSquared);
        EXPECT_TRUE(Vec3Near(closest, c.closest));
        EXPECT_FLOAT_EQ(PointLineDistance(c.p, c.a, c.b), std::sqrt(c.distanceSquared));
    }
}

TEST(Geometry, ClosestPointOnTriangleCoversFaceEdgesAndCorners)
{
    const struct
    {
        Vec3 p, closest;
    } cases[] = {
        {{1, 5, 1}, {1, 0, 1}},  {{-1, 2, -1}, {0, 0, 0}}, {{-1, 0, 6}, {0, 0, 4}}, {{6, -3, -1}, {4, 0, 0}},
        {{2, 1, -3}, {2, 0, 0}}, {{-2, 0, 1}, {0, 0, 1}},  {{3, 0, 3}, {2, 0, 2}},  {{0, 0, 0}, {0, 0, 0}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(
            Vec3Near(ClosestPointOnTriangle(c.p, kTriangle[0], kTriangle[1], kTriangle[2]), c.closest))
            << c.p.x << ", " << c.p.y << ", " << c.p.z;
}

TEST(Geometry, ClosestPointOnAFlatTriangleUsesItsEdges)
{
    const Vec3 a(0, 0, 0), b(2, 0, 0), c(4, 0, 0);
    EXPECT_TRUE(Vec3Near(ClosestPointOnTriangle(Vec3(1, 3, 0), a, b, c), Vec3(1, 0, 0)));
    EXPECT_TRUE(Vec3Near(ClosestPointOnTriangle(Vec3(6, 1, 0), a, b, c), Vec3(4, 0, 0)));
    EXPECT_TRUE(Vec3Near(ClosestPointOnTriangle(Vec3(1, 3, 0), a, a, a), a));
}

TEST(Geometry, PointInTriangleIncludesTheEdges)
{
    const struct
    {
        Vec3 p;
        bool inside;
    } cases[] = {
        {{1, 0, 1}, true},      {{1, 9, 1}, true},      {{0, 0, 0}, true},
        {{2, 0, 2}, true},      {{0, 0, 2}, true},      {{3, 0, 3}, false},
        {{-0.1f, 0, 1}, false}, {{1, 0, -0.1f}, false}, {{5, 0, 0}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PointInTriangle(kTriangle[0], kTriangle[1], kTriangle[2], c.p), c.inside)
            << c.p.x << ", " << c.p.y << ", " << c.p.z;
    EXPECT_FALSE(PointInTriangle(Vec3(0, 0, 0), Vec3(1, 0, 0), Vec3(2, 0, 0), Vec3(1, 0, 0)));
}

TEST(Geometry, RayTriangleIntersectHitsOnlyTheFrontFace)
{
    const struct
    {
        Vec3 origin, direction;
        bool hit;
        float t;
    } cases[] = {
        {{1, 5, 1}, {0, -1, 0}, true, 5},  {{1, 5, 1}, {0, -2, 0}, true, 2.5f},
        {{0, 3, 0}, {0, -1, 0}, true, 3},  {{1, 0, 1}, {0, -1, 0}, true, 0},
        {{1, -5, 1}, {0, 1, 0}, false, 0}, {{1, 5, 1}, {0, 1, 0}, false, 0},
        {{3, 5, 3}, {0, -1, 0}, false, 0}, {{-1, 1, 1}, {1, 0, 0}, false, 0},
        {{1, 5, 1}, {0, 0, 0}, false, 0},
    };
    for (const auto& c : cases)
    {
        Vec3Pair ray;
        Vec3PairInit(ray, c.origin, c.direction);
        float t = -1.0f;
        EXPECT_EQ(RayTriangleIntersect(kTriangle, ray, &t), c.hit) << c.origin.y << " " << c.direction.y;
        if (c.hit)
        {
            EXPECT_FLOAT_EQ(t, c.t);
        }
    }
}

TEST(Geometry, SphereTriangleOverlapIncludesTouching)
{
    EXPECT_TRUE(SphereTriangleOverlap(kTriangle, Vec4(1, 1, 1, 1)));
    EXPECT_TRUE(SphereTriangleOverlap(kTriangle, Vec4(-1, 0, -1, 1.5f)));
    EXPECT_FALSE(SphereTriangleOverlap(kTriangle, Vec4(1, 1.01f, 1, 1)));
    EXPECT_FALSE(SphereTriangleOverlap(kTriangle, Vec4(3, 0, 3, 1)));
}

TEST(Geometry, LineSphereIntersectRoots)
{
    const Vec4 sphere(0, 0, 0, 2);
    int count = -1;
    float t1 = 0, t2 = 0;
    ASSERT_TRUE(LineSphereIntersect(sphere, Vec3(-4, 0, 0), Vec3(-3, 0, 0), &count, &t1, &t2));
    EXPECT_EQ(count, 2);
    EXPECT_FLOAT_EQ(t1, 6.0f);
    EXPECT_FLOAT_EQ(t2, 2.0f);

    ASSERT_TRUE(LineSphereIntersect(sphere, Vec3(-4, 2, 0), Vec3(0, 2, 0), &count, &t1, &t2));
    EXPECT_EQ(count, 1);
    EXPECT_FLOAT_EQ(t1, 1.0f);

    EXPECT_FALSE(LineSphereIntersect(sphere, Vec3(-4, 3, 0), Vec3(0, 3, 0), &count, &t1, &t2));
    EXPECT_EQ(count, 0);
    // A line of no length has no direction: no hit rather than NaN roots,
    // even from inside the sphere.
    EXPECT_FALSE(LineSphereIntersect(sphere, Vec3(1, 0, 0), Vec3(1, 0, 0), &count, &t1, &t2));
    EXPECT_EQ(count, 0);
}

TEST(Geometry, LineCrossParameter)
{
    float t = -1;
    ASSERT_TRUE(LineCrossParameter(Vec2(0, 0), Vec2(2, 0), Vec2(3, -1), Vec2(3, 1), &t));
    EXPECT_FLOAT_EQ(t, 1.5f);
    ASSERT_TRUE(LineCrossParameter(Vec2(0, 0), Vec2(1, 1), Vec2(-2, 0), Vec2(-2, 5), &t));
    EXPECT_FLOAT_EQ(t, -2.0f);
    EXPECT_FALSE(LineCrossParameter(Vec2(0, 0), Vec2(1, 0), Vec2(0, 1), Vec2(5, 1), &t));
    EXPECT_FALSE(LineCrossParameter(Vec2(0, 0), Vec2(kNan, 0), Vec2(0, 1), Vec2(5, 1), &t));
    EXPECT_FALSE(LineCrossParameter(Vec2(0, 0), Vec2(0, 0), Vec2(0, 1), Vec2(5, 1), &t));
}

TEST(Geometry, Segment2DIntersectIncludesTheEnds)
{
    const struct
    {
        Vec2 a, b, c, d;
        bool hit;
        Vec2 point;
    } cases[] = {
        {{0, 0}, {2, 2}, {0, 2}, {2, 0}, true, {1, 1}},   {{0, 0}, {2, 0}, {2, -1}, {2, 1}, true, {2, 0}},
        {{0, 0}, {2, 0}, {3, -1}, {3, 1}, false, {0, 0}}, {{0, 0}, {2, 0}, {1, 0.5f}, {1, 3}, false, {0, 0}},
        {{0, 0}, {2, 0}, {0, 1}, {2, 1}, false, {0, 0}},  {{0, 0}, {2, 0}, {1, 0}, {3, 0}, false, {0, 0}},
    };
    for (const auto& c : cases)
    {
        Vec2 point(-9, -9);
        EXPECT_EQ(Segment2DIntersect(c.a, c.b, c.c, c.d, &point), c.hit);
        if (c.hit)
        {
            EXPECT_FLOAT_EQ(point.x, c.point.x);
            EXPECT_FLOAT_EQ(point.y, c.point.y);
        }
    }
}

TEST(Geometry, TriangleHeightUnderPoint)
{
    const Vec3 a(0, 1, 0), b(0, 3, 4), c(4, 5, 0);
    const struct
    {
        Vec3 p;
        bool found;
        Vec4 out;
    } cases[] = {
        {{0, 10, 0}, true, {1, 1, 0, 0}},
        {{1, 10, 2}, true, {3, 0.25f, 0.5f, 0.25f}},
        {{1, 3, 2}, true, {3, 0.25f, 0.5f, 0.25f}},
        {{1, 2.9f, 2}, false, {}},
        {{3, 10, 3}, false, {}},
        {{-1, 10, 1}, false, {}},
    };
    for (const auto& tc : cases)
    {
        Vec4 out(-1, -1, -1, -1);
        ASSERT_EQ(TriangleHeightUnderPoint(a, b, c, tc.p, &out), tc.found) << tc.p.x << " " << tc.p.y;
        if (tc.found)
        {
            EXPECT_NEAR(out.x, tc.out.x, 1e-5f);
            EXPECT_NEAR(out.y, tc.out.y, 1e-6f);
            EXPECT_NEAR(out.z, tc.out.z, 1e-6f);
            EXPECT_NEAR(out.w, tc.out.w, 1e-6f);
        }
    }
}

TEST(Geometry, TriangleHeightUnderPointRejectsDegenerateTriangles)
{
    Vec4 out;
    EXPECT_FALSE(TriangleHeightUnderPoint(Vec3(0, 0, 0), Vec3(0, 0, 0), Vec3(1, 0, 1), Vec3(0, 5, 0), &out));
    EXPECT_FALSE(TriangleHeightUnderPoint(Vec3(0, 0, 0), Vec3(1, 0, 1), Vec3(1, 0, 1), Vec3(0, 5, 0), &out));
    EXPECT_FALSE(TriangleHeightUnderPoint(Vec3(1, 0, 1), Vec3(0, 0, 0), Vec3(1, 0, 1), Vec3(0, 5, 0), &out));
    // A wall has no area seen from above; it must not report a NaN height.
    EXPECT_FALSE(TriangleHeightUnderPoint(Vec3(0, 0, 0), Vec3(2, 0, 0), Vec3(1, 3, 0), Vec3(1, 5, 0), &out));
}
} // namespace
