#pragma once
// Buckets a fire area's cell positions on a uniform grid so that finding the
// cells near one cell looks at the buckets around it instead of every cell.

#include "core/Vec3.h"

#include <cstdint>
#include <vector>

class FireNeighbourGrid
{
public:
    // Buckets at least `reach` wide (finite, above zero); positions that are
    // not finite are left out, as no distance to them is ever below a radius.
    void Build(const std::vector<Vec3>& positions, float reach);
    // Calls visit(index) for the cells in the buckets around a finite
    // position, in no set order: every cell within `reach` of it is among them.
    template <typename Visit> void ForEachNear(const Vec3& position, Visit visit) const
    {
        int64_t from[3], to[3];
        Around(position, from, to);
        for (int64_t z = from[2]; z <= to[2]; ++z)
            for (int64_t y = from[1]; y <= to[1]; ++y)
            {
                // A row of buckets is one run of the sorted cells.
                const size_t row = Bucket(0, y, z);
                const uint32_t* cell = m_cells.data() + m_starts[row + size_t(from[0])];
                const uint32_t* end = m_cells.data() + m_starts[row + size_t(to[0]) + 1];
                for (; cell != end; ++cell)
                    visit(*cell);
            }
    }

private:
    void Around(const Vec3& position, int64_t from[3], int64_t to[3]) const;
    int64_t Axis(double value, int axis) const;
    size_t Bucket(int64_t x, int64_t y, int64_t z) const;

    double m_origin[3] = {};
    double m_size = 1.0;
    int64_t m_dims[3] = {};
    std::vector<uint32_t> m_starts; // per bucket, into m_cells; one more than buckets
    std::vector<uint32_t> m_cells;  // bucket by bucket, ascending within each
    std::vector<uint32_t> m_bucketOf, m_fill; // the sort's scratch, kept between builds
};
