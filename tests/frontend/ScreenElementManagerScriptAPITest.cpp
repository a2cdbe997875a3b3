#include "frontend/FrontendScriptAPI.h"
#include "frontend/ScreenElementData.h"
#include "tests/script/ScriptTestFixture.h"
#include "tools/formats/ScreenWriter.h"

#include <gtest/gtest.h>

namespace
{
class ScreenElementManagerScriptTest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }

    // A box of 200 x 100 at (40, 20) and an animation of 32 x 16 at (8, 4),
    // both laid out for 1280 x 720; no textures, since there is no display.
    void WriteElements()
    {
        ManagedElementSpec box{"box", false, {{1280, 720, 200, 100, 40, 20, {"NONE"}}}};
        ManagedElementSpec spin{"spin", true, {{640, 360, 32, 16, 8, 4, {}}}};
        WriteScript("frontend/hud.txt", ManagedElementText({box, spin}));
        Run("manager <- ScreenElementManager(); manager.SetScreenProperties(1280, 720, 0, 0);"
            "manager.Load(\"frontend\", \"hud.txt\");");
    }
};

TEST_F(ScreenElementManagerScriptTest, TheAlignmentConstantsAreInTheConstTable)
{
    Run("values <- [TEXT_ALIGN_TYPE_HORIZONTAL_LEFT, TEXT_ALIGN_TYPE_HORIZONTAL_RIGHT,"
        " TEXT_ALIGN_TYPE_HORIZONTAL_CENTER, TEXT_ALIGN_TYPE_HORIZONTAL_MAX, TEXT_ALIGN_TYPE_VERTICAL_TOP,"
        " TEXT_ALIGN_TYPE_VERTICAL_BOTTOM, TEXT_ALIGN_TYPE_VERTICAL_MIDDLE, TEXT_ALIGN_TYPE_VERTICAL_MAX];"
        "joined <- \"\"; foreach (v in values) joined += v;");
    EXPECT_EQ(GlobalString("joined"), "01230123") << Reports();
}

TEST_F(ScreenElementManagerScriptTest, TheScreenIsSetAndReadBack)
{
    Run("local m = ScreenElementManager(); aspectBefore <- m.GetAspectRatio();"
        "m.SetScreenProperties(1280, 1024, 30, 40); local size = Vec2(0, 0); m.GetScreenWidthAndHeight(size);"
        "local at = Vec2(0, 0); m.GetScreenPosition(at);"
        "w <- size.x; h <- size.y; x <- at.x; y <- at.y; aspect <- m.GetAspectRatio();"
        "m.SetScreenProperties(0, 0, 1, 1); m.GetScreenWidthAndHeight(size); kept <- size.x;");
    EXPECT_FLOAT_EQ(GlobalFloat("aspectBefore"), 1.0f) << Reports();
    EXPECT_FLOAT_EQ(GlobalFloat("w"), 1280.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("h"), 1024.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("x"), 30.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("y"), 40.0f);
    EXPECT_FLOAT_EQ(GlobalFloat("aspect"), 1.25f);
    EXPECT_FLOAT_EQ(GlobalFloat("kept"), 1280.0f) << "an empty screen is refused";
}

TEST_F(ScreenElementManagerScriptTest, LoadsReadTheTreeAndMissingFilesAreReported)
{
    WriteScript("frontend/hud.txt",
                ManagedElementText({{"box", false, {{1280, 720, 10, 10, 0, 0, {"NONE"}}}}}));
    Run("local m = ScreenElementManager(); m.Load(\"frontend\", \"hud.txt\"); m.Load(\"frontend\", \"hud.txt\", 1);"
        "m.Load(\"frontend\", \"none.txt\", null); done <- 1;");
    EXPECT_EQ(GlobalInt("done"), 1) << Reports();
    EXPECT_TRUE(ReportsContain("Open screen element data frontend/none.txt failed.\n"));
    EXPECT_FALSE(ReportsContain("hud.txt failed"));
}

TEST_F(ScreenElementManagerScriptTest, ElementsArePlacedIntoSpritesAndUnknownNamesLeaveThem)
{
    WriteElements();
    Run("local s = Sprite(); manager.GetScreenElementData(s, \"box\", 0);"
        "placed <- [s.x, s.y, s.width, s.height];"
        "manager.GetScreenElementData(s, \"nothing\", 0); kept <- [s.x, s.y, s.width, s.height];"
        "local a = AnimSprite(); manager.GetScreenElementData(a, \"box\", 0); animatedWidth <- a.width;"
        "manager.GetAnimScreenElementData(a, \"spin\");"
        "animated <- [a.x, a.y, a.width, a.height];"
        "joined <- \"\"; foreach (list in [placed, kept, animated]) foreach (v in list) joined += v + \" \";");
    EXPECT_EQ(GlobalString("joined"), "40 20 200 100 40 20 200 100 16 8 64 32 ") << Reports();
    EXPECT_EQ(GlobalInt("animatedWidth"), 200);
}

TEST_F(ScreenElementManagerScriptTest, EachScratchElementIsANewSpriteThatKeepsTheLastPlace)
{
    WriteElements();
    Run("local first = manager.GetScratchScreenElement(\"nothing\", 0);"
        "start <- [first.x, first.y, first.width, first.height, first.Scale];"
        "local box = manager.GetScratchScreenElement(\"box\", 0); box.x = 7; box.Scale = 3.0;"
        "local after = manager.GetScratchScreenElement(\"nothing\", 0);"
        "later <- [after.x, after.y, after.width, after.height, after.Scale, box.x];"
        "distinct <- first != box && box != after ? 1 : 0;"
        "joined <- \"\"; foreach (list in [start, later]) foreach (v in list) joined += v + \" \";");
    EXPECT_EQ(GlobalString("joined"), "0 0 -1 -1 1 40 20 200 100 1 7 ") << Reports();
    EXPECT_EQ(GlobalInt("distinct"), 1);
}

TEST_F(ScreenElementManagerScriptTest, OutArgumentsOfAnotherClassAndForeignThisAreRefused)
{
    WriteElements();
    const char* calls[] = {
        "manager.GetScreenElementData(Vec3(0, 0, 0), \"box\", 0)",
        "manager.GetAnimScreenElementData(Sprite(), \"spin\")",
        "ScreenElementManager().GetScreenWidthAndHeight(Vec3(0, 0, 0))",
        "ScreenElementManager().GetScreenPosition(Mat4())",
        "ScreenElementManager.GetAspectRatio.call(Vec3(1, 2, 3))",
    };
    for (const char* call : calls)
    {
        ClearReports();
        Run(std::string("reached <- 0; ") + call + "; reached = 1;");
        EXPECT_EQ(GlobalInt("reached"), 0) << call;
        EXPECT_TRUE(ReportsContain("the object is not an instance of"))
            << call << "\n" << Reports();
    }
}
} // namespace
