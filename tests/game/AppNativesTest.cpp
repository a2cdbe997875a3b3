// The application's script globals, called from scripts as the game calls
// them.

#include "game/AppNatives.h"

#include "../script/ScriptTestFixture.h"
#include "cross/CameraBase.h"
#include "cross/CameraController.h"
#include "cross/LightManager.h"
#include "cross/Render.h"
#include "game/AppScriptAPI.h"
#include "game/BufferModelTable.h"
#include "game/TolvanFixedUpdate.h"
#include "cross/ModelCache.h"
#include "script/SmallBlockPool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace
{
class AppNativesTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override { RegisterAppScriptAPI(vm); }

    void SetUp() override
    {
        ScriptTest::SetUp();
        g_fixedUpdate.SetPaused(false);
        LightManagerInstance().DeleteAll();
        RenderSetNearFarPlanes(100.0f, 1700.0f);
        Run("calls <- \"\";"
            "function OnPause() { ::calls += \"OnPause,\"; }"
            "function OnUnpause() { ::calls += \"OnUnpause,\"; }");
    }

    void TearDown() override
    {
        g_fixedUpdate.SetPaused(false);
        RenderSetLightMode(LIGHT_MODE_TYPE_DAY);
        RenderSetNearFarPlanes(100.0f, 1700.0f);
        LightManagerInstance().DeleteAll();
        GetGlobalCameraController().SetCamera(&GetGlobalCamera());
        ScriptTest::TearDown();
    }
};

TEST_F(AppNativesTest, PausingTwiceTellsTheScriptOnce)
{
    Run("SetPaused(true); SetPaused(true); paused <- IsPaused() ? \"yes\" : \"no\";");
    EXPECT_EQ(GlobalString("calls"), "OnPause,");
    EXPECT_EQ(GlobalString("paused"), "yes");
    EXPECT_TRUE(g_fixedUpdate.IsPaused());
    Run("SetPaused(false); SetPaused(false);");
    EXPECT_EQ(GlobalString("calls"), "OnPause,OnUnpause,");
    EXPECT_FALSE(g_fixedUpdate.IsPaused());
}

TEST_F(AppNativesTest, AnInvalidLightModeIsReportedAndStillStored)
{
    Run("SetLightMode(LightModeTypeEnum.LIGHT_MODE_TYPE_NIGHT);");
    EXPECT_EQ(RenderGetLightMode(), LIGHT_MODE_TYPE_NIGHT);
    EXPECT_EQ(Reports(), "");
    Run("SetLightMode(5);");
    EXPECT_EQ(RenderGetLightMode(), 5);
    EXPECT_TRUE(ReportsContain("Error: Invalid light mode type \n")) << Reports();
}

TEST_F(AppNativesTest, NearAndFarPlanesMustMakeAViewVolume)
{
    struct
    {
        const char* call;
        float nearPlane, farPlane;
        bool reported;
    } const cases[] = {
        {"SetNearFarPlanes(1, 50.5);", 1.0f, 50.5f, false},
        {"SetNearFarPlanes(0, 500);", 1.0f, 50.5f, true},
        {"SetNearFarPlanes(-5.0, 500);", 1.0f, 50.5f, true},
        {"SetNearFarPlanes(20, 20);", 1.0f, 50.5f, true},
        {"SetNearFarPlanes(30, 10);", 1.0f, 50.5f, true},
        {"SetNearFarPlanes(2.5, 3000);", 2.5f, 3000.0f, false},
    };
    for (const auto& c : cases)
    {
        ClearReports();
        Run(c.call);
        float nearPlane = 0.0f, farPlane = 0.0f;
        RenderGetNearFarPlanes(nearPlane, farPlane);
        EXPECT_EQ(nearPlane, c.nearPlane) << c.call;
        EXPECT_EQ(farPlane, c.farPlane) << c.call;
        EXPECT_EQ(!Reports().empty(), c.reported) << c.call << Reports();
    }
}

TEST_F(AppNativesTest, LightsTakeTheirValuesInArgumentOrder)
{
    Run("point <- CreatePointLight();"
        "SetPointLight(point, Vec3(1, 2, 3), Vec3(4, 5, 6), Vec3(7, 8, 9), 10, 11.5);"
        "sun <- CreateDirectionalLight();"
        "SetDirectionalLight(sun, Vec3(0, -1, 0), Vec3(0.5, 0.5, 0.5), Vec3(1, 1, 1), 2);"
        "ActivateLight(point, false);");
    const uint32_t point = static_cast<uint32_t>(GlobalInt("point"));
    const uint32_t sun = static_cast<uint32_t>(GlobalInt("sun"));
    EXPECT_EQ(point & kLightIdTypeMask, static_cast<uint32_t>(kLightIdPoint));
    EXPECT_EQ(sun & kLightIdTypeMask, static_cast<uint32_t>(kLightIdDirectional));
    const PointLight* light = LightManagerInstance().FindPointLight(point);
    ASSERT_NE(light, nullptr);
    const float expected[11] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11.5f};
    const float got[11] = {light->position[0], light->position[1], light->position[2], light->first[0],
                           light->first[1],    light->first[2],    light->second[0],   light->second[1],
                           light->second[2],   light->radius,      light->factor};
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(got[i], expected[i]) << "value " << i;
    EXPECT_EQ(light->active, 0u);
    const DirectionalLight* directional = LightManagerInstance().FindDirectionalLight(sun);
    ASSERT_NE(directional, nullptr);
    EXPECT_EQ(directional->direction[1], -1.0f);
    EXPECT_EQ(directional->specular[0], 1.0f);
    EXPECT_EQ(directional->power, 2.0f);

    Run("SetPointLightPos(point, Vec3(-1, -2, -3)); DeleteLight(sun);");
    EXPECT_EQ(LightManagerInstance().FindPointLight(point)->position[2], -3.0f);
    EXPECT_EQ(LightManagerInstance().FindDirectionalLight(sun), nullptr);
    Run("DeleteAllLights();");
    EXPECT_EQ(LightManagerInstance().FindPointLight(point), nullptr);
}

TEST_F(AppNativesTest, GlobalLightPresetsTakeSixteenValues)
{
    Run("SetNightGlobalLight(Vec3(0, -1, 0), Vec3(0.1, 0.2, 0.3), Vec3(0.4, 0.5, 0.6), Vec3(0.7, 0.8, 0.9), 3,"
        " Vec3(1, 0.5, 0.25));");
    const GlobalLight night = LightGetNightPreset();
    EXPECT_EQ(night.direction[1], -1.0f);
    EXPECT_FLOAT_EQ(night.diffuse[2], 0.3f);
    EXPECT_FLOAT_EQ(night.specular[0], 0.4f);
    EXPECT_FLOAT_EQ(night.ambient[1], 0.8f);
    EXPECT_EQ(night.power, 3.0f);
    EXPECT_EQ(night.point[2], 0.25f);
    LightResetPresets();
}

TEST_F(AppNativesTest, TheCurrentCameraControllerDrivesTheMainCamera)
{
    Run("camera <- CameraController(); camera.SetPosition(Vec3(10, 20, 30)); camera.SetAsCurrentCamera();"
        "camera.CalculateTransforms();");
    EXPECT_EQ(Reports(), "");
    EXPECT_EQ(Mat4GetTranslation(GetGlobalCamera().GetWorldMatrix()).y, 20.0f);
    // The engine's own controller no longer moves it.
    GetGlobalCameraController().SetPosition(Vec3(0.0f, 0.0f, 0.0f));
    GetGlobalCameraController().Update();
    EXPECT_EQ(Mat4GetTranslation(GetGlobalCamera().GetWorldMatrix()).y, 20.0f);
    Run("other <- CameraController2Point(); other.SetAsCurrentCamera();");
    EXPECT_EQ(Reports(), "");
}

TEST_F(AppNativesTest, EnteringTheGameSwitchesThePoolOn)
{
    Run("SetInGame(true); SetInGame(true);");
    EXPECT_TRUE(GetInGameFlag());
    EXPECT_TRUE(SmallBlockPoolIsOn());
    Run("SetInGame(false);");
    EXPECT_FALSE(GetInGameFlag());
    EXPECT_TRUE(SmallBlockPoolIsOn()) << "nothing switches the pool off";
}

TEST(BufferModelTable, HoldsItsRowsInOrderWithoutModels)
{
    BufferModelTableFill();
    const BufferModelRow* rows = ModelBufferModelTable();
    std::set<std::string> distinct;
    for (int row = 0; row < kBufferModelRows; ++row)
    {
        EXPECT_STREQ(rows[row].path, BufferModelTablePath(row));
        EXPECT_EQ(rows[row].model, nullptr);
        distinct.insert(rows[row].path.c_str());
    }
    EXPECT_EQ(distinct.size(), 130u);
    EXPECT_STREQ(rows[0].path, "props/set01/Cloud.chmodel");
    EXPECT_STREQ(rows[57].path, "terrain/set01/00_000_Grass.chmodel");
    EXPECT_STREQ(rows[kBufferModelRows - 1].path, "props/set01/TreeSpongeGroup01Shadow.chmodel");
    EXPECT_EQ(BufferModelTablePath(kBufferModelRows), nullptr);
    for (int row = 0; row < kBufferModelRows; ++row)
        ModelBufferModelSetPath(row, "");
}
} // namespace
