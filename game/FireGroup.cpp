#include "game/FireGroup.h"

#include <cmath>

void FireCell::Ignite()
{
    if (properties.m_ignitionTemperature > T && F > 0.0f)
        T = properties.m_ignitionTemperature;
}

uint32_t FireGroup::AddCell(const Vec3& position)
{
    m_cells.emplace_back();
    FireCell& cell = m_cells.back();
    cell.index = static_cast<uint32_t>(m_cells.size() - 1);
    cell.position = position;
    cell.properties = m_next;
    return cell.index;
}

void FireGroup::FinaliseCell(FireCell& cell, const std::vector<Vec3>& positions)
{
    const FireProperties& p = cell.properties;
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
    for (uint32_t other = 0; other < positions.size(); ++other)
    {
        if (other == cell.index)
            continue;
        const float distanceSquared = Vec3LengthSquared(positions[other] - cell.position);
        if (!(distanceSquared < radiusSquared))
            continue;
        const float distance = std::sqrt(distanceSquared);
        cell.neighbours.push_back(FireNeighbour{other, distance, cell.tempDeltaByDistance.GetVatT(distance)});
    }
}

void FireGroup::Finalise()
{
    // All pairs are compared: a packed copy of the positions keeps that scan fast.
    std::vector<Vec3> positions;
    positions.reserve(m_cells.size());
    for (const FireCell& cell : m_cells)
        positions.push_back(cell.position);
    for (FireCell& cell : m_cells)
        FinaliseCell(cell, positions);
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
