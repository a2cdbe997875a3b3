#include "game/Terrain.h"

#include "core/Geometry.h"
#include "core/SphereSweep.h"
#include "core/Vec4.h"

#include <cmath>
#include <limits>

namespace
{
constexpr float kUpwardFacing = 0.00001f;
constexpr float kInfinity = std::numeric_limits<float>::infinity();

// Keeps the records in descending height: the hit goes before the first one
// it strictly exceeds, the last drops off.
void InsertHit(TerrainHeightHit hits[kTerrainHeightHits], const TerrainHeightHit& hit)
{
    for (int i = 0; i < kTerrainHeightHits; ++i)
    {
        if (!(hit.height > hits[i].height))
            continue;
        for (int j = kTerrainHeightHits - 1; j > i; --j)
            hits[j] = hits[j - 1];
        hits[i] = hit;
        return;
    }
}
} // namespace

Terrain::~Terrain()
{
    TerrainClear(*this);
}

uint32_t Terrain::SurfaceKind(uint32_t face) const
{
    if (!HasFaceChannels())
        return 0;
    const std::vector<uint32_t>& kinds = m_data.faceChannels[0].data;
    return face < kinds.size() ? kinds[face] : 0;
}

bool Terrain::IsSolid(uint32_t face) const
{
    return SurfaceKind(face) <= kTerrainLastSolidKind;
}

void Terrain::FaceCorners(uint32_t face, Vec3 corners[3]) const
{
    const TerrainFace& f = m_data.faces[face];
    corners[0] = m_data.vertices[f.i0];
    corners[1] = m_data.vertices[f.i1];
    corners[2] = m_data.vertices[f.i2];
}

bool TerrainSweepSphere(const Terrain& terrain, const Vec3& start, float radius, const Vec3& motion, float& t,
                        Vec3& normal, uint32_t& face)
{
    TerrainTreeQuery query(terrain.m_data.tree);
    query.StartSweep(start, motion, radius);
    const Vec4 sphere(start.x, start.y, start.z, radius);
    float best = kInfinity;
    Vec3 bestNormal(0.0f, 0.0f, 0.0f);
    uint32_t bestFace = kTerrainNoItem;
    for (uint32_t f = query.Next(); f != kTerrainNoItem; f = query.Next())
    {
        if (!terrain.IsSolid(f))
            continue;
        Vec3 corners[3];
        terrain.FaceCorners(f, corners);
        float distance = 0.0f;
        Vec3 contact;
        if (SphereSweepTriangle(corners, terrain.m_data.faces[f].normal, sphere, motion, &distance, &contact) &&
            distance < best)
        {
            best = distance;
            bestNormal = contact;
            bestFace = f;
        }
    }
    if (!(Vec3Length(motion) > best))
        return false;
    t = best;
    normal = bestNormal;
    face = bestFace;
    return true;
}

bool TerrainOverlapSphere(const Terrain& terrain, const Vec3& centre, float radius)
{
    TerrainTreeQuery query(terrain.m_data.tree);
    query.StartSphere(centre, radius);
    const Vec4 sphere(centre.x, centre.y, centre.z, radius);
    for (uint32_t f = query.Next(); f != kTerrainNoItem; f = query.Next())
    {
        if (!terrain.IsSolid(f))
            continue;
        Vec3 corners[3];
        terrain.FaceCorners(f, corners);
        if (SphereTriangleOverlap(corners, sphere))
            return true;
    }
    return false;
}

bool TerrainRayCast(const Terrain& terrain, const Vec3& origin, const Vec3& direction, Vec3& point)
{
    TerrainTreeQuery query(terrain.m_data.tree);
    query.StartRay(origin, direction);
    const Vec3Pair ray{origin, direction};
    float best = kInfinity;
    for (uint32_t f = query.Next(); f != kTerrainNoItem; f = query.Next())
    {
        Vec3 corners[3];
        terrain.FaceCorners(f, corners);
        float t = 0.0f;
        if (RayTriangleIntersect(corners, ray, &t) && t < best)
            best = t;
    }
    if (best == kInfinity)
        return false;
    point = origin + direction * best;
    return true;
}

bool TerrainHeightHits(const Terrain& terrain, const Vec3& point, TerrainHeightHit hits[kTerrainHeightHits])
{
    for (int i = 0; i < kTerrainHeightHits; ++i)
        hits[i] = TerrainHeightHit{-kInfinity, 0.0f, 0.0f, 0.0f, kTerrainNoItem};
    TerrainTreeQuery query(terrain.m_data.tree);
    query.StartDownward(point);
    for (uint32_t f = query.Next(); f != kTerrainNoItem; f = query.Next())
    {
        if (!(terrain.m_data.faces[f].normal.y > kUpwardFacing))
            continue;
        Vec3 corners[3];
        terrain.FaceCorners(f, corners);
        Vec4 found;
        if (TriangleHeightUnderPoint(corners[0], corners[1], corners[2], point, &found))
            InsertHit(hits, TerrainHeightHit{found.x, found.y, found.z, found.w, f});
    }
    return hits[0].height > -kInfinity;
}

uint32_t TerrainVertexChannelValue(const Terrain& terrain, uint32_t vertex)
{
    const std::vector<uint32_t>& values = terrain.m_data.vertexChannels[1].data;
    return vertex < values.size() ? values[vertex] : 0;
}
