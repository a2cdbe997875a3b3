// World physics over generated terrains: falling, landing, sliding and
// bouncing by the step's own numbers, the kind-1 rule, the undo, the
// inertialess move, and who takes part.

#include "TerrainFixture.h"

#include "core/MathExpect.h"
#include "game/Entity.h"
#include "game/EntityRegistry.h"
#include "game/World.h"
#include "game/WorldPhysics.h"

#include <cmath>
#include <vector>

namespace
{
constexpr float kStep = 0.1f;

struct Contact
{
    bool special;
    Vec3 normal, point;
};

class ContactEntity : public Entity
{
public:
    void OnTerrainContact(bool special, const Vec3& normal, const Vec3& point) override
    {
        contacts.push_back({special, normal, point});
    }
    std::vector<Contact> contacts;
};

class PhysicsTest : public TerrainFileTest
{
protected:
    void SetUp() override
    {
        TerrainFileTest::SetUp();
        SetGravity(0.0f);
    }
    void TearDown() override
    {
        GetEntityRegistry().TakeAll();
        simFinalize();
        SetGravity(9.8f);
        TerrainFileTest::TearDown();
    }

    void MakeTerrain(const TerrainMesh& mesh)
    {
        Write("world.chterrain", TerrainFileBuild(mesh));
        TerrainCreate("world.chterrain", "no model");
        ASSERT_NE(GetTerrain(), nullptr);
        ASSERT_FALSE(GetTerrain()->m_data.faces.empty()) << m_log.Text();
    }

    ContactEntity& Place(const Vec3& position, const Vec3& velocity, float bounce = 0.0f)
    {
        entity.SetPosition(position);
        entity.m__velocity = velocity;
        entity.SetUserFloat(bounce);
        EntityRegistryAdd(&entity);
        return entity;
    }

    ContactEntity entity;
};

// A slope rising towards -x: normal (s, s, 0), through the origin.
TerrainMesh Slope(uint32_t kind)
{
    TerrainMesh mesh;
    mesh.AddQuad(Vec3(-10, 10, -10), Vec3(-10, 10, 10), Vec3(10, -10, 10), Vec3(10, -10, -10), kind);
    return mesh;
}
} // namespace

TEST_F(PhysicsTest, WithoutTerrainGravityAndForcesMoveFreely)
{
    SetGravity(9.8f);
    Place(Vec3(0, 10, 0), Vec3(1, 0, 0));
    entity.AddForce(Vec3(0, 0, 2));
    WorldStepEntities(kStep);
    EXPECT_TRUE(Vec3Near(entity.m__velocity, Vec3(1, -0.98f, 0.2f), 1e-4f));
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0.1f, 9.902f, 0.02f), 1e-4f));
    EXPECT_TRUE(Vec3Near(entity.m_force, Vec3(0, 0, 0)));
    EXPECT_EQ(entity.m_contactFlag, 0);
}

struct LandingCase
{
    const char* name;
    uint32_t kind;
    float bounce;
    Vec3 position;
    bool special;
};

TEST_F(PhysicsTest, LandingOnFlatGroundSlidesOrBouncesTheRestOfTheMotion)
{
    // Radius 1 from height 1.5 moving (0.2, -1, 0) in the step: touches after
    // half the motion, 0.001 off the ground, with (0.1, -0.5, 0) left over.
    const LandingCase cases[] = {
        {"kind 0 slides", 0, 0.0f, Vec3(0.2f, 1.001f, 0), false},
        {"kind 0 bounces", 0, 1.0f, Vec3(0.2f, 1.501f, 0), false},
        {"kind 0 half and half", 0, 0.5f, Vec3(0.2f, 1.251f, 0), false},
        {"kind 1 bounce loses its rise", 1, 1.0f, Vec3(0.2f, 1.001f, 0), true},
        {"kind 2 bounces", 2, 1.0f, Vec3(0.2f, 1.501f, 0), true},
    };
    for (const LandingCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        MakeTerrain(FlatGround(10, 0, c.kind));
        entity.contacts.clear();
        Place(Vec3(0, 1.5f, 0), Vec3(2, -10, 0), c.bounce);
        WorldStepEntities(kStep);
        GetEntityRegistry().TakeAll();

        EXPECT_TRUE(Vec3Near(entity.Position(), c.position, 1e-4f));
        ASSERT_EQ(entity.contacts.size(), 1u);
        EXPECT_EQ(entity.contacts[0].special, c.special);
        EXPECT_TRUE(Vec3Near(entity.contacts[0].normal, Vec3(0, 1, 0)));
        EXPECT_TRUE(Vec3Near(entity.contacts[0].point, Vec3(0.1f, 1.001f, 0), 1e-4f));
        EXPECT_EQ(entity.m_contactFlag, 1);
        EXPECT_TRUE(Vec3Near(entity.m_contactNormal, Vec3(0, 1, 0)));
        // Velocity is the step's displacement plus the contact normal x 20.
        const Vec3 moved = (c.position - Vec3(0, 1.5f, 0)) * (1.0f / kStep);
        EXPECT_TRUE(Vec3Near(entity.m__velocity, moved + Vec3(0, 20, 0), 2e-3f));
        EXPECT_NEAR(entity.m__velocity.x, 2.0f, 1e-3f);
    }
}

TEST_F(PhysicsTest, KindOneNeverPushesUpTheSlope)
{
    // Moving into the slope horizontally: kind 0 slides up it; kind 1 rises
    // by no more than the push-out of its three contacts.
    const float startY = 3.0f;
    for (uint32_t kind : {0u, 1u})
    {
        SCOPED_TRACE(kind);
        MakeTerrain(Slope(kind));
        Place(Vec3(-1.0f, startY, 0), Vec3(-20, 0, 0));
        WorldStepEntities(kStep);
        GetEntityRegistry().TakeAll();
        ASSERT_FALSE(entity.contacts.empty());
        if (kind == 0)
            EXPECT_GT(entity.Position().y, startY + 0.1f);
        else
            EXPECT_LE(entity.Position().y, startY + 0.0025f);
        entity.contacts.clear();
    }
}

TEST_F(PhysicsTest, EndingInsideTheTerrainUndoesTheStep)
{
    // A wall at x = 0 facing +x that the sphere already cuts: sweeps cannot
    // stop it, the overlap catches it. Then a floor contact on the way.
    TerrainMesh mesh;
    mesh.AddQuad(Vec3(0, 0, -5), Vec3(0, 0, 5), Vec3(0, 10, 5), Vec3(0, 10, -5));
    MakeTerrain(mesh);
    Place(Vec3(0.5f, 5, 0), Vec3(0, 0, 3));
    WorldStepEntities(kStep);
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0.5f, 5, 0)));
    EXPECT_TRUE(Vec3Near(entity.m__velocity, Vec3(0, 0, 0)));

    TerrainMesh withFloor = mesh;
    withFloor.AddQuad(Vec3(-5, 0, -5), Vec3(-5, 0, 5), Vec3(5, 0, 5), Vec3(5, 0, -5));
    GetEntityRegistry().TakeAll();
    MakeTerrain(withFloor);
    Place(Vec3(0.5f, 1.2f, 0), Vec3(0, -5, 0));
    WorldStepEntities(kStep);
    ASSERT_EQ(entity.m_contactFlag, 1);
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0.5f, 1.2f, 0)));
    EXPECT_TRUE(Vec3Near(entity.m__velocity, entity.m_contactNormal * 20.0f, 1e-4f));
}

TEST_F(PhysicsTest, ThreeContactsFreezeTheRestOfTheMotion)
{
    // Into a corner: the floor, then the wall at x = 2, then the wall at z = 2.
    TerrainMesh pit = FlatGround(5);
    pit.AddQuad(Vec3(2, -5, -5), Vec3(2, -5, 5), Vec3(2, 5, 5), Vec3(2, 5, -5));
    pit.AddQuad(Vec3(-5, -5, 2), Vec3(-5, 5, 2), Vec3(5, 5, 2), Vec3(5, -5, 2));
    MakeTerrain(pit);
    Place(Vec3(0, 1.5f, 0), Vec3(30, -30, 20));
    WorldStepEntities(kStep);
    ASSERT_EQ(entity.contacts.size(), 3u);
    EXPECT_TRUE(Vec3Near(entity.contacts[0].normal, Vec3(0, 1, 0)));
    EXPECT_TRUE(Vec3Near(entity.contacts[1].normal, Vec3(-1, 0, 0)));
    EXPECT_TRUE(Vec3Near(entity.contacts[2].normal, Vec3(0, 0, -1)));
    EXPECT_TRUE(Vec3Near(entity.Position(), entity.contacts[2].point));
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0.999f, 1.001f, 0.999f), 1e-4f));
}

TEST_F(PhysicsTest, EntitiesOutOfPhysicsKeepTheirPlaceAndAccumulators)
{
    MakeTerrain(FlatGround(10));
    Entity noRadius, noPhysics;
    noRadius.SetRadius(0.0f);
    noPhysics.m_flags &= ~kEntityInPhysics;
    for (Entity* e : {&noRadius, &noPhysics})
    {
        e->SetPosition(Vec3(0, 5, 0));
        e->m__velocity = Vec3(0, -1, 0);
        e->AddForce(Vec3(1, 2, 3));
        e->AddInertialessForce(Vec3(4, 5, 6));
        EntityRegistryAdd(e);
    }
    SetGravity(9.8f);
    WorldStepEntities(kStep);
    for (Entity* e : {&noRadius, &noPhysics})
    {
        EXPECT_TRUE(Vec3Near(e->Position(), Vec3(0, 5, 0)));
        EXPECT_TRUE(Vec3Near(e->m__velocity, Vec3(0, -1, 0)));
        EXPECT_TRUE(Vec3Near(e->m_force, Vec3(1, 2, 3)));
        EXPECT_TRUE(Vec3Near(e->m_inertialessForce, Vec3(4, 5, 6)));
    }
}

TEST_F(PhysicsTest, ZeroStepMovesNothing)
{
    Place(Vec3(0, 5, 0), Vec3(0, -1, 0));
    WorldStepEntities(0.0f);
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0, 5, 0)));
    EXPECT_TRUE(Vec3Near(entity.m__velocity, Vec3(0, -1, 0)));
}

TEST_F(PhysicsTest, InertialessMoveDoesNotEnterTheVelocity)
{
    Place(Vec3(0, 5, 0), Vec3(0, 0, 0));
    entity.AddInertialessForce(Vec3(10, 0, 0));
    WorldStepEntities(kStep);
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(1, 5, 0), 1e-5f));
    EXPECT_TRUE(Vec3Near(entity.m__velocity, Vec3(0, 0, 0)));
    EXPECT_TRUE(Vec3Near(entity.m_inertialessForce, Vec3(0, 0, 0)));
}

TEST_F(PhysicsTest, InertialessMoveSlidesAlongAWallOnceAndStopsAtASecond)
{
    // A wall at x = 2 facing -x; the move (3, 0, 3) slides along it in z.
    TerrainMesh wall;
    wall.AddQuad(Vec3(2, -5, -5), Vec3(2, -5, 5), Vec3(2, 5, 5), Vec3(2, 5, -5));
    MakeTerrain(wall);
    Place(Vec3(0, 0, 0), Vec3(0, 0, 0));
    entity.AddInertialessForce(Vec3(30, 0, 30));
    WorldStepEntities(kStep);
    EXPECT_NEAR(entity.Position().x, 0.999f, 1e-4f);
    EXPECT_NEAR(entity.Position().z, 3.0f, 1e-4f);

    // A second wall across the slide: it stays where the main move left it.
    TerrainMesh corner = wall;
    corner.AddQuad(Vec3(-5, -5, 2), Vec3(-5, 5, 2), Vec3(5, 5, 2), Vec3(5, -5, 2));
    GetEntityRegistry().TakeAll();
    MakeTerrain(corner);
    Place(Vec3(0, 0, 0), Vec3(0, 0, 0));
    entity.AddInertialessForce(Vec3(30, 0, 24));
    WorldStepEntities(kStep);
    EXPECT_TRUE(Vec3Near(entity.Position(), Vec3(0, 0, 0)));
}

TEST_F(PhysicsTest, ResolveAgainstWorldSetsTheHeightOntoTheSurface)
{
    TerrainMesh mesh = FlatGround(10, 2.0f);
    mesh.AddQuad(Vec3(-10, 6, -10), Vec3(-10, 6, 0), Vec3(10, 6, 0), Vec3(10, 6, -10));
    MakeTerrain(mesh);
    struct Case
    {
        Vec3 from;
        float height;
    } cases[] = {
        {Vec3(1, 4, 5), 2.0f},   // above the ground
        {Vec3(1, 1.5f, 5), 2.0f}, // within a radius below it
        {Vec3(1, -3, 5), 2.0f},  // far below: found from infinitely high
        {Vec3(1, 5.5f, -5), 6.0f}, // just under the shelf, within a radius
        {Vec3(1, 4.0f, -5), 2.0f}, // well under the shelf: the ground
    };
    for (const Case& c : cases)
    {
        Entity e;
        e.SetPosition(c.from);
        e.ResolveAgainstWorld();
        EXPECT_TRUE(Vec3Near(e.Position(), Vec3(c.from.x, c.height, c.from.z))) << c.from.y;
    }
    Entity off;
    off.SetPosition(Vec3(50, 4, 50));
    off.ResolveAgainstWorld();
    EXPECT_TRUE(Vec3Near(off.Position(), Vec3(50, 4, 50)));
}
