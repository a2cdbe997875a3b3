// Fire finalisation's neighbour lists against the plain every-pair scan they
// replace, on many seeded areas (clusters, spreads, odd radii, points that
// are not finite), and cells sharing the properties they were added under.
#include "game/FireGroup.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace
{
// The every-pair scan: each cell's neighbours are the other cells strictly
// within its radius, in array order, weighted by its distance curve.
std::vector<FireNeighbour> EveryPairNeighbours(const FireGroup& group, size_t index)
{
    const FireCell& cell = group.Cell(index);
    Interp weight;
    weight.SetDef(&cell.properties->m_TempDeltaVsDistanceInterpD);
    weight.GetVatT(0.0f);
    const float radiusSquared = cell.properties->m_AffectRadius * cell.properties->m_AffectRadius;
    std::vector<FireNeighbour> found;
    for (uint32_t other = 0; other < group.CellCount(); ++other)
    {
        if (other == index)
            continue;
        const float distanceSquared = Vec3LengthSquared(group.Cell(other).position - cell.position);
        if (!(distanceSquared < radiusSquared))
            continue;
        const float distance = std::sqrt(distanceSquared);
        found.push_back(FireNeighbour{other, distance, weight.GetVatT(distance)});
    }
    return found;
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

FireProperties WithRadius(float radius)
{
    FireProperties p;
    p.m_AffectRadius = radius;
    p.m_TempDeltaVsDistanceInterpD.AddKey(0.0f, 1.0f);
    p.m_TempDeltaVsDistanceInterpD.AddKey(radius > 0.0f ? radius : 1.0f, 0.25f);
    p.m_TempDeltaVsDistanceInterpD.AddKey(4.0f, 0.0f);
    return p;
}

// One seeded area: a few runs of cells, each run under its own radius.
void BuildArea(FireGroup& group, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float inf = std::numeric_limits<float>::infinity();
    const float odd[] = {0.0f, -1.5f, std::nanf(""), inf, 1.0e20f, 1.0e-3f, 1.0f};
    const int runs = 1 + int(random() % 4);
    for (int run = 0; run < runs; ++run)
    {
        const float radius = random() % 5 == 0 ? odd[random() % 7] : 0.2f + 3.0f * unit(random);
        group.SetNextProperties(WithRadius(radius));
        const float spread = random() % 3 == 0 ? 1000.0f : 10.0f + 40.0f * unit(random);
        const bool flat = random() % 2 == 0;
        const int cells = int(random() % 300);
        for (int i = 0; i < cells; ++i)
        {
            Vec3 p(spread * unit(random), flat ? 0.0f : spread * unit(random), spread * unit(random));
            if (random() % 4 == 0) // on a lattice, so distances tie with the radius
                p = Vec3(std::floor(p.x), std::floor(p.y), std::floor(p.z));
            if (random() % 200 == 0)
                p.y = random() % 2 ? inf : std::nanf("");
            group.AddCell(p);
        }
    }
}
} // namespace

TEST(FireNeighbours, EveryListMatchesTheEveryPairScanOnSeededAreas)
{
    for (uint32_t seed = 1; seed <= 300; ++seed)
    {
        FireGroup group;
        BuildArea(group, seed);
        group.Finalise();
        for (size_t i = 0; i < group.CellCount(); ++i)
        {
            const std::vector<FireNeighbour> expected = EveryPairNeighbours(group, i);
            const std::vector<FireNeighbour>& got = group.Cell(i).neighbours;
            ASSERT_EQ(got.size(), expected.size()) << "seed " << seed << " cell " << i;
            for (size_t n = 0; n < got.size(); ++n)
            {
                ASSERT_EQ(got[n].index, expected[n].index) << "seed " << seed << " cell " << i;
                ASSERT_TRUE(SameBits(got[n].distance, expected[n].distance)) << "seed " << seed;
                ASSERT_TRUE(SameBits(got[n].weight, expected[n].weight)) << "seed " << seed;
            }
        }
    }
}

TEST(FireNeighbours, CellsAddedUnderTheSamePropertiesShareThem)
{
    FireGroup group;
    group.SetNextProperties(WithRadius(2.0f));
    group.AddCell(Vec3(0.0f, 0.0f, 0.0f));
    group.AddCell(Vec3(1.0f, 0.0f, 0.0f));
    group.SetNextProperties(WithRadius(3.0f));
    group.AddCell(Vec3(2.0f, 0.0f, 0.0f));

    EXPECT_EQ(group.Cell(0).properties, group.Cell(1).properties);
    EXPECT_NE(group.Cell(1).properties, group.Cell(2).properties);
    EXPECT_FLOAT_EQ(group.Cell(0).properties->m_AffectRadius, 2.0f);
    EXPECT_FLOAT_EQ(group.Cell(2).properties->m_AffectRadius, 3.0f);
    EXPECT_FLOAT_EQ(group.NextProperties().m_AffectRadius, 3.0f);
}
