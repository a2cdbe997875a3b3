#include "game/FireGroup.h"

#include <algorithm>
#include <cmath>

void FireCell::Ignite()
{
    if (properties->m_ignitionTemperature > T && F > 0.0f)
        T = properties->m_ignitionTemperature;
}

uint32_t FireGroup::AddCell(const Vec3& position)
{
    m_cells.emplace_back();
    FireCell& cell = m_cells.back();
    cell.index = static_cast<uint32_t>(m_cells.size() - 1);
    cell.position = position;
    if (!m_nextShared)
    {
        m_shared.push_back(m_next);
        m_nextShared = true;
    }
    cell.properties = &m_shared.back();
    return cell.index;
}

void FireGroup::SetNextProperties(const FireProperties& properties)
{
    m_next = properties;
    m_nextShared = false;
}

void FireGroup::FinaliseCell(FireCell& cell, const std::vector<Vec3>& positions, const FireNeighbourGrid* grid)
{
    const FireProperties& p = *cell.properties;
    cell.T = p.m_initialTemperature;
    cell.F = p.m_initialfuelamount;
    cell.I = cell.S = cell.R = cell.E = cell.L = 0.0f;
    cell.fuelRate.SetDef(&p.m_FuelRateVsTempInterpD);
    cell.burnIntensity.SetDef(&p.m_BurnIntensityVsTempInterpD);
    cell.radiance.SetDef(&p.m_RadianceEnergyVsIntensityInterpD);
    cell.tempDeltaByDistance.SetDef(&p.m_TempDeltaVsDistanceInterpD);
    cell.heatLoss.SetDef(&p.m_HeatLossVsTempInterpD);
    cell.smoulder.SetDef(&p.m_SmolderVsTempInterpD);
    cell.k = cell.tempDeltaByDistance.GetVatT(0.0f);

    cell.neighbours.clear();
    const float radiusSquared = p.m_AffectRadius * p.m_AffectRadius;
    // No distance is below zero (or below NaN).
    if (!(radiusSquared > 0.0f))
        return;
    m_within.clear();
    const auto consider = [&](uint32_t other)
    {
        const float distanceSquared = Vec3LengthSquared(positions[other] - cell.position);
        if (distanceSquared < radiusSquared && other != cell.index)
            m_within.push_back({other, distanceSquared});
    };
    // An endless radius, or a cell not at a finite place, is checked against
    // every cell as the grid cannot bound it.
    const bool searchGrid = grid && std::isfinite(radiusSquared) && std::isfinite(cell.position.x) &&
                            std::isfinite(cell.position.y) && std::isfinite(cell.position.z);
    if (searchGrid)
        grid->ForEachNear(cell.position, consider);
    else
        for (uint32_t other = 0; other < positions.size(); ++other)
            consider(other);
    // Array order, and the distance curve read in that order: its cursor
    // makes the weights depend on the order they are read in. Most lists are
    // short: an insertion sort for them.
    if (m_within.size() > 32)
        std::sort(m_within.begin(), m_within.end(),
                  [](const Within& a, const Within& b) { return a.index < b.index; });
    for (size_t i = 1; i < m_within.size(); ++i)
        for (size_t j = i; j > 0 && m_within[j - 1].index > m_within[j].index; --j)
            std::swap(m_within[j - 1], m_within[j]);
    for (const Within& within : m_within)
    {
        const float distance = std::sqrt(within.distanceSquared);
        cell.neighbours.push_back(
            FireNeighbour{within.index, distance, cell.tempDeltaByDistance.GetVatT(distance)});
    }
}

void FireGroup::Finalise()
{
    std::vector<Vec3>& positions = m_positions;
    positions.clear();
    float reach = 0.0f;
    for (const FireCell& cell : m_cells)
    {
        positions.push_back(cell.position);
        const float radius = std::fabs(cell.properties->m_AffectRadius);
        if (std::isfinite(radius * radius))
            reach = std::max(reach, radius);
    }
    // Buckets as wide as the largest radius: a cell's neighbours are then in
    // the buckets around its own.
    if (reach > 0.0f)
        m_grid.Build(positions, reach);
    for (FireCell& cell : m_cells)
        FinaliseCell(cell, positions, reach > 0.0f ? &m_grid : nullptr);
    m_finalisedCount = m_cells.size();
    m_burning.clear();
    m_smouldering.clear();
    m_burning.reserve(m_finalisedCount);
    m_smouldering.reserve(m_finalisedCount);
}

void FireGroup::StartFires(const Vec3& point, float radius)
{
    const float radiusSquared = radius * radius;
    for (size_t i = 0; i < m_finalisedCount; ++i)
        if (Vec3LengthSquared(m_cells[i].position - point) < radiusSquared)
            m_cells[i].Ignite();
}

void FireGroup::StepBurning(FireCell& cell, float dt)
{
    cell.I = cell.burnIntensity.GetVatT(cell.T);
    cell.R = cell.fuelRate.GetVatT(cell.T);
    cell.E = cell.radiance.GetVatT(cell.I);
    const float h = cell.k * cell.E * dt;
    cell.T += cell.k * h;
    cell.F -= cell.R * dt;
    // Later cells of the array already feel this heat in the same update.
    for (const FireNeighbour& neighbour : cell.neighbours)
        m_cells[neighbour.index].T += neighbour.weight * h;
    if (cell.IsBurning())
    {
        m_burning.push_back(cell.index);
        return;
    }
    if (cell.F < 0.0f)
        cell.F = 0.0f;
    cell.L = cell.heatLoss.GetVatT(cell.T);
    cell.S = cell.smoulder.GetVatT(cell.T);
    m_smouldering.push_back(cell.index);
}

void FireGroup::Update(float dt)
{
    m_burning.clear();
    m_smouldering.clear();
    for (size_t i = 0; i < m_finalisedCount; ++i)
    {
        FireCell& cell = m_cells[i];
        if (cell.IsBurning())
        {
            StepBurning(cell, dt);
        }
        else if (cell.S > 0.0f)
        {
            cell.L = cell.heatLoss.GetVatT(cell.T);
            cell.S = cell.smoulder.GetVatT(cell.T);
            cell.T -= cell.L * dt;
            m_smouldering.push_back(cell.index);
        }
    }
}
