// The overlap tests between collision shapes. Spheres and slices meet on the
// ground plane (X and Z only); actor spheres meet in all three dimensions.
#include "game/Collision.h"

#include "core/Vec3.h"

#include <cmath>

namespace
{
constexpr float kSmallestExtent = 0.01f;

Vec3 Position(const CollisionObject& object)
{
    return Mat4GetTranslation(*object.matrix);
}

float SquaredXZ(float dx, float dz)
{
    return dx * dx + dz * dz;
}

// With the flag, a sphere's extent reaches along Z: first a's, then b's.
bool SpheresHit(const CollisionObject& a, const CollisionObject& b, float range, bool flag)
{
    const Vec3 pa = Position(a);
    const Vec3 pb = Position(b);
    const float reach = range * range;
    const float dx = pa.x - pb.x;
    if (reach >= SquaredXZ(dx, pa.z - pb.z))
        return true;
    if (!flag)
        return false;
    if (std::fabs(a.p0) > kSmallestExtent && reach >= SquaredXZ(dx, pa.z + a.p0 - pb.z))
        return true;
    return std::fabs(b.p0) > kSmallestExtent && reach >= SquaredXZ(dx, pa.z - (pb.z + b.p0));
}

// A wedge facing along the slice's forward axis from an apex the forward
// offset ahead of it: within range and inside the half-angle value as
// compared against one minus the cosine; with the flag, anything within the
// inner radius of the apex, behind it too.
bool SliceHits(const CollisionObject& slice, const CollisionObject& other, float range, bool flag)
{
    const Mat4& m = *slice.matrix;
    const Vec3 forward(m[8], m[9], m[10]);
    const Vec3 apex = Position(slice) + forward * slice.p1;
    const Vec3 target = Position(other);
    Vec3 toward(target.x - apex.x, 0.0f, target.z - apex.z);
    const float distanceSquared = Vec3LengthSquared(toward);
    if (range * range < distanceSquared)
        return false;
    Vec3Normalize(toward);
    const float spread = 1.0f - (toward.x * forward.x + toward.z * forward.z);
    if (slice.p0 > spread)
        return true;
    return flag && slice.p2 * slice.p2 >= distanceSquared;
}

// The scale grows the whole frame of the owner, so a turned actor's sphere
// sits at its scaled offset as an unturned one's does.
Vec3 ActorSphereCentre(const CollisionObject& object, float scale)
{
    const Mat4& m = *object.matrix;
    const Vec3 offset = Vec3(m[0], m[1], m[2]) * object.p1 + Vec3(m[4], m[5], m[6]) * object.p2 +
                        Vec3(m[8], m[9], m[10]) * object.p3;
    return Position(object) + offset * scale;
}

bool ActorSpheresHit(const CollisionObject& a, const CollisionObject& b)
{
    const float scaleA = a.scale ? *a.scale : 1.0f;
    const float scaleB = b.scale ? *b.scale : 1.0f;
    const float reach = a.p0 * scaleA + b.p0 * scaleB;
    return reach * reach >= Vec3LengthSquared(ActorSphereCentre(a, scaleA) - ActorSphereCentre(b, scaleB));
}
} // namespace

bool CollisionShapesHit(const CollisionObject& a, const CollisionObject& b, float range, bool flag)
{
    if (a.shape == kCollisionShapeSphere && b.shape == kCollisionShapeSphere)
        return SpheresHit(a, b, range, flag);
    if (a.shape == kCollisionShapeSlice && b.shape == kCollisionShapeSphere)
        return SliceHits(a, b, range, flag);
    if (a.shape == kCollisionShapeSphere && b.shape == kCollisionShapeSlice)
        return SliceHits(b, a, range, flag);
    if (a.shape == kCollisionShapeActorSphere && b.shape == kCollisionShapeActorSphere)
        return ActorSpheresHit(a, b);
    return false;
}
