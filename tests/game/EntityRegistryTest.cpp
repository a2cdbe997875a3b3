// The entity registry: order, removal (also by deleting an entity), the
// cursor walk, the per-step walk and the scene hook.

#include "game/EntityRegistry.h"

#include "cross/RenderInstance.h"
#include "game/Entity.h"

#include <gtest/gtest.h>

#include <memory>
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
