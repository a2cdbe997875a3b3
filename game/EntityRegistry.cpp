#include "game/EntityRegistry.h"

#include "cross/RenderInstance.h"
#include "game/Entity.h"

void EntityRegistry::Add(Entity* entity)
{
    if (!entity)
        return;
    const uint32_t slot = uint32_t(m_slots.size());
    m_slots.push_back(entity);
    ++m_live;
    const auto inserted = m_places.try_emplace(entity);
    if (inserted.second)
        inserted.first->second.first = slot;
    else
        inserted.first->second.more.push_back(slot);
}

void EntityRegistry::Remove(Entity* entity)
{
    const auto found = m_places.find(entity);
    if (found == m_places.end())
        return;
    Places& places = found->second;
    m_slots[places.first] = nullptr;
    --m_live;
    if (places.more.empty())
    {
        m_places.erase(found);
    }
    else
    {
        places.first = places.more.front();
        places.more.erase(places.more.begin());
    }
    // Packing costs the whole list, so it waits until gaps outnumber entities.
    const size_t gaps = m_slots.size() - m_live;
    if (gaps > 16 && gaps > m_live)
        Pack();
}

bool EntityRegistry::Contains(const Entity* entity) const
{
    return m_places.count(entity) != 0;
}

Entity* EntityRegistry::At(size_t index) const
{
    if (index >= m_live)
        return nullptr;
    if (m_slots.size() != m_live)
        Pack();
    return m_slots[index];
}

Entity* EntityRegistry::First()
{
    m_cursor = 0;
    return Next();
}

Entity* EntityRegistry::Next()
{
    while (m_cursor < m_slots.size())
        if (Entity* entity = m_slots[m_cursor++])
            return entity;
    return nullptr;
}

// Closes the gaps, keeping the order, the places and the walk's position.
void EntityRegistry::Pack() const
{
    size_t kept = 0;
    size_t cursor = 0;
    m_places.clear();
    for (size_t slot = 0; slot < m_slots.size(); ++slot)
    {
        if (slot == m_cursor)
            cursor = kept;
        Entity* entity = m_slots[slot];
        if (!entity)
            continue;
        const auto inserted = m_places.try_emplace(entity);
        if (inserted.second)
            inserted.first->second.first = uint32_t(kept);
        else
            inserted.first->second.more.push_back(uint32_t(kept));
        m_slots[kept++] = entity;
    }
    m_cursor = m_cursor >= m_slots.size() ? kept : cursor;
    m_slots.resize(kept);
}

std::vector<Entity*> EntityRegistry::TakeAll()
{
    if (m_slots.size() != m_live)
        Pack();
    std::vector<Entity*> taken;
    taken.swap(m_slots);
    m_places.clear();
    m_cursor = 0;
    m_live = 0;
    return taken;
}

EntityRegistry& GetEntityRegistry()
{
    static EntityRegistry registry;
    return registry;
}

void EntityRegistryAdd(Entity* entity)
{
    GetEntityRegistry().Add(entity);
}

void EntityRegistryRemove(Entity* entity)
{
    GetEntityRegistry().Remove(entity);
}

Entity* WorldFirstEntity()
{
    return GetEntityRegistry().First();
}

Entity* WorldNextEntity()
{
    return GetEntityRegistry().Next();
}

// The cursor rather than an index: a step may add or remove entities.
void EntitiesStep(float dt)
{
    EntityRegistry& registry = GetEntityRegistry();
    for (Entity* entity = registry.First(); entity; entity = registry.Next())
        entity->Step(dt);
}

void EntitiesSubmitRender(float time, const Frustum& view)
{
    const EntityRegistry& registry = GetEntityRegistry();
    for (size_t i = 0; i < registry.Count(); ++i)
        if (RenderInstance* instance = registry.At(i)->GetRenderInstance())
            instance->Render(time, &view);
}
