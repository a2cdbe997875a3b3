// The effect system as a whole: the installed kinds, their shared pools, and
// the passes walking live instances.

#include "core/GameTimer.h"
#include "core/Hash.h"
#include "fx/EParticleSystem.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementKinds.h"
#include "fx/FXElementPool.h"
#include "fx/FXRenderPass.h"
#include "fx/FxAnchorTable.h"
#include "opengl/Frustum.h"

#include <gtest/gtest.h>

namespace
{
class FXSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FXClearDefinitions();
        FXInstallElementKinds();
        FXSystemReset();
        GameTimeChannelsReset();
        Mat4 view = Mat4Identity();
        const FxAnchorPair pair{&view, nullptr};
        FxAnchorTable_Update(&pair, 1, 0.0f);
        FXBeginPassView(view);
        // Planes nothing lies behind.
        for (auto& plane : m_everything.planes)
        {
            plane[0] = plane[1] = plane[2] = 0.0f;
            plane[3] = 1.0f;
        }
    }
    void TearDown() override
    {
        FXSystemShutdown();
        FxAnchorTable_Update(nullptr, 0, 0.0f);
        // Other tests expect kinds without pools.
        for (int type = 0; type < kFXElementTypeCount; ++type)
            FXSetElementPool(type, nullptr);
    }

    static FXElementDef& AddEffect(const char* name, int32_t type)
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXEffectDef& effect = tables.effects[tables.effectCount++];
        effect = FXEffectDef();
        effect.nameHash = HashString(name);
        effect.firstElement = tables.elementCount;
        effect.elementCount = 1;
        effect.lodHighDistance = 100;
        effect.lodLowDistance = 200;
        effect.fadeInDistance = 300;
        effect.fadeOutDistance = 400;
        effect.maxRadius = 4.0f;
        FXElementDef& element = tables.elements[tables.elementCount++];
        element.Reset();
        element.type = type;
        element.lifeTime = 100.0f;
        element.particleLifeTime = 100.0f;
        for (float& multiply : element.lowLodMultiply)
            multiply = 1.0f;
        element.sizeCurve.AddKey(0.0f, 1.0f);
        element.alphaCurve.AddKey(0.0f, 1.0f);
        return element;
    }

    static FX Create(const char* name, const Vec3& at)
    {
        FX handle;
        FX::CreateFX(HashString(name), handle);
        handle.SetPos(at);
        return handle;
    }

    Frustum m_everything;
};

TEST_F(FXSystemTest, ExhaustedParticlesReturnWhenTheirInstanceDies)
{
    AddEffect("burst", kFXParticleSystem).initialParticleCount = 10000;
    FX first = Create("burst", Vec3(0, 0, 0));
    FXStep(0.01f);
    Create("burst", Vec3(0, 0, 0));
    FXStep(0.01f);
    EXPECT_EQ(FXFreeParticleCount(), 0);
    first.KillInstant();
    FXStep(0.01f);
    EXPECT_EQ(FXFreeParticleCount(), kFXMaxParticles - 5000);
    Create("burst", Vec3(0, 0, 0));
    FXStep(0.01f);
    EXPECT_EQ(FXFreeParticleCount(), 0);
    FX::KillAllEffectsInstant();
    EXPECT_EQ(FXFreeParticleCount(), kFXMaxParticles);
    EXPECT_EQ(FXFreeParticleBatchCount(), kFXMaxParticleBatches);
}

TEST_F(FXSystemTest, NthElementParametersReachTheParticleSystem)
{
    AddEffect("smoke", kFXParticleSystem).particleCurves[0].AddKey(0.0f, 100.0f);
    const FX smoke = Create("smoke", Vec3(0, 0, 0));
    FXStep(0.01f);
    smoke.SetParticleRateAddNthPrimitive(3.0f, kFXParamRateAdd, 0);
    smoke.SetRGBMultiplyNthPrimitive(Vec3(0, 1, 0), kFXParamColourMultiply, 0);
    FXStep(0.01f);
    const EParticleSystem* system = static_cast<const EParticleSystem*>(smoke.instance->elements->element);
    EXPECT_EQ(system->ParticleCount(), 3);
    ASSERT_NE(system->batches, nullptr);
    EXPECT_EQ(system->batches->colour[0], 0);
    EXPECT_EQ(system->batches->colour[1], 0) << "no green curve";
}

TEST_F(FXSystemTest, PassOneCullsByMaxRadiusAndSkipsWhatIsNotShown)
{
    AddEffect("glow", kFXBillboard);
    // Only x >= 0 is in view.
    Frustum right = m_everything;
    right.planes[kFrustumLeft][0] = 1.0f;
    right.planes[kFrustumLeft][3] = 0.0f;
    const struct
    {
        float x;
        bool drawn;
    } cases[] = {{1.0f, true}, {-3.9f, true}, {-4.1f, false}};
    for (const auto& c : cases)
    {
        FX::KillAllEffectsInstant();
        Create("glow", Vec3(c.x, 0, 0));
        FXStep(0.01f);
        FXSubmitPass(right, 1);
        EXPECT_EQ(FXGetDrawBatch()->ItemCount(), c.drawn ? 1 : 0) << c.x;
        FXSubmitPass(right, 0);
        EXPECT_EQ(FXGetDrawBatch()->ItemCount(), c.drawn ? 1 : 0) << "billboards are not drawn in pass 0";
        FXGetDrawBatch()->Clear();
    }
}

TEST_F(FXSystemTest, NothingIsDrawnBeforeTheStartDelayOrTheFirstDistanceCheck)
{
    AddEffect("late", kFXBillboard).startDelay = 0.5f;
    Create("late", Vec3(0, 0, 0));
    FXSubmitPass(m_everything, 1);
    EXPECT_EQ(FXGetDrawBatch()->ItemCount(), 0) << "distance not yet evaluated";
    FXStep(0.1f);
    FXSubmitPass(m_everything, 1);
    EXPECT_EQ(FXGetDrawBatch()->ItemCount(), 0) << "before its start delay";
    for (int i = 0; i < 5; ++i)
        FXStep(0.1f);
    FXSubmitPass(m_everything, 1);
    EXPECT_EQ(FXGetDrawBatch()->ItemCount(), 1);
}
} // namespace
