#include "game/TerrainTree.h"

#include <cmath>

namespace
{
constexpr float kBoxMargin = 0.00001f;

Vec3 Centre(const TerrainTreeNode& node)
{
    return Vec3(node.center[0], node.center[1], node.center[2]);
}

Vec3 Half(const TerrainTreeNode& node)
{
    return Vec3(node.halfExtent[0], node.halfExtent[1], node.halfExtent[2]);
}

bool IsLeaf(const TerrainTreeNode& node)
{
    return node.leftChild == 0;
}

bool SphereTouchesBox(const Vec3& d, const Vec3& h, float radius)
{
    return std::fabs(d.x) <= h.x + radius && std::fabs(d.y) <= h.y + radius && std::fabs(d.z) <= h.z + radius;
}

// The separating axes of a line (through d, direction v, measured from the
// box centre) against a box of half extent h: the three cross products.
bool LineMissesBox(const Vec3& d, const Vec3& v, const Vec3& h)
{
    return std::fabs(v.z * d.y - v.y * d.z) > h.y * std::fabs(v.z) + h.z * std::fabs(v.y) ||
           std::fabs(v.x * d.z - v.z * d.x) > h.x * std::fabs(v.z) + h.z * std::fabs(v.x) ||
           std::fabs(v.y * d.x - v.x * d.y) > h.x * std::fabs(v.y) + h.y * std::fabs(v.x);
}

bool RayTouchesBox(const Vec3& d, const Vec3& direction, const Vec3& h)
{
    const float ds[3] = {d.x, d.y, d.z};
    const float dirs[3] = {direction.x, direction.y, direction.z};
    const float hs[3] = {h.x, h.y, h.z};
    for (int axis = 0; axis < 3; ++axis)
        if (std::fabs(ds[axis]) > hs[axis] && !(ds[axis] * dirs[axis] < 0.0f))
            return false;
    return !LineMissesBox(d, direction, h);
}

bool DownwardLineTouchesBox(const Vec3& d, const Vec3& h)
{
    return !(std::fabs(d.x) > h.x || d.y < -h.y || std::fabs(d.z) > h.z);
}

bool SegmentTouchesBox(const Vec3& d, const Vec3& v, const Vec3& e)
{
    if (std::fabs(d.x) > e.x + std::fabs(v.x) || std::fabs(d.y) > e.y + std::fabs(v.y) ||
        std::fabs(d.z) > e.z + std::fabs(v.z))
        return false;
    return !LineMissesBox(d, v, e);
}
} // namespace

const char* TerrainTreeCheck(const TerrainTree& tree, uint64_t itemCount)
{
    const size_t count = tree.nodes.size();
    if (count == 0)
        return "it has no tree nodes";
    std::vector<bool> reached(count, false);
    uint32_t stack[kTerrainTreeStackDepth];
    int depth = 0;
    stack[depth++] = 0;
    reached[0] = true;
    while (depth > 0)
    {
        const TerrainTreeNode& node = tree.nodes[stack[--depth]];
        if (IsLeaf(node))
        {
            if (uint64_t(node.firstItem) + node.itemCount > itemCount)
                return "a tree leaf names items past the end";
            continue;
        }
        for (const uint32_t child : {node.leftChild, node.rightChild})
        {
            if (child == 0 || child >= count)
                return "a tree node names a child that does not exist";
            if (reached[child])
                return "a tree node is reached twice";
            if (depth == kTerrainTreeStackDepth)
                return "the tree is too deep";
            reached[child] = true;
            stack[depth++] = child;
        }
    }
    return nullptr;
}

void TerrainTreeQuery::StartSphere(const Vec3& centre, float radius)
{
    m_point = centre;
    m_radius = radius + kBoxMargin;
    Start(kSphere);
}

void TerrainTreeQuery::StartRay(const Vec3& origin, const Vec3& direction)
{
    m_point = origin;
    m_vector = direction;
    Start(kRay);
}

void TerrainTreeQuery::StartDownward(const Vec3& point)
{
    m_point = point;
    Start(kDownward);
}

void TerrainTreeQuery::StartSweep(const Vec3& start, const Vec3& motion, float radius)
{
    m_point = start;
    m_vector = motion;
    m_radius = radius + kBoxMargin;
    Start(kSweep);
}

void TerrainTreeQuery::Start(Mode mode)
{
    m_mode = mode;
    m_depth = 0;
    m_item = m_end = 0;
    if (!m_tree.Empty())
        TestAndPush(0);
}

void TerrainTreeQuery::TestAndPush(uint32_t index)
{
    // Checked trees never fill the stack; this guards trees built in memory.
    if (index < m_tree.nodes.size() && m_depth < kTerrainTreeStackDepth && Passes(m_tree.nodes[index]))
        m_stack[m_depth++] = index;
}

bool TerrainTreeQuery::Passes(const TerrainTreeNode& node) const
{
    const Vec3 h = Half(node);
    switch (m_mode)
    {
    case kSphere:
        return SphereTouchesBox(m_point - Centre(node), h, m_radius);
    case kRay:
        return RayTouchesBox(m_point - Centre(node), m_vector, h);
    case kDownward:
        return DownwardLineTouchesBox(m_point - Centre(node), h);
    case kSweep:
    {
        const Vec3 half = m_vector * 0.5f;
        const Vec3 grown = h + Vec3(m_radius, m_radius, m_radius);
        return SegmentTouchesBox(m_point + half - Centre(node), half, grown);
    }
    case kNone:
        break;
    }
    return false;
}

uint32_t TerrainTreeQuery::Next()
{
    if (m_item < m_end)
        return m_item++;
    while (m_depth > 0)
    {
        const TerrainTreeNode& node = m_tree.nodes[m_stack[--m_depth]];
        if (!IsLeaf(node))
        {
            TestAndPush(node.leftChild);
            TestAndPush(node.rightChild);
            continue;
        }
        if (node.itemCount == 0)
            continue;
        m_item = node.firstItem;
        m_end = node.firstItem + node.itemCount;
        return m_item++;
    }
    m_mode = kNone;
    return kTerrainNoItem;
}
