#pragma once
// Every fire area of the level, reached by id. Ids are never reused, so an
// id kept across Clear finds nothing.

#include "game/FireInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

class FireAreas
{
public:
    static constexpr size_t kReservedAreas = 100;

    FireAreas();

    uint32_t AddFireArea();
    // Null for an unknown id.
    FireInterface* GetProxyFromID(uint32_t id);
    // An unknown id does nothing.
    void FinaliseAddingInFireArea(uint32_t id);
    void StartFires(const Vec3& point, float radius);
    void Update(float dt);
    void Clear();

    size_t AreaCount() const { return m_areas.size(); }

private:
    std::vector<std::unique_ptr<FireInterface>> m_areas;
    uint32_t m_nextID = 1;
};

FireAreas& GetFireAreas();
