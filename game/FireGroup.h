#pragma once
// The cells of one fire area and their step: a burning cell uses up fuel,
// heats itself and passes heat to the cells near it; once out of fuel it
// smoulders and cools.

#include "core/Interp.h"
#include "core/Vec3.h"
#include "game/FireNeighbourGrid.h"
#include "game/FireProperties.h"

#include <cstdint>
#include <deque>
#include <vector>

// By index, so that cells added later never leave a neighbour dangling.
struct FireNeighbour
{
    uint32_t index;
    float distance;
    float weight;
};

struct FireCell
{
    uint32_t index = 0;
    Vec3 position;
    float I = 0.0f; // burn intensity
    float S = 0.0f; // smoulder
    // Shared by every cell added under the same next properties.
    const FireProperties* properties = nullptr;
    Interp fuelRate, burnIntensity, radiance, tempDeltaByDistance, heatLoss, smoulder;
    float R = 0.0f; // fuel rate
    float E = 0.0f; // radiance
    float L = 0.0f; // heat loss
    float T = 0.0f; // temperature
    float F = 0.0f; // fuel
    float k = 0.0f; // transfer factor
    std::vector<FireNeighbour> neighbours;

    bool IsBurning() const { return T >= properties->m_ignitionTemperature && F > 0.0f; }
    void Ignite();
};

class FireGroup
{
public:
    // The cell takes the next properties as they are now.
    uint32_t AddCell(const Vec3& position);
    // Every cell to its start, its curves bound, its neighbours those strictly
    // within its radius, in array order.
    void Finalise();
    // Every finalised cell strictly closer than the radius.
    void StartFires(const Vec3& point, float radius);
    void Update(float dt);

    void SetNextProperties(const FireProperties& properties);
    const FireProperties& NextProperties() const { return m_next; }
    size_t CellCount() const { return m_cells.size(); }
    // The cells the last finalisation took in, a prefix of the array: cells
    // added since stay cold and out of the step.
    size_t FinalisedCount() const { return m_finalisedCount; }
    FireCell& Cell(size_t index) { return m_cells[index]; }
    const FireCell& Cell(size_t index) const { return m_cells[index]; }
    const std::vector<uint32_t>& Burning() const { return m_burning; }
    const std::vector<uint32_t>& Smouldering() const { return m_smouldering; }

private:
    void FinaliseCell(FireCell& cell, const std::vector<Vec3>& positions, const FireNeighbourGrid* grid);
    void StepBurning(FireCell& cell, float dt);

    // A deque keeps every cell, and the curves its cursors read, in place as cells are added.
    std::deque<FireCell> m_cells;
    std::vector<uint32_t> m_burning;
    std::vector<uint32_t> m_smouldering;
    FireProperties m_next;
    // Every properties value cells were added under, kept in place for the
    // cells and the curves their cursors read.
    std::deque<FireProperties> m_shared;
    bool m_nextShared = false;
    // The neighbour search's scratch, kept to spare allocations.
    struct Within
    {
        uint32_t index;
        float distanceSquared;
    };
    std::vector<Vec3> m_positions;
    FireNeighbourGrid m_grid;
    std::vector<Within> m_within;
    size_t m_finalisedCount = 0;
};
