#include "frontend/TextureMeter.h"

#include "FrontendDrawTest.h"
#include "frontend/FrontendScriptAPI.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "tests/script/ScriptTestFixture.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
class TextureMeterDrawTest : public FrontendDrawTest
{
protected:
    // A white bar over the whole 64 x 64 view.
    void MakeBar()
    {
        meter.Bar.x = 0;
        meter.Bar.y = 0;
        meter.Bar.width = 64;
        meter.Bar.height = 64;
        meter.Bar.AddBorrowedFrame(TextureBuiltin(kTextureDefaultWhite));
        meter.Init();
    }
    int DrawnPixels(float value, int32_t type)
    {
        meter.BarValue = value;
        meter.Type = type;
        meter.Update(0.0f);
        Clear();
        meter.Render();
        Capture();
        return LitIn(0, 0, 64, 64);
    }

    TextureMeter meter;
};

struct MeterCase
{
    int32_t type;
    float value;
    int x0, y0, x1, y1; // what shows
};

TEST_F(TextureMeterDrawTest, EachTypeShowsItsShareFromItsEdge)
{
    MakeBar();
    EXPECT_FLOAT_EQ(meter.fullSize.x, 64.0f);
    const MeterCase cases[] = {
        {TEXTURE_METER_TYPE_HORIZONTAL_LEFT, 0.25f, 48, 0, 64, 64},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 0.25f, 0, 0, 16, 64},
        {TEXTURE_METER_TYPE_VERTICAL_UP, 0.25f, 0, 48, 64, 64},
        {TEXTURE_METER_TYPE_VERTICAL_DOWN, 0.25f, 0, 0, 64, 16},
        {TEXTURE_METER_TYPE_VERTICAL_DOWN, 0.0f, 0, 0, 0, 0},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 0.0f, 0, 0, 0, 0},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 1.5f, 0, 0, 64, 64},
        {TEXTURE_METER_TYPE_HORIZONTAL_LEFT, -0.2f, 0, 0, 0, 0},
        {7, 0.25f, 0, 0, 64, 64},
    };
    for (const MeterCase& c : cases)
    {
        const int drawn = DrawnPixels(c.value, c.type);
        const int inside = (c.x1 - c.x0) * (c.y1 - c.y0);
        EXPECT_NEAR(drawn, inside, 64) << c.type << " " << c.value;
        if (inside > 0)
        {
            EXPECT_GE(LitIn(c.x0, c.y0, c.x1, c.y1), inside - 64) << c.type << " " << c.value;
        }
    }
    DrawnPixels(-0.2f, 0);
    EXPECT_EQ(meter.BarValue, 0.0f) << "stored clamped";
    DrawnPixels(1.5f, 0);
    EXPECT_EQ(meter.BarValue, 1.0f);
}

TEST_F(TextureMeterDrawTest, TerminateForgetsWhatItReleases)
{
    std::vector<uint8_t> white(16 * 4, 255);
    const std::vector<uint8_t> tga = TgaWrite(white.data(), 4, 4, TgaWriteOptions());
    ASSERT_TRUE(m_dir.WriteFile("data/hud/white.tga", tga.data(), tga.size()));
    Mount();
    ASSERT_TRUE(meter.Background.SetTexture("hud/white.tga"));
    ASSERT_TRUE(meter.Bar.AddTexture("hud/white.tga"));
    ASSERT_TRUE(meter.Foreground.SetTexture("hud/white.tga"));
    ASSERT_TRUE(meter.BarMask.SetTexture("hud/white.tga"));
    meter.Background.width = meter.Background.height = 32;
    meter.Bar.width = meter.Bar.height = 32;
    meter.Init();
    EXPECT_GT(DrawnPixels(1.0f, 0), 0);
    meter.Terminate();
    EXPECT_EQ(meter.Background.texture, nullptr);
    EXPECT_TRUE(meter.Bar.frames.empty());
    EXPECT_EQ(meter.Foreground.texture, nullptr);
    EXPECT_EQ(meter.BarMask.texture, nullptr);
    EXPECT_EQ(DrawnPixels(1.0f, 0), 0);
    meter.Terminate();
}

class TextureMeterScriptTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }
};

TEST_F(TextureMeterScriptTest, MembersDefaultsConstantsAndTheClampReachScripts)
{
    Run("local m = TextureMeter(); type <- m.Type; value <- m.BarValue;"
        "constants <- \"\" + TEXTURE_METER_TYPE_HORIZONTAL_LEFT + TEXTURE_METER_TYPE_HORIZONTAL_RIGHT"
        " + TEXTURE_METER_TYPE_VERTICAL_UP + TEXTURE_METER_TYPE_VERTICAL_DOWN;"
        "m.Bar.width = 40; m.Bar.x = 5; m.Init(); m.BarValue = 1.5; m.Update(0.1); m.Render(0);"
        "clamped <- m.BarValue; barX <- m.Bar.x; m.Terminate();");
    EXPECT_EQ(GlobalInt("type"), 1) << Reports();
    EXPECT_FLOAT_EQ(GlobalFloat("value"), 0.0f);
    EXPECT_EQ(GlobalString("constants"), "0123");
    EXPECT_FLOAT_EQ(GlobalFloat("clamped"), 1.0f);
    EXPECT_EQ(GlobalInt("barX"), 5);
}

TEST_F(TextureMeterScriptTest, AnotherClassIsRefusedAsTheMeter)
{
    Run("reached <- 0; TextureMeter.Update.call(Vec3(0, 0, 0), 0.1); reached = 1;");
    EXPECT_EQ(GlobalInt("reached"), 0);
    EXPECT_TRUE(ReportsContain("the object is not an instance of TextureMeter")) << Reports();
}
} // namespace
