#pragma once
// Planes, triangles, lines and spheres for the collision code.
// A plane is a Vec4 (a, b, c, d): unit normal (a, b, c), d = -normal . point.
// A triangle is three Vec3 corners in a row; a sphere is a Vec4 (centre, radius);
// a ray is a Vec3Pair (origin, direction).

#include "core/Vec2.h"
#include "core/Vec3.h"
#include "core/Vec4.h"

Vec4 PlaneFromNormalPoint(const Vec3& normal, const Vec3& point);
inline float PlaneDistance(const Vec4& plane, const Vec3& p)
{
    return plane.x * p.x + plane.y * p.y + plane.z * p.z + plane.w;
}
Vec3 PlaneProjectPoint(const Vec4& plane, const Vec3& p);

// Normalised (b - a) x (c - a); a zero vector for a degenerate triangle.
Vec3 TriangleNormal(const Vec3& a, const Vec3& b, const Vec3& c);

// The distance from p to the infinite line through a and b, and the nearest
// point of that line in closest when given. With a = b the line is the point a.
float PointLineDistanceSquared(const Vec3& p, const Vec3& a, const Vec3& b, Vec3* closest = nullptr);
float PointLineDistance(const Vec3& p, const Vec3& a, const Vec3& b, Vec3* closest = nullptr);

// The point of the triangle (face, edges or corners) nearest to p.
Vec3 ClosestPointOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c);

// Whether p, projected onto the triangle's plane, lies inside it (edges
// included). A degenerate triangle contains nothing.
bool PointInTriangle(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p);

// One-sided: rays from behind the triangle, or parallel to it, miss.
// t is in units of the direction's length.
bool RayTriangleIntersect(const Vec3 triangle[3], const Vec3Pair& ray, float* t);

bool SphereTriangleOverlap(const Vec3 triangle[3], const Vec4& sphere);

// Roots of |a + t (b - a) - centre| = radius: count 1 when the line only
// grazes the sphere, else count 2 with t1 >= t2. A line of no length (a = b)
// has no direction to follow and finds nothing.
bool LineSphereIntersect(const Vec4& sphere, const Vec3& a, const Vec3& b, int* count, float* t1, float* t2);

// The parameter t at which a + t (b - a) crosses the line through c and d.
// Parallel lines, and crossings too far off to represent, give false.
bool LineCrossParameter(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d, float* t);

// The crossing of the segments ab and cd, their ends included; parallel segments give false.
bool Segment2DIntersect(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d, Vec2* point);

// The height of the triangle under p, seen from above (barycentric in XZ):
// out = (height, weight of a, weight of b, weight of c). False when p lies
// outside the triangle, below its surface, or the triangle has no area in XZ.
bool TriangleHeightUnderPoint(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p, Vec4* out);
