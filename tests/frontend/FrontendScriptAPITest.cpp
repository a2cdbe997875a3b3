#include "frontend/FrontendScriptAPI.h"
#include "core/FileTable.h"
#include "frontend/ScreenElementData.h"
#include "frontend/SystemUserMessageQueue.h"
#include "frontend/UIInterface.h"
#include "tools/formats/ScreenWriter.h"
#include "tests/script/ScriptTestFixture.h"

#include <gtest/gtest.h>

namespace
{
class FrontendScriptAPITest : public ScriptTest
{
protected:
    void Register(HSQUIRRELVM vm) override
    {
        ScriptTest::Register(vm);
        RegisterFrontendGeneralScriptAPI(vm);
        RegisterFrontendScriptAPI(vm);
    }
    void SetUp() override
    {
        ScriptTest::SetUp();
        SysMsgCreate();
    }
    void TearDown() override
    {
        SysMsgDestroy();
        ScriptTest::TearDown();
    }
};

TEST_F(FrontendScriptAPITest, SystemUserMessageQueuesTheText)
{
    Run("SystemUserMessage(\"hello\", false); SystemUserMessage(\"queued\", true);"
        "SystemUserMessage(\"lost\", false);");
    ASSERT_EQ(SysMsgQueue()->count, 2) << Reports();
    EXPECT_STREQ(SysMsgQueue()->messages[1].c_str(), "queued");
}

TEST_F(FrontendScriptAPITest, WithoutADisplayAFontMeasuresNothing)
{
    Run("local font = BasicText(\"fonts/none.fnt\"); width <- font.GetStringLength(\"abc\");"
        "height <- font.GetStringHeight(\"abc\", 100);");
    EXPECT_EQ(GlobalInt("width"), 0) << Reports();
    EXPECT_EQ(GlobalInt("height"), 0);
}

BasicText* NoFont(const char*)
{
    return nullptr;
}
Texture* NoTexture(const char*)
{
    return nullptr;
}
void Forget(Texture** holder)
{
    *holder = nullptr;
}
const ScreenTextureSource kNoTextures = {NoTexture, Forget};

class UIProxyScriptTest : public FrontendScriptAPITest
{
protected:
    void SetUp() override
    {
        FrontendScriptAPITest::SetUp();
        UIInterface::SetFontMaker(NoFont);
        ScreenElementDataSetTextureSource(&kNoTextures);
        UIScreenSpec screen;
        screen.name = "menu";
        screen.elementFile = "menu.txt";
        screen.font.file = "none.fnt";
        UIItemSpec label;
        label.type = "LABEL";
        label.name = "title";
        label.element = "box";
        label.visible = "FALSE";
        UIItemSpec list = label;
        list.type = "LIST";
        list.name = "scores";
        screen.items = {label, list};
        ASSERT_TRUE(dir.WriteFile("data/frontend/screens.scn", UIScreenFileText("menu.txt", {screen})));
        ASSERT_TRUE(dir.WriteFile("data/frontend/menu.txt", ScreenElementText({})));
        FileTableMountDataTree(dir.Root().c_str());
        ASSERT_TRUE(GetUIInterface().LoadScreens("frontend", "screens.scn"));
    }
    void TearDown() override
    {
        GetUIInterface().Shutdown();
        UIInterface::SetFontMaker(nullptr);
        ScreenElementDataSetTextureSource(nullptr);
        FrontendScriptAPITest::TearDown();
    }
};

TEST_F(UIProxyScriptTest, PropertiesAreReadAndWrittenByKey)
{
    Run("local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\");"
        "p.SetUIPropertyString(\"Hello\", 3); text <- p.GetUIPropertyString(3);"
        "visible <- p.GetUIPropertyBool(8) ? 1 : 0; focusable <- p.GetUIPropertyBool(7) ? 1 : 0;"
        "p.SetUIPropertyInt(1, 11); texture <- p.GetUIPropertyInt(11);"
        "local l = UIItemInterfaceProxy(); l.SetToItemByName(\"scores\");"
        "l.AddItemToBack(\"one\"); l.AddItemToBack(\"two\"); rows <- l.GetUIPropertyInt(12);");
    EXPECT_EQ(GlobalString("text"), "Hello") << Reports();
    EXPECT_EQ(GlobalInt("visible"), 0);
    EXPECT_EQ(GlobalInt("focusable"), 1);
    EXPECT_EQ(GlobalInt("texture"), 1);
    EXPECT_EQ(GlobalInt("rows"), 2);
}

TEST_F(UIProxyScriptTest, MisusesAreScriptErrorsNamingTheKey)
{
    struct Case
    {
        const char* code;
        const char* report;
    };
    const Case cases[] = {
        {"UIItemInterfaceProxy().GetUIPropertyInt(0);", "no item (key 0)"},
        {"local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\"); p.GetUIPropertyInt(10);",
         "no such property (key 10)"},
        {"local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\"); p.GetUIPropertyInt(18);",
         "no such property (key 18)"},
        {"local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\"); p.GetUIPropertyInt(12);",
         "no such property (key 12)"},
        {"local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\"); p.GetUIPropertyInt(3);",
         "another kind (key 3)"},
        {"local p = UIItemInterfaceProxy(); p.SetToItemByName(\"title\"); p.AddItemToBack(\"x\");",
         "no list"},
    };
    for (const Case& c : cases)
    {
        ClearReports();
        Run(c.code);
        EXPECT_TRUE(ReportsContain(c.report)) << c.code << "\n" << Reports();
    }
}

TEST_F(FrontendScriptAPITest, WrongArgumentsAreScriptErrors)
{
    struct Case
    {
        const char* code;
    };
    const Case cases[] = {
        {"SystemUserMessage(1, false);"},
        {"DrawLine(1, 2, 3);"},
        {"BasicText(3);"},
        {"BasicText(\"a\").GetStringLength(3);"},
    };
    for (const Case& c : cases)
    {
        ClearReports();
        Run(c.code);
        EXPECT_FALSE(Reports().empty()) << c.code;
    }
}
} // namespace
