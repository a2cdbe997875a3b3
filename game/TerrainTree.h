#pragma once
// The bounding-box tree over a terrain's faces (or over the placed terrains
// of the tile board) and the walk that yields the items of the leaves whose
// boxes a query touches: depth first, right subtree before left.
//
// A node whose leftChild is 0 is a leaf holding the items firstItem to
// firstItem + itemCount - 1; an inner node has both children (index 0, the
// root, is never a child).

#include "core/Vec3.h"

#include <cstdint>
#include <vector>

struct TerrainTreeNode
{
    float center[3];
    float halfExtent[3];
    uint32_t itemCount;
    uint32_t firstItem;
    uint32_t leftChild;
    uint32_t rightChild;
};

constexpr uint32_t kTerrainNoItem = 0xFFFFFFFFu;
constexpr int kTerrainTreeStackDepth = 64;

struct TerrainTree
{
    std::vector<TerrainTreeNode> nodes;

    bool Empty() const { return nodes.empty(); }
};

// Whether the walk can visit the tree safely: children in range, no node
// reached twice, leaf ranges within itemCount, and the walk's stack within
// its 64 entries even when every box passes. Null or a reason.
const char* TerrainTreeCheck(const TerrainTree& tree, uint64_t itemCount);

// One walk over a tree; the walker lives on the caller's stack, so queries
// neither allocate nor disturb one another.
class TerrainTreeQuery
{
public:
    explicit TerrainTreeQuery(const TerrainTree& tree) : m_tree(tree) {}

    void StartSphere(const Vec3& centre, float radius);
    void StartRay(const Vec3& origin, const Vec3& direction);
    // The line from the point straight down.
    void StartDownward(const Vec3& point);
    void StartSweep(const Vec3& start, const Vec3& motion, float radius);

    // The next item, or kTerrainNoItem at the end.
    uint32_t Next();

private:
    enum Mode
    {
        kNone,
        kSphere,
        kRay,
        kDownward,
        kSweep,
    };

    void Start(Mode mode);
    void TestAndPush(uint32_t index);
    bool Passes(const TerrainTreeNode& node) const;

    const TerrainTree& m_tree;
    Mode m_mode = kNone;
    Vec3 m_point = Vec3(0.0f, 0.0f, 0.0f);
    Vec3 m_vector = Vec3(0.0f, 0.0f, 0.0f);
    float m_radius = 0.0f;
    uint32_t m_item = 0;
    uint32_t m_end = 0;
    uint32_t m_stack[kTerrainTreeStackDepth];
    int m_depth = 0;
};
