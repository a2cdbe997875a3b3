#include "game/EntityRegistry.h"

#include "cross/RenderInstance.h"
#include "game/Entity.h"

#include <algorithm>

void EntityRegistry::Add(Entity* entity)
{
    if (entity)
        m_entities.push_back(entity);
}

void EntityRegistry::Remove(Entity* entity)
{
    const auto found = std::find(m_entities.begin(), m_entities.end(), entity);
    if (found == m_entities.end())
        return;
    const size_t index = size_t(found - m_entities.begin());
    m_entities.erase(found);
    // A walk in progress keeps its place: the element after the removed one
    // moved into the removed one's slot.
    if (index < m_cursor)
        --m_cursor;
}

bool EntityRegistry::Contains(const Entity* entity) const
{
    return std::find(m_entities.begin(), m_entities.end(), entity) != m_entities.end();
}

Entity* EntityRegistry::First()
{
    m_cursor = 0;
    return At(0);
}

Entity* EntityRegistry::Next()
{
    if (m_cursor < m_entities.size())
        ++m_cursor;
    return At(m_cursor);
}

std::vector<Entity*> EntityRegistry::TakeAll()
{
    std::vector<Entity*> taken;
    taken.swap(m_entities);
    m_cursor = 0;
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

// Indexed rather than iterated: a step may add or remove entities.
void EntitiesStep(float dt)
{
    const EntityRegistry& registry = GetEntityRegistry();
    for (size_t i = 0; i < registry.Count(); ++i)
        registry.At(i)->Step(dt);
}

void EntitiesSubmitRender(float time, const Frustum& view)
{
    const EntityRegistry& registry = GetEntityRegistry();
    for (size_t i = 0; i < registry.Count(); ++i)
        if (RenderInstance* instance = registry.At(i)->GetRenderInstance())
            instance->Render(time, &view);
}
