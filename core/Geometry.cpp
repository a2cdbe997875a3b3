#include "core/Geometry.h"

#include <cmath>

namespace
{
constexpr float kRayMinDeterminant = 1e-5f;

Vec3 ClosestPointOnSegment(const Vec3& p, const Vec3& a, const Vec3& b)
{
    const Vec3 ab = b - a;
    const float lengthSquared = Vec3LengthSquared(ab);
    if (!(lengthSquared > 0.0f))
        return a;
    const float t = std::fmax(0.0f, std::fmin(1.0f, Vec3Dot(p - a, ab) / lengthSquared));
    return a + t * ab;
}

// A triangle without area is the union of its edges.
Vec3 ClosestPointOnFlatTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c)
{
    const Vec3 candidates[3] = {ClosestPointOnSegment(p, a, b), ClosestPointOnSegment(p, b, c),
                                ClosestPointOnSegment(p, c, a)};
    Vec3 best = candidates[0];
    for (const Vec3& candidate : candidates)
        if (Vec3LengthSquared(p - candidate) < Vec3LengthSquared(p - best))
            best = candidate;
    return best;
}
} // namespace

Vec4 PlaneFromNormalPoint(const Vec3& normal, const Vec3& point)
{
    const Vec3 n = Vec3Normalized(normal);
    return Vec4(n.x, n.y, n.z, -Vec3Dot(n, point));
}

Vec3 PlaneProjectPoint(const Vec4& plane, const Vec3& p)
{
    const Vec3 n(plane.x, plane.y, plane.z);
    return p - n * (Vec3Dot(n, p) + plane.w);
}

Vec3 TriangleNormal(const Vec3& a, const Vec3& b, const Vec3& c)
{
    return Vec3Normalized(Vec3Cross(b - a, c - a));
}

float PointLineDistanceSquared(const Vec3& p, const Vec3& a, const Vec3& b, Vec3* closest)
{
    const Vec3 ab = b - a;
    const float lengthSquared = Vec3LengthSquared(ab);
    float t = (lengthSquared > 0.0f) ? Vec3Dot(p - a, ab) / lengthSquared : 0.0f;
    if (!std::isfinite(t))
        t = 0.0f;
    const Vec3 nearest = a + t * ab;
    if (closest)
        *closest = nearest;
    return Vec3LengthSquared(p - nearest);
}

float PointLineDistance(const Vec3& p, const Vec3& a, const Vec3& b, Vec3* closest)
{
    return std::sqrt(PointLineDistanceSquared(p, a, b, closest));
}

// Region by region over the corners, edges and face; every denominator below
// is a squared edge length or the squared doubled area, positive unless the
// triangle is flat, which is handled apart.
Vec3 ClosestPointOnTriangle(const Vec3& p, const Vec3& a, const Vec3& b, const Vec3& c)
{
    const Vec3 ab = b - a;
    const Vec3 ac = c - a;
    if (!(Vec3LengthSquared(Vec3Cross(ab, ac)) > 0.0f))
        return ClosestPointOnFlatTriangle(p, a, b, c);

    const Vec3 ap = p - a;
    const float d1 = Vec3Dot(ab, ap);
    const float d2 = Vec3Dot(ac, ap);
    if (d1 <= 0.0f && d2 <= 0.0f)
        return a;

    const Vec3 bp = p - b;
    const float d3 = Vec3Dot(ab, bp);
    const float d4 = Vec3Dot(ac, bp);
    if (d3 >= 0.0f && d4 <= d3)
        return b;

    const float vc = d1 * d4 - d3 * d2;
    if (vc <= 0.0f && d1 >= 0.0f && d3 <= 0.0f)
        return a + (d1 / (d1 - d3)) * ab;

    const Vec3 cp = p - c;
    const float d5 = Vec3Dot(ab, cp);
    const float d6 = Vec3Dot(ac, cp);
    if (d6 >= 0.0f && d5 <= d6)
        return c;

    const float vb = d5 * d2 - d1 * d6;
    if (vb <= 0.0f && d2 >= 0.0f && d6 <= 0.0f)
        return a + (d2 / (d2 - d6)) * ac;

    const float va = d3 * d6 - d5 * d4;
    if (va <= 0.0f && d4 - d3 >= 0.0f && d5 - d6 >= 0.0f)
        return b + ((d4 - d3) / ((d4 - d3) + (d5 - d6))) * (c - b);

    const float area = va + vb + vc;
    return a + (vb / area) * ab + (vc / area) * ac;
}

bool PointInTriangle(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p)
{
    const Vec3 e1 = b - a;
    const Vec3 e2 = c - a;
    const Vec3 w = p - a;
    const float d11 = Vec3Dot(e1, e1);
    const float d12 = Vec3Dot(e1, e2);
    const float d22 = Vec3Dot(e2, e2);
    const float denominator = d11 * d22 - d12 * d12;
    if (!(denominator > 0.0f))
        return false;
    const float w1 = Vec3Dot(w, e1);
    const float w2 = Vec3Dot(w, e2);
    const float u = (d22 * w1 - d12 * w2) / denominator;
    const float v = (d11 * w2 - d12 * w1) / denominator;
    return u >= 0.0f && v >= 0.0f && u <= 1.0f && u + v <= 1.0f;
}

bool RayTriangleIntersect(const Vec3 triangle[3], const Vec3Pair& ray, float* t)
{
    const Vec3& origin = ray.first;
    const Vec3& direction = ray.second;
    const Vec3 e1 = triangle[1] - triangle[0];
    const Vec3 e2 = triangle[2] - triangle[0];
    const Vec3 p = Vec3Cross(direction, e2);
    const float determinant = Vec3Dot(e1, p);
    if (!(determinant >= kRayMinDeterminant))
        return false;
    const Vec3 toOrigin = origin - triangle[0];
    const float u = Vec3Dot(toOrigin, p);
    if (u < 0.0f || u > determinant)
        return false;
    const Vec3 q = Vec3Cross(toOrigin, e1);
    const float v = Vec3Dot(direction, q);
    if (v < 0.0f || u + v > determinant)
        return false;
    const float distance = Vec3Dot(e2, q);
    if (distance < 0.0f)
        return false;
    if (t)
        *t = distance / determinant;
    return true;
}

bool SphereTriangleOverlap(const Vec3 triangle[3], const Vec4& sphere)
{
    const Vec3 centre(sphere.x, sphere.y, sphere.z);
    const Vec3 nearest = ClosestPointOnTriangle(centre, triangle[0], triangle[1], triangle[2]);
    return Vec3LengthSquared(centre - nearest) <= sphere.w * sphere.w;
}

bool LineSphereIntersect(const Vec4& sphere, const Vec3& a, const Vec3& b, int* count, float* t1, float* t2)
{
    const Vec3 direction = b - a;
    const Vec3 fromCentre = a - Vec3(sphere.x, sphere.y, sphere.z);
    const float qa = Vec3Dot(direction, direction);
    const float qb = 2.0f * Vec3Dot(fromCentre, direction);
    const float qc = Vec3Dot(fromCentre, fromCentre) - sphere.w * sphere.w;
    const float discriminant = qb * qb - 4.0f * qa * qc;
    if (count)
        *count = 0;
    if (!(qa > 0.0f) || !(discriminant >= 0.0f))
        return false;
    float first = -qb / (2.0f * qa);
    float second = first;
    int roots = 1;
    if (discriminant > 0.0f)
    {
        const float root = std::sqrt(discriminant);
        first = (-qb + root) / (2.0f * qa);
        second = (-qb - root) / (2.0f * qa);
        roots = 2;
    }
    if (!std::isfinite(first) || !std::isfinite(second))
        return false;
    if (count)
        *count = roots;
    if (t1)
        *t1 = first;
    if (t2)
        *t2 = second;
    return true;
}

bool LineCrossParameter(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d, float* t)
{
    const float cross = Vec2Cross(b - a, d - c);
    if (cross == 0.0f || std::isnan(cross))
        return false;
    const float parameter = Vec2Cross(c - a, d - c) / cross;
    if (!std::isfinite(parameter))
        return false;
    if (t)
        *t = parameter;
    return true;
}

bool Segment2DIntersect(const Vec2& a, const Vec2& b, const Vec2& c, const Vec2& d, Vec2* point)
{
    const Vec2 r = b - a;
    const Vec2 s = d - c;
    const float cross = Vec2Cross(r, s);
    if (cross == 0.0f || std::isnan(cross))
        return false;
    const float u = Vec2Cross(c - a, s) / cross;
    const float v = Vec2Cross(c - a, r) / cross;
    if (!(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f))
        return false;
    if (point)
        *point = a + r * u;
    return true;
}

bool TriangleHeightUnderPoint(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& p, Vec4* out)
{
    if (Vec3Equals(a, b) || Vec3Equals(b, c) || Vec3Equals(a, c))
        return false;
    // A wall (no area seen from above) has no height under any point.
    const float denominator = (b.z - c.z) * (a.x - c.x) + (c.x - b.x) * (a.z - c.z);
    if (denominator == 0.0f || std::isnan(denominator))
        return false;
    const float wa = ((b.z - c.z) * (p.x - c.x) + (c.x - b.x) * (p.z - c.z)) / denominator;
    const float wb = ((c.z - a.z) * (p.x - c.x) + (a.x - c.x) * (p.z - c.z)) / denominator;
    const float wc = 1.0f - wa - wb;
    if (!(wa >= 0.0f && wb >= 0.0f && wc >= 0.0f))
        return false;
    const float height = wa * a.y + wb * b.y + wc * c.y;
    if (!(height <= p.y))
        return false;
    if (out)
        *out = Vec4(height, wa, wb, wc);
    return true;
}
