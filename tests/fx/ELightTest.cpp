// Light elements: one point light of the light manager, set from eight
// curves at the element's age, deleted when the element stops or is killed.
#include "SceneKindsFixture.h"

#include "fx/ELight.h"

namespace
{
class ELightTest : public SceneKindsTest
{
protected:
    // "lamp": one light element, L1 to L8 constant 1 to 8 but the radius
    // (L7) rising from 2 to 4 over the first second.
    ELight* MakeLamp(float startDelay = 0.0f, float lifeTime = 10.0f)
    {
        FXEffectDef& effect = AddEffect("lamp");
        FXElementDef& light = AddElement(effect, kFXLight, lifeTime);
        light.startDelay = startDelay;
        for (int i = 0; i < kFXLightCurves; ++i)
            Constant(light.lightCurves[i], float(i + 1));
        light.lightCurves[6].AddKey(1.0f, 4.0f);
        light.lightCurves[6].keys[0].value = 2.0f;
        m_lamp = Create("lamp");
        EXPECT_TRUE(m_lamp.IsValid());
        return m_lamp.IsValid() ? static_cast<ELight*>(m_lamp.instance->elements->element) : nullptr;
    }

    static const PointLight* Find(const ELight& element)
    {
        return LightManagerInstance().FindPointLight(element.Light());
    }

    FX m_lamp;
};
} // namespace

TEST_F(ELightTest, TheFirstUpdateAddsALightSetFromTheCurvesAtTheInstance)
{
    ELight* element = MakeLamp();
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->Light(), kELightNone);
    EXPECT_TRUE(LightManagerInstance().PointLights().empty());
    m_lamp.SetPos(Vec3(3, 4, 5));
    FXStep(0.5f);
    const PointLight* light = Find(*element);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->active, 1u);
    EXPECT_FLOAT_EQ(light->position[0], 3.0f);
    EXPECT_FLOAT_EQ(light->position[1], 4.0f);
    EXPECT_FLOAT_EQ(light->position[2], 5.0f);
    const float expected[8] = {1, 2, 3, 4, 5, 6, 3, 8};
    const float actual[8] = {light->first[0],  light->first[1],  light->first[2], light->second[0],
                             light->second[1], light->second[2], light->radius,   light->factor};
    for (int i = 0; i < 8; ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << "L" << i + 1;

    const uint32_t id = element->Light();
    FXStep(0.5f);
    EXPECT_EQ(element->Light(), id) << "one light for the element's life";
    EXPECT_EQ(LightManagerInstance().PointLights().size(), 1u);
    EXPECT_FLOAT_EQ(Find(*element)->radius, 4.0f);
}

TEST_F(ELightTest, ALightGoesInTheStepOfItsInstantKill)
{
    ELight* element = MakeLamp();
    ASSERT_NE(element, nullptr);
    FXStep(0.1f);
    const uint32_t id = element->Light();
    ASSERT_NE(LightManagerInstance().FindPointLight(id), nullptr);
    m_lamp.KillInstant();
    EXPECT_EQ(LightManagerInstance().FindPointLight(id), nullptr) << "gone before the step ends the instance";
    FXStep(0.1f);
    EXPECT_FALSE(m_lamp.StillAlive());
    EXPECT_TRUE(LightManagerInstance().PointLights().empty());
}

TEST_F(ELightTest, EveryWayAnInstanceEndsDeletesItsLight)
{
    struct Case
    {
        const char* how;
        void (*end)(const FX& lamp);
    };
    const Case cases[] = {
        {"life time over", [](const FX&) { FXStep(1.0f); }},
        {"fade-out of 0", [](const FX& lamp) { lamp.KillByFadeOut(0.0f); FXStep(0.1f); }},
        {"fade-out over time", [](const FX& lamp) { lamp.KillByFadeOut(0.2f); FXStep(0.1f); FXStep(0.2f); }},
        {"all effects killed", [](const FX&) { FX::KillAllEffectsInstant(); }},
        {"system reset", [](const FX&) { FXSystemReset(); }},
    };
    for (const Case& c : cases)
    {
        TearDown();
        SetUp();
        ASSERT_NE(MakeLamp(0.0f, 0.5f), nullptr);
        FXStep(0.1f);
        ASSERT_EQ(LightManagerInstance().PointLights().size(), 1u) << c.how;
        c.end(m_lamp);
        EXPECT_FALSE(m_lamp.StillAlive()) << c.how;
        EXPECT_TRUE(LightManagerInstance().PointLights().empty()) << c.how;
    }
}

TEST_F(ELightTest, NoLightBeforeTheStartDelay)
{
    ELight* element = MakeLamp(1.0f);
    ASSERT_NE(element, nullptr);
    FXStep(0.5f);
    EXPECT_TRUE(LightManagerInstance().PointLights().empty());
    FXStep(1.0f);
    ASSERT_NE(Find(*element), nullptr);
    // Age 0.5 past the delay: halfway up the radius curve.
    EXPECT_FLOAT_EQ(Find(*element)->radius, 3.0f);
}
