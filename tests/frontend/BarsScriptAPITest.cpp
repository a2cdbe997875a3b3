#include "frontend/BarsScriptAPI.h"

#include "frontend/BillboardBars.h"
#include "frontend/FrontendScriptAPI.h"
#include "tests/script/ScriptTestFixture.h"

#include <gtest/gtest.h>

namespace
{
class BarsScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }
    void TearDown() override
    {
        // As the application does before its VM closes.
        BillboardBarsShutdown();
        ScriptTest::TearDown();
    }
};

TEST_F(BarsScriptAPITest, TheAddPastTheLastBarAnswersMinusOneAndAFreedIndexComesBack)
{
    Run("local white = rgba8888(255, 255, 255, 255); local at = Vec3(0, 1, 0);"
        "for (local i = 0; i < 512; i += 1) BarAdd(0.5, at, 1.0, 0.2, white, white, true);"
        "full <- BarAdd(0.5, at, 1.0, 0.2, white, white, 1);"
        "BarDestroyByIndex(0, 5); BarDestroyByIndex(0, -1);"
        "again <- BarAdd(0.5, at, 1.0, 0.2, white, white, false);");
    EXPECT_EQ(GlobalInt("full"), -1);
    EXPECT_TRUE(ReportsContain("Too Many Bars, Not Creating Bar \n"));
    EXPECT_EQ(GlobalInt("again"), 5) << Reports();
    EXPECT_FALSE(GetBillboardBars().Bar(5).horizontal);
}

TEST_F(BarsScriptAPITest, TheArgumentsReachTheBar)
{
    Run("index <- BarAdd(0.25, Vec3(1, 2, 3), 2.0, 0.5, rgba8888(10, 20, 30, 40), rgba8888(1, 2, 3, 4), true);");
    const BillboardBar& bar = GetBillboardBars().Bar(GlobalInt("index"));
    EXPECT_FLOAT_EQ(bar.fill, 0.25f);
    EXPECT_FLOAT_EQ(bar.position.y, 2.0f);
    EXPECT_FLOAT_EQ(bar.width, 2.0f);
    EXPECT_FLOAT_EQ(bar.height, 0.5f);
    EXPECT_EQ(bar.fillColour.g, 20);
    EXPECT_EQ(bar.backgroundColour.a, 4);
    EXPECT_TRUE(bar.horizontal);
}

// Arguments of another class are refused even when their native object is
// large enough to read.
TEST_F(BarsScriptAPITest, EngineObjectsOfAnotherClassAreRefused)
{
    const char* calls[] = {
        "BarAdd(0.5, Mat4(), 1.0, 1.0, rgba8888(1, 1, 1, 1), rgba8888(1, 1, 1, 1), true)",
        "BarAdd(0.5, Vec3(0, 0, 0), 1.0, 1.0, Vec3(1, 1, 1), rgba8888(1, 1, 1, 1), true)",
        "BarStringAdd(\"hi\", Mat4(), Vec3(0, 0, 0), 1.0, rgba8888(1, 1, 1, 1))",
        "BarStringAdd(\"hi\", BasicText(\"none.fnt\"), Vec3(0, 0, 0), 1.0, Mat4())",
        "BarTextureAdd(0, Mat4(), 1.0, 1.0, rgba8888(1, 1, 1, 1))",
    };
    for (const char* call : calls)
    {
        ClearReports();
        Run(std::string("result <- 99; result = ") + call + ";");
        EXPECT_EQ(GlobalInt("result"), 99) << call;
        EXPECT_TRUE(ReportsContain("the object is not an instance of")) << call << "\n" << Reports();
    }
    for (int i = 0; i < kBillboardBarSlots; ++i)
        EXPECT_FALSE(GetBillboardBars().Bar(i).active || GetBillboardBars().StringBar(i).active ||
                     GetBillboardBars().PictureBar(i).active);
}

TEST_F(BarsScriptAPITest, InstancesOfScriptClassesDerivedFromTheWantedClassAreTaken)
{
    Run("class Place extends Vec3 {} class Tint extends rgba8888 {}"
        "index <- BarAdd(0.5, Place(1, 2, 3), 1.0, 1.0, Tint(9, 9, 9, 9), rgba8888(1, 1, 1, 1), true);");
    ASSERT_EQ(GlobalInt("index"), 0) << Reports();
    EXPECT_FLOAT_EQ(GetBillboardBars().Bar(0).position.z, 3.0f);
    EXPECT_EQ(GetBillboardBars().Bar(0).fillColour.r, 9);
}

// A weak reference kept in a table reads as its object while that lives, else null.
TEST_F(BarsScriptAPITest, AStringBarKeepsItsFontAliveUntilItIsFreed)
{
    Run("function AddLabel(watch) {"
        "  local font = BasicText(\"fonts/none.fnt\"); watched[watch] <- font.weakref();"
        "  return BarStringAdd(\"label\", font, Vec3(0, 0, 0), 1.0, rgba8888(255, 255, 255, 255)); }"
        "watched <- {}; first <- AddLabel(\"first\"); second <- AddLabel(\"second\");"
        "function Alive(watch) { return watched[watch] != null ? 1 : 0; }");
    ASSERT_EQ(GlobalInt("first"), 0) << Reports();
    ASSERT_EQ(GlobalInt("second"), 1);
    Run("a <- Alive(\"first\"); b <- Alive(\"second\"); BarDestroyByIndex(1, first);"
        "c <- Alive(\"first\"); d <- Alive(\"second\"); BarsClear(); e <- Alive(\"second\");");
    const struct
    {
        const char* name;
        int alive;
    } expected[] = {{"a", 1}, {"b", 1}, {"c", 0}, {"d", 1}, {"e", 0}};
    for (const auto& e : expected)
        EXPECT_EQ(GlobalInt(e.name), e.alive) << e.name << "\n" << Reports();
}

TEST_F(BarsScriptAPITest, PoolIndicesOutsideThePoolAreRefused)
{
    Run("low <- BarTextureAdd(-1, Vec3(0, 0, 0), 1.0, 1.0, rgba8888(1, 1, 1, 1));"
        "high <- BarTextureAdd(512, Vec3(0, 0, 0), 1.0, 1.0, rgba8888(1, 1, 1, 1));"
        "inside <- BarTextureAdd(511, Vec3(0, 0, 0), 1.0, 1.0, rgba8888(1, 1, 1, 1));");
    EXPECT_EQ(GlobalInt("low"), -1);
    EXPECT_EQ(GlobalInt("high"), -1);
    EXPECT_EQ(GlobalInt("inside"), 0);
}

TEST_F(BarsScriptAPITest, DestroyIndicesOfAnyNumberAreSafe)
{
    Run("BarAdd(0.5, Vec3(0, 0, 0), 1.0, 1.0, rgba8888(1, 1, 1, 1), rgba8888(1, 1, 1, 1), true);"
        "BarDestroyByIndex(0, 1e30); BarDestroyByIndex(0, -1e30); BarDestroyByIndex(1e30, 0);"
        "BarDestroyByIndex(0, 600); BarDestroyByIndex(9, 0); done <- 1;");
    EXPECT_EQ(GlobalInt("done"), 1) << Reports();
    EXPECT_TRUE(GetBillboardBars().Bar(0).active);
    Run("BarDestroyByIndex(0.0, 0.0);");
    EXPECT_FALSE(GetBillboardBars().Bar(0).active);
}
} // namespace
