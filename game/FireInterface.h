#pragma once
// One fire area: its cells and the "fire" effect whose particles rise from
// the cells that burn.

#include "fx/FX.h"
#include "game/FireGroup.h"

#include <cstdint>
#include <memory>
#include <vector>

class FireInterface
{
public:
    explicit FireInterface(uint32_t id);
    // Takes the emission points away from the effect and kills it.
    virtual ~FireInterface();

    void SetNextFireProperties(const FireProperties& properties);
    uint32_t AddCellPoint(const Vec3& position);
    // The position buffer is made for the cells now present; the effect lets
    // go of the old one first.
    void Finalise();
    void StartFires(const Vec3& point, float radius);
    // Steps the cells, then feeds the effect the burning positions, or fades
    // it out when nothing burns.
    void Update(float dt);

    uint32_t GetID() const { return m_id; }
    FireGroup& Group() { return *m_group; }
    const FX& Effect() const { return m_effect; }
    int BurningPositionCount() const { return m_burningCount; }

private:
    void FeedEffect();
    void DetachEmitPositions();

    std::unique_ptr<FireGroup> m_group;
    FX m_effect;
    int m_burningCount = 0;
    std::vector<Vec3> m_positions;
    uint32_t m_id;
};
