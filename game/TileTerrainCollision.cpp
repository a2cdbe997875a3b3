#include "game/TileTerrainCollision.h"

#include <cmath>

namespace
{
constexpr float kNoHitDistance = 1e9f;
// Past this depth the split halves the items by count, so the walk's
// 64-entry stack holds any board however its tiles lie.
constexpr int kSplitByCentreDepth = 40;

struct Box
{
    Vec3 min = Vec3(1e9f, 1e9f, 1e9f);
    Vec3 max = Vec3(-1e9f, -1e9f, -1e9f);

    void Grow(const Vec3& centre, const Vec3& half)
    {
        const Vec3 lo = centre - half, hi = centre + half;
        min = Vec3(std::fmin(min.x, lo.x), std::fmin(min.y, lo.y), std::fmin(min.z, lo.z));
        max = Vec3(std::fmax(max.x, hi.x), std::fmax(max.y, hi.y), std::fmax(max.z, hi.z));
    }
};

float Axis(const Vec3& v, int axis)
{
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

int LargestAxis(const Vec3& half)
{
    if (half.x >= half.y && half.x >= half.z)
        return 0;
    return half.y >= half.z ? 1 : 2;
}

// Half of one side's items, from the back of its list, move to the other.
void MoveHalf(std::vector<uint32_t>& from, std::vector<uint32_t>& to)
{
    const size_t moving = from.size() / 2;
    to.insert(to.end(), from.end() - long(moving), from.end());
    from.resize(from.size() - moving);
}
} // namespace

TileTerrainCollision::~TileTerrainCollision()
{
    Clear();
}

void TileTerrainCollision::AddInstance(const Terrain* terrain, const Mat4& matrix, bool axisAligned)
{
    if (!terrain)
        return;
    TileCollisionInstance instance;
    instance.terrain = terrain;
    instance.matrix = matrix;
    Mat4Inverse(instance.inverse, matrix);
    instance.axisAligned = axisAligned ? 1 : 0;
    Vec3 centre(0.0f, 0.0f, 0.0f), half(0.0f, 0.0f, 0.0f);
    if (!terrain->m_data.tree.Empty())
    {
        const TerrainTreeNode& root = terrain->m_data.tree.nodes[0];
        centre = Vec3(root.center[0], root.center[1], root.center[2]);
        half = Vec3(root.halfExtent[0], root.halfExtent[1], root.halfExtent[2]);
    }
    instance.boxCentre = Mat4TransformPoint(matrix, centre);
    if (!axisAligned)
    {
        // Turned or mirrored: a cube that holds the box however it turns.
        const float size = Vec3Length(half);
        half = Vec3(size, size, size);
    }
    instance.boxHalfExtent = half;
    m_instances.push_back(instance);
}

void TileTerrainCollision::Clear()
{
    m_instances.clear();
    m_tree.nodes.clear();
    m_nodeItems.clear();
}

void TileTerrainCollision::Build()
{
    m_tree.nodes.clear();
    m_nodeItems.clear();
    if (m_instances.empty())
        return;
    std::vector<uint32_t> items(m_instances.size());
    for (size_t i = 0; i < items.size(); ++i)
        items[i] = uint32_t(i);
    BuildNode(items, 0);
}

// Pre-order: the node takes its number before its subtrees take theirs.
uint32_t TileTerrainCollision::BuildNode(std::vector<uint32_t>& items, int depth)
{
    Box box;
    for (const uint32_t item : items)
        box.Grow(m_instances[item].boxCentre, m_instances[item].boxHalfExtent);
    const Vec3 centre = (box.min + box.max) * 0.5f;
    const Vec3 half = box.max - centre;

    const uint32_t number = uint32_t(m_tree.nodes.size());
    TerrainTreeNode node = {{centre.x, centre.y, centre.z}, {half.x, half.y, half.z}, uint32_t(items.size()),
                            number, 0, 0};
    m_tree.nodes.push_back(node);
    m_nodeItems.push_back(items.empty() ? kTerrainNoItem : items[0]);
    if (items.size() < 2)
        return number;

    std::vector<uint32_t> left, right;
    const int axis = LargestAxis(half);
    for (const uint32_t item : items)
    {
        const bool goesRight =
            depth < kSplitByCentreDepth && Axis(m_instances[item].boxCentre, axis) > Axis(centre, axis);
        (goesRight ? right : left).push_back(item);
    }
    if (right.empty())
        MoveHalf(left, right);
    else if (left.empty())
        MoveHalf(right, left);
    items.clear();
    items.shrink_to_fit();

    const uint32_t leftChild = BuildNode(left, depth + 1);
    const uint32_t rightChild = BuildNode(right, depth + 1);
    m_tree.nodes[number].leftChild = leftChild;
    m_tree.nodes[number].rightChild = rightChild;
    return number;
}

const TileCollisionInstance* TileTerrainCollision::InstanceOfItem(uint32_t item) const
{
    if (item >= m_nodeItems.size() || m_nodeItems[item] >= m_instances.size())
        return nullptr;
    return &m_instances[m_nodeItems[item]];
}

const TileCollisionInstance* TileTerrainCollision::SweepSphere(const Vec3& start, float radius, const Vec3& motion,
                                                               float& t, Vec3& normal, uint32_t& face) const
{
    TerrainTreeQuery query(m_tree);
    query.StartSweep(start, motion, radius);
    const TileCollisionInstance* found = nullptr;
    t = kNoHitDistance;
    for (uint32_t item = query.Next(); item != kTerrainNoItem; item = query.Next())
    {
        const TileCollisionInstance* instance = InstanceOfItem(item);
        if (!instance)
            continue;
        float hitT = 0.0f;
        Vec3 hitNormal;
        uint32_t hitFace = 0;
        if (TerrainSweepSphere(*instance->terrain, Mat4TransformPoint(instance->inverse, start), radius,
                               Mat4RotateVec3(instance->inverse, motion), hitT, hitNormal, hitFace) &&
            hitT < t)
        {
            t = hitT;
            normal = hitNormal;
            face = hitFace;
            found = instance;
        }
    }
    return found;
}

const TileCollisionInstance* TileTerrainCollision::RayCast(const Vec3& origin, const Vec3& direction,
                                                           Vec3& point) const
{
    TerrainTreeQuery query(m_tree);
    query.StartRay(origin, direction);
    const TileCollisionInstance* found = nullptr;
    float nearest = kNoHitDistance;
    for (uint32_t item = query.Next(); item != kTerrainNoItem; item = query.Next())
    {
        const TileCollisionInstance* instance = InstanceOfItem(item);
        if (!instance)
            continue;
        const Vec3 localOrigin = Mat4TransformPoint(instance->inverse, origin);
        Vec3 hit;
        if (!TerrainRayCast(*instance->terrain, localOrigin, Mat4RotateVec3(instance->inverse, direction), hit))
            continue;
        const float distance = Vec3Length(hit - localOrigin);
        if (distance < nearest)
        {
            nearest = distance;
            point = hit;
            found = instance;
        }
    }
    return found;
}

const TileCollisionInstance* TileTerrainCollision::HeightHits(const Vec3& point,
                                                              TerrainHeightHit hits[kTerrainHeightHits]) const
{
    TerrainTreeQuery query(m_tree);
    query.StartDownward(point);
    const TileCollisionInstance* found = nullptr;
    float highest = -kNoHitDistance;
    for (uint32_t item = query.Next(); item != kTerrainNoItem; item = query.Next())
    {
        const TileCollisionInstance* instance = InstanceOfItem(item);
        if (!instance)
            continue;
        const Vec3 local = Mat4TransformPoint(instance->inverse, point);
        TerrainHeightHit local4[kTerrainHeightHits];
        if (!TerrainHeightHits(*instance->terrain, local, local4))
            continue;
        const float worldHeight = Mat4TransformPoint(instance->matrix, Vec3(local.x, local4[0].height, local.z)).y;
        if (worldHeight > highest)
        {
            highest = worldHeight;
            for (int i = 0; i < kTerrainHeightHits; ++i)
                hits[i] = local4[i];
            found = instance;
        }
    }
    return found;
}
