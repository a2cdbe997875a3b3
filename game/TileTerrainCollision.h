#pragma once
// The placed terrains of the tile board under one bounding-box tree: the
// same queries as a single terrain, asked in world space, each answered by
// the instance that gave the result, with the result in that instance's
// local frame (points back through its matrix, normals through its rotation).
// Instances do not own their terrains.

#include "core/Mat4.h"
#include "game/Terrain.h"
#include "game/TerrainTree.h"

#include <cstdint>
#include <vector>

struct TileCollisionInstance
{
    const Terrain* terrain;
    Mat4 matrix;
    Mat4 inverse;
    // 1 when the placement has no rotation and no flip.
    uint8_t axisAligned;
    Vec3 boxCentre;
    Vec3 boxHalfExtent;
};

class TileTerrainCollision
{
public:
    TileTerrainCollision() = default;
    ~TileTerrainCollision();
    TileTerrainCollision(const TileTerrainCollision&) = delete;
    TileTerrainCollision& operator=(const TileTerrainCollision&) = delete;

    void AddInstance(const Terrain* terrain, const Mat4& matrix, bool axisAligned);
    // Builds the instance tree over every instance added; queries before it
    // (or with no instance) find nothing.
    void Build();
    // Frees the instances and starts an empty tree.
    void Clear();

    const TileCollisionInstance* SweepSphere(const Vec3& start, float radius, const Vec3& motion, float& t,
                                             Vec3& normal, uint32_t& face) const;
    const TileCollisionInstance* RayCast(const Vec3& origin, const Vec3& direction, Vec3& point) const;
    const TileCollisionInstance* HeightHits(const Vec3& point, TerrainHeightHit hits[kTerrainHeightHits]) const;

    size_t InstanceCount() const { return m_instances.size(); }
    const TileCollisionInstance& Instance(size_t index) const { return m_instances[index]; }
    const TerrainTree& Tree() const { return m_tree; }

private:
    uint32_t BuildNode(std::vector<uint32_t>& items, int depth);
    const TileCollisionInstance* InstanceOfItem(uint32_t item) const;

    std::vector<TileCollisionInstance> m_instances;
    TerrainTree m_tree;
    // Per node number, the instance index a leaf holds.
    std::vector<uint32_t> m_nodeItems;
};
