#pragma once
// The one list of live entities, in the order they were added: the fixed
// step steps them, the scene draws them and the world physics moves them.
// It does not own them while the game runs; world finalisation deletes the
// engine-allocated ones still in it.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class Entity;
struct Frustum;

class EntityRegistry
{
public:
    void Add(Entity* entity);
    // Takes out the first occurrence of the entity; nothing when absent.
    // Constant time: the slot is left empty and the list is packed later.
    void Remove(Entity* entity);
    bool Contains(const Entity* entity) const;

    size_t Count() const { return m_live; }
    // The index-th entity in order; packs the list first if removals left gaps.
    Entity* At(size_t index) const;

    // The cursor walk: First resets it. Null at the end. Removing any entity
    // during the walk (the current one, one before or one after) skips
    // nothing that remains; entities added during it are reached too.
    Entity* First();
    Entity* Next();

    // Empties the list, handing back what it held.
    std::vector<Entity*> TakeAll();

private:
    // Where an entity sits: its first slot, then any later ones in order.
    struct Places
    {
        uint32_t first = 0;
        std::vector<uint32_t> more;
    };

    void Pack() const;

    // Removed entities leave null slots behind until the next packing.
    mutable std::vector<Entity*> m_slots;
    mutable std::unordered_map<const Entity*, Places> m_places;
    mutable size_t m_cursor = 0; // the slot the next step of the walk starts from
    size_t m_live = 0;
};

EntityRegistry& GetEntityRegistry();

void EntityRegistryAdd(Entity* entity);
void EntityRegistryRemove(Entity* entity);
Entity* WorldFirstEntity();
Entity* WorldNextEntity();

// Every registered entity's per-step operation, in registry order, through
// the registry's cursor: an entity may remove itself or any other.
void EntitiesStep(float dt);
// The scene hook: every registered entity that has a render instance draws it.
void EntitiesSubmitRender(float time, const Frustum& view);
