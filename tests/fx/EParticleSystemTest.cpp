#include "FXElementFixture.h"

#include "fx/EParticleSystem.h"

#include <cmath>

namespace
{
// Curves by their place in the block: P1 to P21.
InterpDef& P(FXElementDef& def, int n)
{
    return def.particleCurves[n - 1];
}

class EParticleSystemTest : public FXElementTest
{
protected:
    void SetUp() override
    {
        FXElementTest::SetUp();
        m_def.type = kFXParticleSystem;
        m_def.lifeTime = 100.0f;
        m_def.particleLifeTime = 100.0f;
        for (float& multiply : m_def.lowLodMultiply)
            multiply = 1.0f;
        Constant(m_def.sizeCurve, 1.0f);
        Constant(m_def.stretchCurve, 1.0f);
        for (InterpDef* curve : {&m_def.redCurve, &m_def.greenCurve, &m_def.blueCurve, &m_def.alphaCurve})
            Constant(*curve, 1.0f);
        Constant(P(m_def, 2), 1.0f); // no drag
        Constant(P(m_def, 3), -1.0f); // no limit
        Constant(P(m_def, 16), -1.0f);
        Constant(P(m_def, 18), -1.0f);
    }
    void TearDown() override
    {
        m_system.Stop();
        FXElementTest::TearDown();
    }

    EParticleSystem m_system;
};

TEST_F(EParticleSystemTest, FractionalRateAveragesOut)
{
    Constant(P(m_def, 10), 2.5f);
    Constant(P(m_def, 1), 100.0f);
    Bind(m_system);
    Step(m_system, 0.01f);
    ASSERT_EQ(m_system.ParticleCount(), 0) << "INITAL_PARTICLE_COUNT 0";
    const int updates = 400;
    int previous = 0;
    for (int i = 0; i < updates; ++i)
    {
        Step(m_system, 0.01f);
        const int emitted = m_system.ParticleCount() - previous;
        previous = m_system.ParticleCount();
        ASSERT_TRUE(emitted == 2 || emitted == 3) << emitted;
    }
    EXPECT_NEAR(static_cast<float>(previous) / updates, 2.5f, 0.1f);
    EXPECT_EQ(m_system.BatchCount(), 1) << "all joined the first batch";
}

TEST_F(EParticleSystemTest, LowestDetailScalesTheFirstEmission)
{
    m_def.initialParticleCount = 9;
    m_def.lowLodMultiply[1] = 0.5f;
    m_instance.lod = 0.0f;
    Bind(m_system);
    Step(m_system, 0.01f);
    EXPECT_EQ(m_system.ParticleCount(), 4);
    EXPECT_EQ(m_system.BatchCount(), 1);
}

TEST_F(EParticleSystemTest, BatchesOpenByIntervalAndLaterEmissionsJoinTheNewest)
{
    Constant(P(m_def, 1), 0.2f);
    Constant(P(m_def, 10), 1.0f);
    Bind(m_system);
    const float dt = 0.05f;
    int updates = 0;
    for (; updates < 40; ++updates)
        Step(m_system, dt);
    // A batch opens once more than 0.2 s passed: every fifth update.
    EXPECT_GE(m_system.BatchCount(), 8);
    EXPECT_LE(m_system.BatchCount(), 10);
    for (const FXParticleBatch* batch = m_system.batches->next; batch != nullptr; batch = batch->next)
    {
        int particles = 0;
        for (const FXParticle* p = batch->particles; p != nullptr; p = p->next)
            ++particles;
        EXPECT_GE(particles, 4);
        EXPECT_LE(particles, 5);
    }
}

TEST_F(EParticleSystemTest, ColourMultiplyTintsNewBatchesAndOpenOnesAtTheirNextUpdate)
{
    Constant(P(m_def, 1), 0.2f);
    Constant(P(m_def, 10), 1.0f);
    m_def.initialParticleCount = 1;
    Bind(m_system);
    Step(m_system, 0.05f);
    ASSERT_EQ(m_system.BatchCount(), 1);
    const Vec3 red(1, 0, 0);
    m_system.SetParam3(&red, kFXParamColourMultiply);
    FXParticleBatch* old = m_system.batches;
    EXPECT_EQ(old->colour[1], 255) << "unchanged until its update";
    for (int i = 0; i < 6; ++i)
        Step(m_system, 0.05f);
    ASSERT_GE(m_system.BatchCount(), 2);
    for (const FXParticleBatch* batch = m_system.batches; batch != nullptr; batch = batch->next)
    {
        EXPECT_EQ(batch->colour[0], 255);
        EXPECT_EQ(batch->colour[1], 0);
        EXPECT_EQ(batch->colour[2], 0);
    }
    const Vec3 bright(10, 10, -3);
    m_system.SetParam3(&bright, kFXParamColourMultiply);
    Step(m_system, 0.05f);
    EXPECT_EQ(m_system.batches->colour[0], 255) << "clamped, not wrapped";
    EXPECT_EQ(m_system.batches->colour[2], 0);
}

TEST_F(EParticleSystemTest, NoOffsetConeWithPositionDirectionStartsStillAtTheEmitter)
{
    m_def.usePosForVelDirection = 1;
    m_def.initialParticleCount = 20;
    Constant(P(m_def, 11), 5.0f);
    Constant(P(m_def, 12), 5.0f);
    Constant(P(m_def, 13), 3.0f);
    Constant(P(m_def, 14), 3.0f);
    Constant(P(m_def, 18), 45.0f); // ignored: the velocity follows the offset
    Bind(m_system);
    Step(m_system, 0.01f);
    ASSERT_EQ(m_system.ParticleCount(), 20);
    for (const FXParticle* p = m_system.batches->particles; p != nullptr; p = p->next)
    {
        EXPECT_EQ(Vec3LengthSquared(p->position), 0.0f);
        EXPECT_EQ(Vec3LengthSquared(p->velocity), 0.0f);
    }
}

TEST_F(EParticleSystemTest, ConesAreTurnedOntoTheEmissionDirection)
{
    m_def.initialParticleCount = 50;
    Constant(P(m_def, 11), 2.0f);
    Constant(P(m_def, 12), 2.0f);
    Constant(P(m_def, 13), 1.0f);
    Constant(P(m_def, 14), 1.0f);
    Constant(P(m_def, 15), 10.0f);
    Constant(P(m_def, 16), 10.0f);
    Constant(P(m_def, 17), 0.0f);
    Constant(P(m_def, 18), 0.0f);
    Constant(P(m_def, 19), 1.0f); // along +x
    Bind(m_system);
    Step(m_system, 0.0f);
    ASSERT_EQ(m_system.ParticleCount(), 50);
    for (const FXParticle* p = m_system.batches->particles; p != nullptr; p = p->next)
    {
        EXPECT_NEAR(Vec3Length(p->position), 2.0f, 1e-4f);
        // 10 degrees off +x.
        EXPECT_NEAR(p->position.x / 2.0f, 0.98480775f, 1e-4f);
        EXPECT_NEAR(p->velocity.x, 1.0f, 1e-4f);
    }
}

TEST_F(EParticleSystemTest, EmissionPointsNeedACountAndAPointer)
{
    m_def.initialParticleCount = 10;
    const Vec3 points[2] = {Vec3(5, 0, 0), Vec3(-5, 0, 0)};
    const struct
    {
        FXEmitPositions given;
        bool used;
    } cases[] = {{{2, points}, true}, {{0, points}, false}, {{-3, points}, false}, {{2, nullptr}, false}};
    for (const auto& c : cases)
    {
        EParticleSystem system;
        Bind(system);
        system.SetParam2(&c.given, kFXParamEmitPositions);
        Step(system, 0.01f);
        ASSERT_EQ(system.ParticleCount(), 10);
        for (const FXParticle* p = system.batches->particles; p != nullptr; p = p->next)
            EXPECT_EQ(std::fabs(p->position.x), c.used ? 5.0f : 0.0f) << c.given.count;
        system.Stop();
    }
}

TEST_F(EParticleSystemTest, AbsolutePositionsStayInTheWorldWhenTheEmitterMoves)
{
    m_def.absoluteParticlePositions = 1;
    m_def.initialParticleCount = 5;
    Constant(P(m_def, 13), 1.0f);
    Constant(P(m_def, 14), 1.0f);
    Constant(P(m_def, 18), 0.0f);
    Mat4SetTranslation(m_instance.matrix, Vec3(10, 0, 0));
    Bind(m_system);
    Step(m_system, 0.0f);
    Mat4SetTranslation(m_instance.matrix, Vec3(50, 0, 0));
    Step(m_system, 1.0f);
    for (const FXParticle* p = m_system.batches->particles; p != nullptr; p = p->next)
    {
        EXPECT_FLOAT_EQ(p->position.x, 10.0f);
        EXPECT_FLOAT_EQ(p->position.z, 1.0f);
    }
}

TEST_F(EParticleSystemTest, DragPullLimitAndTurns)
{
    m_def.initialParticleCount = 20;
    Constant(P(m_def, 13), 10.0f);
    Constant(P(m_def, 14), 10.0f);
    Constant(P(m_def, 18), 0.0f);
    Constant(P(m_def, 2), 0.5f);
    Constant(P(m_def, 3), 2.0f);
    Constant(P(m_def, 4), 1.0f);
    Constant(P(m_def, 5), 1.0f);
    Constant(P(m_def, 6), 1.0f);
    Constant(P(m_def, 7), 100.0f);
    Bind(m_system);
    Step(m_system, 0.0f);
    Step(m_system, 0.1f);
    for (const FXParticle* p = m_system.batches->particles; p != nullptr; p = p->next)
    {
        EXPECT_NEAR(Vec3Length(p->velocity), 2.0f, 1e-4f) << "limited";
        EXPECT_NEAR(Vec3Length(p->position), 0.2f, 1e-4f);
    }
}

TEST_F(EParticleSystemTest, HugeCountsAreClampedToThePool)
{
    const float counts[] = {1e30f, INFINITY, 15001.0f};
    for (float count : counts)
    {
        m_def.initialParticleCount = 2000000000;
        Constant(P(m_def, 10), count);
        EParticleSystem system;
        Bind(system);
        Step(system, 0.01f);
        EXPECT_EQ(system.ParticleCount(), kFXMaxParticles);
        Step(system, 0.01f);
        EXPECT_EQ(system.ParticleCount(), kFXMaxParticles) << "the pool is empty";
        EXPECT_EQ(system.BatchCount(), 1) << "a batch with none is given back";
        system.Stop();
        EXPECT_EQ(FXFreeParticleCount(), kFXMaxParticles);
        EXPECT_EQ(FXFreeParticleBatchCount(), kFXMaxParticleBatches);
    }
}

TEST_F(EParticleSystemTest, ParticlesDrawAsQuadsInCornerOrder)
{
    m_def.initialParticleCount = 3;
    m_def.texture = 2;
    Bind(m_system);
    Step(m_system, 0.01f);
    m_system.Render(m_instance.matrix);
    ASSERT_EQ(Batch().ItemCount(), 1);
    EXPECT_EQ(Batch().Item(0).strip, 0);
    ASSERT_EQ(Batch().VertexCount(), 12);
    const float uvs[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int i = 0; i < 12; ++i)
    {
        EXPECT_EQ(Batch().Vertices()[i].uv[0], uvs[i % 4][0]);
        EXPECT_EQ(Batch().Vertices()[i].uv[1], uvs[i % 4][1]);
    }
    EXPECT_FLOAT_EQ(VertexAt(2).x, 0.5f);
    EXPECT_FLOAT_EQ(VertexAt(2).y, 0.5f);
}
TEST_F(EParticleSystemTest, PseudoQuadsStandOnEachParticlesVelocity)
{
    m_def.billboardMode = 2;
    m_def.initialParticleCount = 2;
    Constant(P(m_def, 13), 1.0f);
    Constant(P(m_def, 14), 1.0f);
    Constant(P(m_def, 18), 0.0f);
    Constant(P(m_def, 20), 1.0f); // emitted upward
    Constant(m_def.sizeCurve, 2.0f);
    Bind(m_system);
    Step(m_system, 0.0f);
    m_system.Render(m_instance.matrix);
    ASSERT_EQ(Batch().VertexCount(), 8);
    for (int i = 0; i < 8; ++i)
    {
        EXPECT_NEAR(VertexAt(i).z, 0.0f, 1e-4f) << "faces the eye on +z";
        EXPECT_NEAR(std::fabs(VertexAt(i).x), 1.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(VertexAt(i).y), 1.0f, 1e-4f) << "stands along the velocity";
    }
}

TEST_F(EParticleSystemTest, NoneModeQuadsKeepTheInstanceOrientation)
{
    m_def.billboardMode = 0;
    m_def.initialParticleCount = 1;
    Bind(m_system);
    Step(m_system, 0.0f);
    // A quarter turn about +Y lays the quad in the y-z plane.
    Mat4SetRotationAxisAngle(m_instance.matrix, 1.5707964f, Vec3(0, 1, 0));
    m_system.Render(m_instance.matrix);
    ASSERT_EQ(Batch().VertexCount(), 4);
    for (int i = 0; i < 4; ++i)
    {
        EXPECT_NEAR(VertexAt(i).x, 0.0f, 1e-4f);
        EXPECT_NEAR(std::fabs(VertexAt(i).z), 0.5f, 1e-4f);
    }
}
} // namespace
