// The entity registry: order, removal (also by deleting an entity), the
// cursor walk, the per-step walk and the scene hook.

#include "game/EntityRegistry.h"

#include "cross/RenderInstance.h"
#include "game/Entity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{
class RegistryTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(GetEntityRegistry().Count(), 0u); }
    void TearDown() override { GetEntityRegistry().TakeAll(); }

    static std::vector<Entity*> Walk()
    {
        std::vector<Entity*> seen;
        for (Entity* e = WorldFirstEntity(); e; e = WorldNextEntity())
            seen.push_back(e);
        return seen;
    }
};

// Notes each step in a shared log; one may remove another (or itself).
class NotingEntity : public Entity
{
public:
    NotingEntity(std::string name, std::string& log) : m_name(std::move(name)), m_log(log) {}
    void Step(float dt) override
    {
        m_log += m_name + ":" + std::to_string(int(dt * 1000)) + " ";
        if (m_removeOnStep)
            EntityRegistryRemove(m_removeOnStep);
    }

    std::string m_name;
    std::string& m_log;
    Entity* m_removeOnStep = nullptr;
};

struct RecordingInstance : public RenderInstance
{
    void Render(float time, const Frustum* planes) override
    {
        times.push_back(time);
        lastPlanes = planes;
    }
    std::vector<float> times;
    const Frustum* lastPlanes = nullptr;
};
} // namespace

TEST_F(RegistryTest, KeepsAddOrderAndRemovesTheFirstEqualElement)
{
    Entity a, b, c;
    EntityRegistryAdd(&a);
    EntityRegistryAdd(&b);
    EntityRegistryAdd(&a);
    EntityRegistryAdd(&c);
    EntityRegistryRemove(&a);
    EXPECT_EQ(Walk(), (std::vector<Entity*>{&b, &a, &c}));
    Entity absent;
    EntityRegistryRemove(&absent);
    EntityRegistryRemove(nullptr);
    EXPECT_EQ(Walk(), (std::vector<Entity*>{&b, &a, &c}));
    EntityRegistryRemove(&a);
    EXPECT_EQ(Walk(), (std::vector<Entity*>{&b, &c}));
}

TEST_F(RegistryTest, DeletingAnEntityTakesItOut)
{
    Entity kept;
    auto gone = std::make_unique<Entity>();
    EntityRegistryAdd(gone.get());
    EntityRegistryAdd(&kept);
    gone.reset();
    EXPECT_EQ(Walk(), (std::vector<Entity*>{&kept}));
}

TEST_F(RegistryTest, EmptyWalkAnswersNull)
{
    EXPECT_EQ(WorldFirstEntity(), nullptr);
    EXPECT_EQ(WorldNextEntity(), nullptr);
}

TEST_F(RegistryTest, RemovingDuringAWalkSkipsNothingThatRemains)
{
    Entity a, b, c, d;
    for (Entity* e : {&a, &b, &c, &d})
        EntityRegistryAdd(e);
    std::vector<Entity*> seen;
    for (Entity* e = WorldFirstEntity(); e; e = WorldNextEntity())
    {
        seen.push_back(e);
        if (e == &b)
            EntityRegistryRemove(&a);
    }
    EXPECT_EQ(seen, (std::vector<Entity*>{&a, &b, &c, &d}));
}

TEST_F(RegistryTest, StepRunsInOrderAndSurvivesAnEntityRemovingAnother)
{
    std::string log;
    NotingEntity first("first", log), second("second", log), third("third", log);
    for (Entity* e : {(Entity*)&first, (Entity*)&second, (Entity*)&third})
        EntityRegistryAdd(e);
    EntitiesStep(0.033f);
    EXPECT_EQ(log, "first:33 second:33 third:33 ");

    log.clear();
    second.m_removeOnStep = &third;
    EntitiesStep(0.01f);
    EXPECT_EQ(log, "first:10 second:10 ");
}

TEST_F(RegistryTest, SceneHookDrawsEveryRegisteredEntityThatHasAnInstance)
{
    Entity drawn, undrawn, unregistered;
    RecordingInstance drawnInstance, unregisteredInstance;
    drawn.SetRenderInstance(&drawnInstance);
    unregistered.SetRenderInstance(&unregisteredInstance);
    EntityRegistryAdd(&undrawn);
    EntityRegistryAdd(&drawn);

    const Frustum view{};
    EntitiesSubmitRender(0.5f, view);
    EXPECT_EQ(drawnInstance.times, std::vector<float>{0.5f});
    EXPECT_EQ(drawnInstance.lastPlanes, &view);
    EXPECT_TRUE(unregisteredInstance.times.empty());
}

TEST_F(RegistryTest, StepSurvivesAnEntityRemovingItselfAnEarlierOrALaterOne)
{
    struct Case
    {
        int remover, removed;
        const char* log;
    };
    const Case cases[] = {
        {1, 1, "0:10 1:10 2:10 3:10 "}, // itself
        {2, 0, "0:10 1:10 2:10 3:10 "}, // an earlier one
        {1, 2, "0:10 1:10 3:10 "},      // a later one
        {3, 3, "0:10 1:10 2:10 3:10 "}, // the last, itself
        {0, 0, "0:10 1:10 2:10 3:10 "}, // the first, itself
    };
    for (const Case& c : cases)
    {
        std::string log;
        std::vector<std::unique_ptr<NotingEntity>> entities;
        for (int i = 0; i < 4; ++i)
        {
            entities.push_back(std::make_unique<NotingEntity>(std::to_string(i), log));
            EntityRegistryAdd(entities.back().get());
        }
        entities[size_t(c.remover)]->m_removeOnStep = entities[size_t(c.removed)].get();
        EntitiesStep(0.01f);
        EXPECT_EQ(log, c.log) << c.remover << " removes " << c.removed;
        EXPECT_EQ(GetEntityRegistry().Count(), 3u);
        EXPECT_FALSE(GetEntityRegistry().Contains(entities[size_t(c.removed)].get()));
        GetEntityRegistry().TakeAll();
    }
}

// Seeded runs of adds (repeats too), removals, indexed reads and cursor
// walks that remove as they go, against the plain list with find and erase.
TEST_F(RegistryTest, MatchesThePlainListOnSeededOperations)
{
    std::vector<Entity> pool(40);
    for (uint32_t seed = 1; seed <= 200; ++seed)
    {
        std::mt19937 random(seed);
        std::vector<Entity*> plain;
        EntityRegistry& registry = GetEntityRegistry();
        for (int op = 0; op < 600; ++op)
        {
            Entity* entity = &pool[random() % pool.size()];
            switch (random() % 5)
            {
            case 0:
            case 1:
                registry.Add(entity);
                plain.push_back(entity);
                break;
            case 2:
            {
                registry.Remove(entity);
                const auto found = std::find(plain.begin(), plain.end(), entity);
                if (found != plain.end())
                    plain.erase(found);
                break;
            }
            case 3:
                ASSERT_EQ(registry.Count(), plain.size()) << "seed " << seed;
                for (size_t i = 0; i < plain.size(); ++i)
                    ASSERT_EQ(registry.At(i), plain[i]) << "seed " << seed;
                ASSERT_EQ(registry.Contains(entity),
                          std::find(plain.begin(), plain.end(), entity) != plain.end());
                break;
            default:
            {
                // Each entity met may take out a random one. The plain list
                // walks by the index of the next place, moved back when a
                // place before it goes: nothing that remains is skipped.
                size_t next = 0;
                for (Entity* e = registry.First(); e; e = registry.Next())
                {
                    ASSERT_LT(next, plain.size()) << "seed " << seed;
                    ASSERT_EQ(e, plain[next++]) << "seed " << seed;
                    if (random() % 3 != 0)
                        continue;
                    Entity* gone = &pool[random() % pool.size()];
                    registry.Remove(gone);
                    const auto found = std::find(plain.begin(), plain.end(), gone);
                    if (found == plain.end())
                        continue;
                    if (size_t(found - plain.begin()) < next)
                        --next;
                    plain.erase(found);
                }
                ASSERT_EQ(next, plain.size()) << "seed " << seed;
                break;
            }
            }
        }
        ASSERT_EQ(registry.TakeAll(), plain) << "seed " << seed;
    }
}
