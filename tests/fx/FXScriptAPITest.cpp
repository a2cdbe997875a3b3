// The script classes FX, InterpDef and Interp, called from scripts.
#include "script/ScriptTestFixture.h"

#include "core/Hash.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/EParticleSystem.h"
#include "fx/FXElementKinds.h"
#include "fx/FXElementPool.h"
#include "fx/FXScriptAPI.h"

namespace
{
class FXScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFXScriptAPI(vm);
    }
    void SetUp() override
    {
        ScriptTest::SetUp();
        FXClearDefinitions();
        FXSystemReset();
    }
    void TearDown() override
    {
        FXSystemShutdown();
        ScriptTest::TearDown();
    }

    // An effect without elements: alive until the next step.
    static void AddEmptyEffect(const char* name)
    {
        FXDefinitionTables& tables = FXGetDefinitionTables();
        FXEffectDef& effect = tables.effects[tables.effectCount++];
        effect = FXEffectDef();
        effect.nameHash = HashString(name);
        effect.lodHighDistance = 1;
        effect.lodLowDistance = 2;
        effect.fadeInDistance = 3;
        effect.fadeOutDistance = 4;
    }
};

TEST_F(FXScriptAPITest, HandlesAnswerStillAliveUntilTheirEffectDies)
{
    AddEmptyEffect("puff");
    Run("never <- FX().StillAlive() ? 1 : 0;\n"
        "fx <- FX(); fx.CreateFX(\"puff\");\n"
        "alive <- fx.StillAlive() ? 1 : 0;\n"
        "fx.SetPos(Vec3(1.0, 2.0, 3.0));\n"
        "unknown <- FX(); unknown.CreateFX(\"nothing\");\n"
        "unknownAlive <- unknown.StillAlive() ? 1 : 0;\n");
    EXPECT_EQ(GlobalInt("never"), 0);
    EXPECT_EQ(GlobalInt("alive"), 1);
    EXPECT_EQ(GlobalInt("unknownAlive"), 0);
    FXStep(0.1f);
    Run("after <- fx.StillAlive() ? 1 : 0;\n"
        "fx.KillByFadeOut(1.0); fx.SetPos(Vec3(0.0, 0.0, 0.0));\n"
        "FX.KillAllEffectsInstant();\n");
    EXPECT_EQ(GlobalInt("after"), 0);
    EXPECT_EQ(Reports(), "");
}

TEST_F(FXScriptAPITest, NthElementMethodsReachTheParticleSystem)
{
    FXInstallElementKinds();
    FXDefinitionTables& tables = FXGetDefinitionTables();
    AddEmptyEffect("smoke");
    FXEffectDef& effect = tables.effects[tables.effectCount - 1];
    effect.firstElement = tables.elementCount;
    effect.elementCount = 1;
    FXElementDef& element = tables.elements[tables.elementCount++];
    element.Reset();
    element.type = kFXParticleSystem;
    element.lifeTime = 10.0f;
    Run("fx <- FX(); fx.CreateFX(\"smoke\");\n"
        "fx.SetRGBMultiplyNthPrimitive(Vec3(0.5, 0.0, 2.0), 0);\n"
        "fx.SetParticleRateAddNthPrimitive(2.5, 0);\n"
        "fx.SetParticleRateAddNthPrimitive(7.0, 1);\n");
    EXPECT_EQ(Reports(), "");
    ASSERT_EQ(FXLiveInstanceCount(), 1);
    const EParticleSystem& system = *static_cast<EParticleSystem*>(FXGetLiveInstance(0)->elements->element);
    EXPECT_FLOAT_EQ(system.colourMultiply.x, 0.5f);
    EXPECT_FLOAT_EQ(system.colourMultiply.z, 2.0f);
    EXPECT_FLOAT_EQ(system.rate, 2.5f);
    // A smaller native object in the colour's place is refused, not over-read.
    Run("fx.SetRGBMultiplyNthPrimitive(Vec2(1.0, 1.0), 0);\n");
    EXPECT_FALSE(Reports().empty());
    EXPECT_FLOAT_EQ(system.colourMultiply.x, 0.5f);
    FX::KillAllEffectsInstant();
    for (int type = 0; type < kFXElementTypeCount; ++type)
        FXSetElementPool(type, nullptr);
}

TEST_F(FXScriptAPITest, SetPosWithOffsetUsesTheMatrixAxes)
{
    AddEmptyEffect("puff");
    // Forward along x, up along y, so right is -z.
    Run("fx <- FX(); fx.CreateFX(\"puff\");\n"
        "local m = Mat4(); m.orientY(Vec3(1.0, 0.0, 0.0)); m.x = 10.0;\n"
        "fx.SetPosWithOffset(m, Vec3(1.0, 2.0, 3.0));\n");
    EXPECT_EQ(Reports(), "");
    ASSERT_EQ(FXLiveInstanceCount(), 1);
    const Vec3 p = FXGetLiveInstance(0)->position;
    EXPECT_NEAR(p.x, 13.0f, 1e-4f);
    EXPECT_NEAR(p.y, 2.0f, 1e-4f);
    EXPECT_NEAR(p.z, -1.0f, 1e-4f);
}

TEST_F(FXScriptAPITest, CurvesEvaluateAndLoopFromScripts)
{
    Run("local d = InterpDef();\n"
        "d.AddKey(0.0, 0.0); d.AddKey(1.0, 10.0); d.AddKey(2.0, 30.0);\n"
        "curve <- Interp();\n"
        "unbound <- curve.GetVatT(1.0);\n"
        "curve.SetDef(d);\n"
        "half <- curve.GetVatT(0.5);\n"
        "before <- curve.GetVatT(-1);\n"
        "d.SetLoop(0, 1);\n"
        "looped <- curve.GetVatT(1000.5);\n");
    EXPECT_EQ(Reports(), "");
    EXPECT_FLOAT_EQ(GlobalFloat("unbound"), 0.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("half"), 5.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("before"), 0.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("looped"), 5.0f);
}

TEST_F(FXScriptAPITest, SetLoopTakesExactlyTwoKeys)
{
    Run("local d = InterpDef(); d.SetLoop(0, 1, 3);\n");
    EXPECT_FALSE(Reports().empty());
}

TEST_F(FXScriptAPITest, ACursorKeepsItsDroppedCurveAlive)
{
    // Under the address sanitizer a freed curve read here would stop the test.
    Run("curve <- Interp();\n"
        "function Bind() { local d = InterpDef(); d.AddKey(0.0, 4.0); d.AddKey(2.0, 8.0); curve.SetDef(d); }\n"
        "Bind();\n"
        "local filler = []; for (local i = 0; i < 50; ++i) { local other = InterpDef(); other.AddKey(0.0, 99.0); filler.append(other); }\n"
        "value <- curve.GetVatT(1.0);\n");
    EXPECT_EQ(Reports(), "");
    EXPECT_FLOAT_EQ(GlobalFloat("value"), 6.0f);
}
} // namespace
