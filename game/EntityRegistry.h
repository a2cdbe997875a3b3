#pragma once
// The one list of live entities, in the order they were added: the fixed
// step steps them, the scene draws them and the world physics moves them.
// It does not own them while the game runs; world finalisation deletes the
// engine-allocated ones still in it.

#include <cstddef>
#include <vector>

class Entity;
struct Frustum;

class EntityRegistry
{
public:
    void Add(Entity* entity);
    // Erases the first element equal to the entity; nothing when absent.
    void Remove(Entity* entity);
    bool Contains(const Entity* entity) const;

    size_t Count() const { return m_entities.size(); }
    Entity* At(size_t index) const { return index < m_entities.size() ? m_entities[index] : nullptr; }

    // The cursor walk: First resets it. Null at the end.
    Entity* First();
    Entity* Next();

    // Empties the list, handing back what it held.
    std::vector<Entity*> TakeAll();

private:
    std::vector<Entity*> m_entities;
    size_t m_cursor = 0;
};

EntityRegistry& GetEntityRegistry();

void EntityRegistryAdd(Entity* entity);
void EntityRegistryRemove(Entity* entity);
Entity* WorldFirstEntity();
Entity* WorldNextEntity();

// Every registered entity's per-step operation, in registry order.
void EntitiesStep(float dt);
// The scene hook: every registered entity that has a render instance draws it.
void EntitiesSubmitRender(float time, const Frustum& view);
