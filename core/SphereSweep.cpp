#include "core/SphereSweep.h"

#include "core/Geometry.h"

#include <cfloat>
#include <cmath>

namespace
{
// Motions that graze the face (or leave it) are not collisions.
constexpr float kMinApproach = -0.001f;

struct Sweep
{
    Vec3 centre;
    float radius;
    Vec3 direction;
    float best = FLT_MAX;
    Vec3 contact = Vec3(0.0f, 0.0f, 0.0f);
    bool hit = false;

    void Take(float t, const Vec3& contactNormal)
    {
        best = t;
        contact = contactNormal;
        hit = true;
    }
};

void SweepFace(Sweep& sweep, const Vec3 triangle[3], const Vec3& normal, float startDistance, float approach)
{
    if (!(startDistance > sweep.radius))
        return;
    const float t = (startDistance - sweep.radius) / -approach;
    const Vec3 touch = sweep.centre + t * sweep.direction;
    if (PointInTriangle(triangle[0], triangle[1], triangle[2], touch) && t < sweep.best)
        sweep.Take(t, normal);
}

// The corner moves against the motion towards the sphere as it stands.
void SweepCorner(Sweep& sweep, const Vec3& corner)
{
    const Vec4 sphere(sweep.centre.x, sweep.centre.y, sweep.centre.z, sweep.radius);
    int count = 0;
    float t1 = 0.0f, t2 = 0.0f;
    if (!LineSphereIntersect(sphere, corner, corner - sweep.direction, &count, &t1, &t2))
        return;
    const float t = std::fmin(t1, t2);
    if (t >= 0.0f && t < sweep.best)
        sweep.Take(t, sweep.centre - (corner - t * sweep.direction));
}

Vec2 DropAxis(const Vec3& v, int axis)
{
    if (axis == 0)
        return Vec2(v.y, v.z);
    if (axis == 1)
        return Vec2(v.x, v.z);
    return Vec2(v.x, v.y);
}

int LargestAxis(const Vec3& n)
{
    const float x = std::fabs(n.x), y = std::fabs(n.y), z = std::fabs(n.z);
    if (x > y && x > z)
        return 0;
    return (y > z) ? 1 : 2;
}

// Works in the plane that holds the edge and the motion: the sphere cuts it in
// a circle, and the circle's point nearest the edge's line is the one that
// meets the edge first.
void SweepEdge(Sweep& sweep, const Vec3& a, const Vec3& b)
{
    const Vec3 planeNormal = TriangleNormal(a, b, b - sweep.direction);
    const Vec4 plane = PlaneFromNormalPoint(planeNormal, a);
    const float s = PlaneDistance(plane, sweep.centre);
    if (s > sweep.radius || s < -sweep.radius)
        return;
    const Vec3 circleCentre = PlaneProjectPoint(plane, sweep.centre);
    const float circleRadius = std::sqrt(sweep.radius * sweep.radius - s * s);
    Vec3 towardsEdge;
    PointLineDistanceSquared(circleCentre, a, b, &towardsEdge);
    towardsEdge -= circleCentre;
    Vec3Normalize(towardsEdge);
    const Vec3 leading = circleCentre + circleRadius * towardsEdge;

    const int dropped = LargestAxis(planeNormal);
    float t = 0.0f;
    if (!LineCrossParameter(DropAxis(leading, dropped), DropAxis(leading + sweep.direction, dropped),
                            DropAxis(a, dropped), DropAxis(b, dropped), &t) ||
        t < 0.0f)
        return;
    const Vec3 crossing = leading + t * sweep.direction;
    if (Vec3Dot(a - crossing, b - crossing) <= 0.0f && t <= sweep.best)
        sweep.Take(t, sweep.centre - leading);
}
} // namespace

bool SphereSweepTriangle(const Vec3 triangle[3], const Vec3& normal, const Vec4& sphere, const Vec3& motion,
                         float* distance, Vec3* contactNormal)
{
    Sweep sweep;
    sweep.centre = Vec3(sphere.x, sphere.y, sphere.z);
    sweep.radius = sphere.w;
    sweep.direction = Vec3Normalized(motion);
    if (distance)
        *distance = FLT_MAX;

    const float approach = Vec3Dot(normal, sweep.direction);
    if (!(approach <= kMinApproach))
        return false;
    const float startDistance = PlaneDistance(PlaneFromNormalPoint(normal, triangle[0]), sweep.centre);
    if (startDistance < -sweep.radius)
        return false;

    SweepFace(sweep, triangle, normal, startDistance, approach);
    for (int i = 0; i < 3; ++i)
        SweepCorner(sweep, triangle[i]);
    for (int i = 0; i < 3; ++i)
        SweepEdge(sweep, triangle[i], triangle[(i + 1) % 3]);

    if (distance)
        *distance = sweep.best;
    if (sweep.hit && contactNormal)
        *contactNormal = Vec3Normalized(sweep.contact);
    return sweep.hit;
}
