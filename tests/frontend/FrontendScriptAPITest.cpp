#include "frontend/FrontendScriptAPI.h"
#include "frontend/SystemUserMessageQueue.h"
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
