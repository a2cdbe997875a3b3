#include "game/FireNeighbourGrid.h"

#include <algorithm>
#include <cmath>

namespace
{
bool IsFinite(const Vec3& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

double Coordinate(const Vec3& p, int axis)
{
    return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
}
} // namespace

void FireNeighbourGrid::Build(const std::vector<Vec3>& positions, float reach)
{
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    for (const Vec3& p : positions)
        if (IsFinite(p))
            for (int axis = 0; axis < 3; ++axis)
            {
                lo[axis] = std::min(lo[axis], Coordinate(p, axis));
                hi[axis] = std::max(hi[axis], Coordinate(p, axis));
            }
    // A little wider than the reach: a float distance just under the radius
    // may belong to a pair just over it, and they must still be neighbours.
    m_size = double(reach) * 1.001;
    // Few cells spread far apart would ask for more buckets than cells: wider
    // buckets keep the grid near the cell count and stay correct.
    const double limit = std::max(1024.0, 4.0 * double(positions.size()));
    for (;;)
    {
        double buckets = 1.0;
        for (int axis = 0; axis < 3; ++axis)
        {
            m_origin[axis] = lo[axis] > hi[axis] ? 0.0 : lo[axis];
            const double span = lo[axis] > hi[axis] ? 0.0 : hi[axis] - lo[axis];
            buckets *= std::floor(span / m_size) + 1.0;
        }
        if (buckets <= limit)
            break;
        m_size *= std::max(1.25, std::cbrt(buckets / limit));
    }
    for (int axis = 0; axis < 3; ++axis)
    {
        m_dims[axis] = 0; // unclamped while the extent is measured
        m_dims[axis] = lo[axis] > hi[axis] ? 1 : Axis(hi[axis], axis) + 1;
    }

    // A counting sort by bucket, walking cells in index order so each bucket
    // lists its cells ascending.
    const size_t bucketCount = size_t(m_dims[0] * m_dims[1] * m_dims[2]);
    m_starts.assign(bucketCount + 1, 0);
    std::vector<uint32_t>& bucketOf = m_bucketOf;
    bucketOf.assign(positions.size(), UINT32_MAX);
    for (size_t i = 0; i < positions.size(); ++i)
        if (IsFinite(positions[i]))
        {
            const Vec3& p = positions[i];
            bucketOf[i] = uint32_t(Bucket(Axis(p.x, 0), Axis(p.y, 1), Axis(p.z, 2)));
            ++m_starts[bucketOf[i] + 1];
        }
    for (size_t b = 0; b < bucketCount; ++b)
        m_starts[b + 1] += m_starts[b];
    m_cells.resize(m_starts[bucketCount]);
    std::vector<uint32_t>& fill = m_fill;
    fill.assign(m_starts.begin(), m_starts.end() - 1);
    for (size_t i = 0; i < positions.size(); ++i)
        if (bucketOf[i] != UINT32_MAX)
            m_cells[fill[bucketOf[i]]++] = uint32_t(i);
}

void FireNeighbourGrid::Around(const Vec3& position, int64_t from[3], int64_t to[3]) const
{
    const int64_t centre[3] = {Axis(position.x, 0), Axis(position.y, 1), Axis(position.z, 2)};
    for (int axis = 0; axis < 3; ++axis)
    {
        from[axis] = std::max<int64_t>(centre[axis] - 1, 0);
        to[axis] = std::min<int64_t>(centre[axis] + 1, m_dims[axis] - 1);
    }
}

// Positions outside the cells' box (a query from elsewhere) clamp to its
// edge buckets, which is still a superset of what lies within reach.
int64_t FireNeighbourGrid::Axis(double value, int axis) const
{
    const double cell = std::floor((value - m_origin[axis]) / m_size);
    if (!(cell > 0.0))
        return 0;
    const double last = m_dims[axis] > 0 ? double(m_dims[axis] - 1) : 4.0e18;
    return int64_t(std::min(cell, last));
}

size_t FireNeighbourGrid::Bucket(int64_t x, int64_t y, int64_t z) const
{
    return size_t((z * m_dims[1] + y) * m_dims[0] + x);
}
