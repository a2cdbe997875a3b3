#include "game/WorldPhysics.h"

#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/Terrain.h"
#include "game/World.h"

namespace
{
constexpr int kSweepsPerStep = 3;
constexpr float kPushOut = 0.001f;
constexpr float kContactKick = 20.0f;
constexpr uint32_t kNoUpwardPushKind = 1;

float g_gravity = 9.8f;

bool TakesPartInPhysics(const Entity& entity)
{
    return (entity.m_flags & kEntityInPhysics) != 0 && entity.m_radius > 0.0f;
}

// The part of the motion not yet travelled.
Vec3 Remaining(const Vec3& motion, const Vec3& travel)
{
    const float length = Vec3Length(motion);
    return motion * ((length - Vec3Length(travel)) / length);
}

Vec3 Travel(const Vec3& motion, float t)
{
    return Vec3Normalized(motion) * t;
}

// Slides or bounces the rest of the motion off the contact.
Vec3 Respond(const Vec3& rest, const Vec3& n, float bounce, bool noUpwardPush)
{
    Vec3 mirrored = rest - n * (2.0f * Vec3Dot(n, rest));
    Vec3 slide = n * Vec3Dot(-rest, n);
    if (noUpwardPush && mirrored.y > 0.0f)
        mirrored.y = 0.0f;
    if (noUpwardPush && slide.y > 0.0f)
        slide.y = 0.0f;
    return (rest + slide) * (1.0f - bounce) + mirrored * bounce;
}

// Returns the motion left after up to three contacts (none after three).
Vec3 SweepAndRespond(Entity& entity, const Terrain& terrain, Vec3& p, Vec3 move)
{
    const bool kinds = terrain.HasFaceChannels();
    for (int sweep = 0; sweep < kSweepsPerStep; ++sweep)
    {
        float t = 0.0f;
        Vec3 n;
        uint32_t face = 0;
        if (!TerrainSweepSphere(terrain, p + entity.m_offset, entity.m_radius, move, t, n, face))
            return move;
        const Vec3 travel = Travel(move, t);
        p = p + travel + n * kPushOut;
        entity.SetPosition(p);
        move = Remaining(move, travel);
        const uint32_t kind = terrain.SurfaceKind(face);
        move = Respond(move, n, entity.m_bounce, kinds && kind == kNoUpwardPushKind);
        entity.m_contactNormal = Vec3Normalized(n);
        entity.m_contactPoint = p;
        entity.m_contactFace = face;
        entity.m_contactFlag = 1;
        entity.OnTerrainContact(kinds && kind != 0, entity.m_contactNormal, p);
    }
    return Vec3(0.0f, 0.0f, 0.0f);
}

// A one-off move that does not enter the velocity: slides once, and stays
// put when it meets the terrain again.
void MoveInertialess(Entity& entity, const Terrain* terrain, const Vec3& p, float dt)
{
    Vec3 m = entity.m_inertialessForce * dt;
    float t = 0.0f;
    Vec3 n;
    uint32_t face = 0;
    if (!terrain || !TerrainSweepSphere(*terrain, p + entity.m_offset, entity.m_radius, m, t, n, face))
    {
        entity.SetPosition(p + m);
        return;
    }
    const Vec3 travel = Travel(m, t);
    const Vec3 touched = p + travel + n * kPushOut;
    m = Remaining(m, travel);
    m = m + n * Vec3Dot(-m, n);
    if (!TerrainSweepSphere(*terrain, touched + entity.m_offset, entity.m_radius, m, t, n, face))
        entity.SetPosition(touched + m);
}

void StepEntity(Entity& entity, const Terrain* terrain, float dt)
{
    entity.m_contactFlag = 0;
    const Vec3 start = entity.Position();
    Vec3 p = start;
    entity.m_force.y -= g_gravity;
    entity.m__velocity += entity.m_force * dt;
    Vec3 move = entity.m__velocity * dt;
    if (terrain)
        move = SweepAndRespond(entity, *terrain, p, move);
    p = p + move;
    entity.SetPosition(p);
    if (terrain && TerrainOverlapSphere(*terrain, p + entity.m_offset, entity.m_radius))
    {
        p = start;
        entity.SetPosition(start);
    }
    entity.m__velocity = (p - start) * (1.0f / dt);
    if (entity.m_contactFlag)
        entity.m__velocity += entity.m_contactNormal * kContactKick;
    if (Vec3NotEqual(entity.m_inertialessForce, Vec3(0.0f, 0.0f, 0.0f)))
        MoveInertialess(entity, terrain, p, dt);
    entity.m_force = Vec3(0.0f, 0.0f, 0.0f);
    entity.m_inertialessForce = Vec3(0.0f, 0.0f, 0.0f);
}
} // namespace

void SetGravity(float gravity)
{
    g_gravity = gravity;
}

float GetGravity()
{
    return g_gravity;
}

// Entities added during the step wait for the next one; the count is
// checked again each turn because a contact callback may remove entities.
void WorldStepEntities(float dt)
{
    // No time, no motion: a zero step would divide the velocity by zero.
    if (!(dt > 0.0f))
        return;
    const Terrain* terrain = GetTerrain();
    EntityRegistry& registry = GetEntityRegistry();
    const size_t count = registry.Count();
    for (size_t i = 0; i < count && i < registry.Count(); ++i)
    {
        Entity* entity = registry.At(i);
        if (TakesPartInPhysics(*entity))
            StepEntity(*entity, terrain, dt);
    }
}
