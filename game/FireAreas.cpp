#include "game/FireAreas.h"

FireAreas::FireAreas()
{
    m_areas.reserve(kReservedAreas);
}

uint32_t FireAreas::AddFireArea()
{
    const uint32_t id = m_nextID++;
    m_areas.push_back(std::make_unique<FireInterface>(id));
    return id;
}

FireInterface* FireAreas::GetProxyFromID(uint32_t id)
{
    for (const std::unique_ptr<FireInterface>& area : m_areas)
        if (area->GetID() == id)
            return area.get();
    return nullptr;
}

void FireAreas::FinaliseAddingInFireArea(uint32_t id)
{
    if (FireInterface* area = GetProxyFromID(id))
        area->Finalise();
}

void FireAreas::StartFires(const Vec3& point, float radius)
{
    for (const std::unique_ptr<FireInterface>& area : m_areas)
        area->StartFires(point, radius);
}

void FireAreas::Update(float dt)
{
    for (const std::unique_ptr<FireInterface>& area : m_areas)
        area->Update(dt);
}

void FireAreas::Clear()
{
    m_areas.clear();
}

FireAreas& GetFireAreas()
{
    // Never destroyed: at exit the effect system may already be gone, and an
    // area's destructor still speaks to its effect.
    static FireAreas* const areas = new FireAreas;
    return *areas;
}
