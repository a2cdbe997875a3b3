#include "../script/ScriptTestFixture.h"

#include "cross/CameraController.h"
#include "cross/CameraScriptAPI.h"
#include "platform/DisplayModeManager.h"
#include "script/MathScriptAPI.h"
#include "script/ScriptBinding.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{
class CameraScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        RegisterMathScriptAPI(vm);
        RegisterRgba8888ScriptAPI(vm);
        RegisterCameraScriptAPI(vm);
    }

    // The native controller behind a script global.
    CameraController* Camera(const char* name)
    {
        sq_pushroottable(vm());
        sq_pushstring(vm(), name, -1);
        SQUserPointer object = nullptr;
        if (SQ_SUCCEEDED(sq_rawget(vm(), -2)))
        {
            object = ScriptInstanceArea(vm(), -1);
            sq_pop(vm(), 1);
        }
        sq_pop(vm(), 1);
        return static_cast<CameraController*>(object);
    }
};

constexpr float kHalfPi = 1.57079637f;

TEST_F(CameraScriptAPITest, TurnsTakeDegrees)
{
    Run("cam <- CameraController(); cam.Yaw(90); cam.Pitch(-45); cam.Roll(180);"
        "turned <- CameraController(); turned.RotateCamera(Vec3(90, 45, 0));");
    CameraController* cam = Camera("cam");
    ASSERT_NE(cam, nullptr) << Reports();
    EXPECT_NEAR(cam->GetPendingYaw(), kHalfPi, 1e-6f);
    EXPECT_NEAR(cam->GetPendingPitch(), -kHalfPi / 2.0f, 1e-6f);
    EXPECT_NEAR(cam->GetPendingRoll(), 2.0f * kHalfPi, 1e-6f);
    CameraController* turned = Camera("turned");
    EXPECT_NEAR(turned->GetPendingPitch(), kHalfPi, 1e-6f);
    EXPECT_NEAR(turned->GetPendingYaw(), kHalfPi / 2.0f, 1e-6f);
}

TEST_F(CameraScriptAPITest, SkewSecondValueDefaultsToOne)
{
    Run("one <- CameraController(); one.SetSkew(30); two <- CameraController(); two.SetSkew(30, 4);");
    EXPECT_FLOAT_EQ(Camera("one")->GetSkewAngle(), 30.0f) << Reports();
    EXPECT_FLOAT_EQ(Camera("one")->GetSkewDistance(), 1.0f);
    EXPECT_FLOAT_EQ(Camera("two")->GetSkewDistance(), 4.0f);
    EXPECT_FALSE(ScriptGetErrorFlag());
}

TEST_F(CameraScriptAPITest, MembersAreViewsOfTheCamera)
{
    Run("cam <- CameraController(); cam.m__Position.x = 5; cam.Pan(2); cam.Crane(3);"
        "x <- cam.m__Position.x; y <- cam.m__Position.y; forwardZ <- cam.forward.z;"
        "cam.m__MultipleObjectZoom = 2.5; zoom <- cam.m__MultipleObjectZoom;");
    CameraController* cam = Camera("cam");
    ASSERT_NE(cam, nullptr) << Reports();
    EXPECT_FLOAT_EQ(cam->GetPosition().x, 7.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("x"), 7.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("y"), 3.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("forwardZ"), -1.0f);
    EXPECT_FLOAT_EQ(cam->m__MultipleObjectZoom, 2.5f);
    EXPECT_FLOAT_EQ(GlobalFloat("zoom"), 2.5f);
    Run("cam.SetPosition(Vec3(1, 2, 3)); cam.MoveCamera(Vec3(1, 1, 1)); cam.ResetToDefault();"
        "back <- cam.m__Position.x; cam.CalculateTransforms();"
        "pair <- CameraController2Point(); pair.SetPoints(Vec3(0, 0, 5), Vec3()); pair.SetFOV(60);");
    EXPECT_FLOAT_EQ(GlobalFloat("back"), 0.0f);
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
}

TEST_F(CameraScriptAPITest, WrongArgumentsAreScriptErrors)
{
    const char* calls[] = {
        "CameraController().Yaw(\"left\");",
        "CameraController().SetPosition(3);",
        "CameraController().SetSkew();",
    };
    for (const char* call : calls)
    {
        ScriptSetErrorFlag(false);
        Run(call);
        EXPECT_TRUE(ScriptGetErrorFlag()) << call;
    }
    ScriptSetErrorFlag(false);
}

std::vector<DisplayMode> g_modes;

bool ListModes(DisplayMode& mode, int index)
{
    if (index < 0 || index >= static_cast<int>(g_modes.size()))
        return false;
    mode = g_modes[index];
    return true;
}

DisplayChangeResult ApplyNothing(const DisplayMode*)
{
    return DisplayChangeResult::kSuccessful;
}

const DisplayModeSource kModes = {ListModes, ApplyNothing};

TEST_F(CameraScriptAPITest, DisplayModesThroughTheInstalledSource)
{
    g_modes = {{1280, 720, 32, 60}, {640, 480, 32, 60}, {1920, 1080, 32, 60}, {1280, 720, 16, 60}};
    DisplayModeSetSource(&kModes);
    GetDisplayModeManager().Init();
    Run("count <- DisplayModeManager_GetNumberOfUniqueResolutions();"
        "local r = DisplayModeManager_GetUniqueResolution(0); w <- r.m_Width; h <- r.m_Height;"
        "full <- r.IsCompatibleWithFullScreen() ? 1 : 0;"
        "index <- DisplayModeManager_GetIndexOfResolution(1920, 1080);"
        "DisplayModeManager_AddUniqueResolution(800, 600); DisplayModeManager_AddUniqueResolution(800, 600);"
        "added <- DisplayModeManager_GetNumberOfUniqueResolutions();"
        "local a = DisplayModeManager_GetUniqueResolution(1); addedW <- a.m_Width;"
        "addedFull <- a.IsCompatibleWithFullScreen() ? 1 : 0;"
        "DisplayModeManager_SetMinimumUniqueResolution(1000, 700);"
        "left <- DisplayModeManager_GetNumberOfUniqueResolutions();"
        "lighting <- IsPointLightingSupported() ? 1 : 0; DrawDebugSphere(Vec3(), 2);");
    EXPECT_EQ(GlobalInt("count"), 3) << Reports();
    EXPECT_EQ(GlobalInt("w"), 640);
    EXPECT_EQ(GlobalInt("h"), 480);
    EXPECT_EQ(GlobalInt("full"), 1);
    EXPECT_EQ(GlobalInt("index"), 2);
    EXPECT_EQ(GlobalInt("added"), 4);
    EXPECT_EQ(GlobalInt("addedW"), 800);
    EXPECT_EQ(GlobalInt("addedFull"), 0);
    EXPECT_EQ(GlobalInt("left"), 2);
    EXPECT_FALSE(ScriptGetErrorFlag()) << Reports();
    GetDisplayModeManager().Reset();
    DisplayModeSetSource(nullptr);
}
} // namespace
