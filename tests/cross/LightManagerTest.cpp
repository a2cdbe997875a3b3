#include "cross/LightManager.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
// The frame's projection at 16:9 with the default planes, looking down -z.
Mat4 SceneProjection()
{
    return Mat4Perspective(30.0f, 16.0f / 9.0f, 100.0f, 1700.0f);
}

PointLight LightAt(float x, float y, float z, float radius)
{
    PointLight light;
    light.position[0] = x;
    light.position[1] = y;
    light.position[2] = z;
    light.radius = radius;
    return light;
}

TEST(LightIdTest, SerialsCountPerTypeFromZeroAndWrapWithin24Bits)
{
    LightManager lights;
    EXPECT_EQ(lights.AddPointLight(PointLight()), 0x01000000u);
    EXPECT_EQ(lights.AddDirectionalLight(DirectionalLight()), 0x02000000u);
    EXPECT_EQ(lights.AddPointLight(PointLight()), 0x01000001u);
    EXPECT_EQ(lights.AddDirectionalLight(DirectionalLight()), 0x02000001u);

    uint32_t serial = 0x00FFFFFF;
    EXPECT_EQ(LightNextId(serial, kLightIdPoint), 0x01FFFFFFu);
    EXPECT_EQ(serial, 0u);
    EXPECT_EQ(LightNextId(serial, kLightIdPoint), 0x01000000u);
}

TEST(LightManagerTest, SettersFindOnlyLightsOfTheirTypeAndIgnoreUnknownIds)
{
    LightManager lights;
    const uint32_t point = lights.AddPointLight(PointLight());
    const uint32_t directional = lights.AddDirectionalLight(DirectionalLight());
    const float values[8] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 7.0f, 8.0f};

    lights.SetPointLight(directional, Vec3(5, 5, 5), values);
    lights.SetPointLight(point + 7, Vec3(5, 5, 5), values);
    EXPECT_EQ(lights.FindPointLight(point)->position[0], 0.0f);
    EXPECT_EQ(lights.FindDirectionalLight(directional)->direction[0], 0.0f);

    lights.SetPointLight(point, Vec3(1, 2, 3), values);
    const PointLight* set = lights.FindPointLight(point);
    EXPECT_EQ(set->position[2], 3.0f);
    EXPECT_EQ(set->first[2], 0.3f);
    EXPECT_EQ(set->second[0], 0.4f);
    EXPECT_EQ(set->radius, 7.0f);
    EXPECT_EQ(set->factor, 8.0f);

    lights.SetDirectionalLight(point, Vec3(1, 0, 0), Vec3(1, 1, 1), Vec3(1, 1, 1), Vec3(1, 1, 1), 9.0f);
    EXPECT_EQ(lights.FindDirectionalLight(directional)->power, 1.0f);
    lights.SetDirectionalLight(directional, Vec3(1, 0, 0), Vec3(1, 1, 1), Vec3(1, 1, 1), Vec3(1, 1, 1), 9.0f);
    EXPECT_EQ(lights.FindDirectionalLight(directional)->power, 9.0f);
}

TEST(LightManagerTest, NewLightsStartActiveWithTheirCreationValues)
{
    const PointLight point;
    EXPECT_EQ(point.active, 1u);
    EXPECT_EQ(point.first[0], 1.0f);
    EXPECT_EQ(point.first[1], 0.0f);
    EXPECT_EQ(point.first[2], 1.0f);
    EXPECT_EQ(point.radius, 1.0f);
    EXPECT_EQ(point.factor, 1.0f);
    EXPECT_EQ(DirectionalLight().power, 1.0f);
}

TEST(LightManagerTest, DeleteRemovesOneLightAndDeleteAllEmptiesBothLists)
{
    LightManager lights;
    const uint32_t first = lights.AddPointLight(PointLight());
    const uint32_t second = lights.AddPointLight(PointLight());
    lights.AddDirectionalLight(DirectionalLight());
    lights.DeleteLight(first);
    ASSERT_EQ(lights.PointLights().size(), 1u);
    EXPECT_EQ(lights.PointLights()[0].id, second);
    EXPECT_EQ(lights.DirectionalLights().size(), 1u);
    lights.DeleteAll();
    EXPECT_TRUE(lights.PointLights().empty());
    EXPECT_TRUE(lights.DirectionalLights().empty());
}

TEST(LightManagerTest, EveryLightIsFoundAmongManyWithGapsLeftByDeletes)
{
    LightManager lights;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 1000; ++i)
        ids.push_back(lights.AddPointLight(LightAt(float(i), 0, 0, 1)));
    for (size_t i = 0; i < ids.size(); i += 3)
        lights.DeleteLight(ids[i]);
    for (size_t i = 0; i < ids.size(); ++i)
    {
        const PointLight* light = lights.FindPointLight(ids[i]);
        if (i % 3 == 0)
        {
            EXPECT_EQ(light, nullptr) << i;
            continue;
        }
        ASSERT_NE(light, nullptr) << i;
        EXPECT_EQ(light->position[0], float(i)) << i;
    }
}

TEST(LightVolumeTest, InactiveLightsStayListedButAreNotDrawn)
{
    LightManager lights;
    const uint32_t off = lights.AddPointLight(LightAt(0, 0, -500, 10));
    lights.AddPointLight(LightAt(1, 0, -500, 10));
    lights.ActivateLight(off, false);
    EXPECT_EQ(lights.PointLights().size(), 2u);
    ASSERT_EQ(lights.BuildLightVolumes(Mat4Identity(), SceneProjection()), 1);
    EXPECT_EQ(lights.LightVolumeData()[0].centre[0], 1.0f);
}

TEST(LightVolumeTest, AtMost512ActiveLightsAreDrawnAndInactiveOnesDoNotCount)
{
    LightManager lights;
    lights.ActivateLight(lights.AddPointLight(LightAt(0, 0, -500, 10)), false);
    for (int i = 0; i < kMaxDrawnPointLights + 1; ++i)
        lights.AddPointLight(LightAt(float(i), 0, -500, 10));
    EXPECT_EQ(kMaxDrawnPointLights, 512);
    EXPECT_EQ(lights.BuildLightVolumes(Mat4Identity(), SceneProjection()), 512);
    EXPECT_EQ(lights.LightVolumeData()[511 * kLightVolumeVertices].centre[0], 511.0f);
}

TEST(LightVolumeTest, ALightInFrontIsASquareAroundItsProjectedCentre)
{
    LightManager lights;
    PointLight light = LightAt(0, 0, 0, 20);
    const float values[8] = {0.5f, 0.25f, 0.125f, 0.1f, 0.2f, 0.3f, 20.0f, 2.0f};
    const uint32_t id = lights.AddPointLight(light);
    lights.SetPointLight(id, Vec3(0, 0, 0), values);
    // The view moves the light 500 in front of the eye.
    Mat4 view = Mat4Identity();
    view[14] = -500.0f;
    ASSERT_EQ(lights.BuildLightVolumes(view, SceneProjection()), 1);

    const LightVolumeVertex* v = lights.LightVolumeData();
    const Vec3 corner = Mat4TransformPointDivW(SceneProjection(), Vec3(-20, -20, -500));
    EXPECT_NEAR(v[0].corner[0], corner.x, 1e-5f);
    EXPECT_NEAR(v[0].corner[1], corner.y, 1e-5f);
    EXPECT_EQ(v[0].corner[2], 0.0f);
    // Two triangles: corners 0, 1, 2 and 0, 2, 3.
    EXPECT_EQ(v[3].corner[0], v[0].corner[0]);
    EXPECT_EQ(v[4].corner[0], v[2].corner[0]);
    EXPECT_NEAR(v[2].corner[0], -corner.x, 1e-5f);
    EXPECT_NEAR(v[5].corner[1], -corner.y, 1e-5f);
    for (int i = 0; i < kLightVolumeVertices; ++i)
    {
        EXPECT_EQ(v[i].centre[2], -500.0f);
        EXPECT_EQ(v[i].first[0], 0.5f);
        EXPECT_EQ(v[i].first[3], 0.0f);
        EXPECT_EQ(v[i].second[2], 0.3f);
        EXPECT_EQ(v[i].light[0], 20.0f);
        EXPECT_EQ(v[i].light[1], 2.0f);
    }
}

TEST(LightVolumeTest, ALightReachingTheEyePlaneCoversTheScreen)
{
    struct Case
    {
        float z;
        const char* what;
    };
    const Case cases[] = {{-15.0f, "in front, sphere crossing the eye plane"},
                          {0.0f, "on the eye plane"},
                          {40.0f, "behind the eye"}};
    for (const Case& c : cases)
    {
        LightManager lights;
        lights.AddPointLight(LightAt(3, 4, c.z, 20));
        ASSERT_EQ(lights.BuildLightVolumes(Mat4Identity(), SceneProjection()), 1) << c.what;
        const LightVolumeVertex* v = lights.LightVolumeData();
        const float expected[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
        for (int i = 0; i < kLightVolumeVertices; ++i)
        {
            EXPECT_EQ(v[i].corner[0], expected[i][0]) << c.what;
            EXPECT_EQ(v[i].corner[1], expected[i][1]) << c.what;
        }
        EXPECT_EQ(v[0].centre[2], c.z) << c.what;
    }
}

TEST(LightPresetTest, ScriptValuesFillThePresetAroundItsReservedWords)
{
    LightResetPresets();
    float values[16];
    for (int i = 0; i < 16; ++i)
        values[i] = float(i + 1);
    LightSetNightGlobal(values);
    const GlobalLight night = LightGetNightPreset();
    EXPECT_EQ(night.first, 1u);
    EXPECT_EQ(night.direction[0], 1.0f);
    EXPECT_EQ(night.diffuse[0], 4.0f);
    EXPECT_EQ(night.specular[0], 7.0f);
    EXPECT_EQ(night.ambient[2], 12.0f);
    EXPECT_EQ(night.power, 13.0f);
    EXPECT_EQ(night.reserved, 0u);
    EXPECT_EQ(night.point[0], 14.0f);
    EXPECT_EQ(night.point[2], 16.0f);
    EXPECT_EQ(LightGetDefaultPreset().power, 1.0f);
    EXPECT_EQ(LightGetSnowPreset().diffuse[0], 0.0f);
    LightResetPresets();
}

TEST(LightPresetTest, EachLightModePicksItsPresetAndOthersPickNone)
{
    LightResetPresets();
    float values[16] = {};
    values[12] = 2.0f;
    LightSetDefaultGlobal(values);
    values[12] = 3.0f;
    LightSetSnowGlobal(values);
    values[12] = 4.0f;
    LightSetNightGlobal(values);
    const struct
    {
        int mode;
        bool found;
        float power;
    } cases[] = {{LIGHT_MODE_TYPE_DAY, true, 2.0f},
                 {LIGHT_MODE_TYPE_DAY_SNOW, true, 3.0f},
                 {LIGHT_MODE_TYPE_NIGHT, true, 4.0f},
                 {3, false, 0.0f},
                 {-1, false, 0.0f}};
    for (const auto& c : cases)
    {
        GlobalLight light;
        light.power = 0.0f;
        EXPECT_EQ(LightGetPresetForMode(c.mode, light), c.found) << c.mode;
        EXPECT_EQ(light.power, c.power) << c.mode;
    }
    LightResetPresets();
}
} // namespace
