#include "opengl/GLCheckError.h"

#include "support/gl/GLTestContext.h"
#include "support/DisplayTestSupport.h"
#include "support/LogCapture.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

namespace
{
void ProvokeInvalidEnum()
{
    glDepthFunc(0);
}

class GLCheckErrorOnDriver : public GLContextTest
{
};

std::string Report(const char* text)
{
    return std::string("Render.cpp(42): RenderAll() - OpenGL: ") + text + " \n";
}
} // namespace

TEST(GLCheckErrorText, NamesEachErrorCode)
{
    EXPECT_STREQ(GLErrorText(0x500), "Invalid Enum");
    EXPECT_STREQ(GLErrorText(0x501), "Invalid Value");
    EXPECT_STREQ(GLErrorText(0x502), "Invalid Operation");
    EXPECT_STREQ(GLErrorText(0x503), "Stack Overflow");
    EXPECT_STREQ(GLErrorText(0x504), "Stack Underflow");
    EXPECT_STREQ(GLErrorText(0x505), "Out of memory");
    EXPECT_STREQ(GLErrorText(0x506), "Unrecognized error.\n");
}

TEST_F(GLCheckErrorOnDriver, CleanCheckReturnsZeroAndResetsTheCounter)
{
    int counter = 3;
    LogCapture log;
    EXPECT_EQ(GLCheckError(&counter, "RenderAll", "Render.cpp", 42), 0u);
    EXPECT_EQ(counter, 0);
    EXPECT_TRUE(log.Lines().empty());
}

TEST_F(GLCheckErrorOnDriver, ACallSiteReportsFourFailuresInARowThenWaitsForACleanCheck)
{
    int counter = 0;
    LogCapture log;
    for (int i = 0; i < 5; ++i)
    {
        ProvokeInvalidEnum();
        EXPECT_EQ(GLCheckError(&counter, "RenderAll", "Render.cpp", 42),
                  static_cast<unsigned>(GL_INVALID_ENUM));
    }
    const std::vector<std::string> expected = {Report("Invalid Enum"), Report("Invalid Enum"),
                                               Report("Invalid Enum"), Report("errors continue...")};
    EXPECT_EQ(log.Lines(), expected);

    log.Clear();
    GLCheckError(&counter, "RenderAll", "Render.cpp", 42);
    ProvokeInvalidEnum();
    GLCheckError(&counter, "RenderAll", "Render.cpp", 42);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{Report("Invalid Enum")});
}

TEST_F(GLCheckErrorOnDriver, AForeverFailingSiteStaysQuiet)
{
    int counter = 0;
    LogCapture log;
    for (int i = 0; i < 50; ++i)
    {
        ProvokeInvalidEnum();
        GLCheckError(&counter, "RenderAll", "Render.cpp", 42);
    }
    EXPECT_EQ(log.Lines().size(), 4u);
    EXPECT_LE(counter, 5);
}

TEST_F(GLCheckErrorOnDriver, WithoutACounterEveryErrorIsReportedAndNamesDefault)
{
    LogCapture log;
    for (int i = 0; i < 6; ++i)
    {
        ProvokeInvalidEnum();
        GLCheckError(nullptr, nullptr, nullptr, 7);
    }
    ASSERT_EQ(log.Lines().size(), 6u);
    EXPECT_EQ(log.Lines()[5], "UnspecifiedFile(7): UnspecifiedFunction() - OpenGL: Invalid Enum \n");
}

TEST_F(GLCheckErrorOnDriver, EachCallSiteKeepsItsOwnCounter)
{
    LogCapture log;
    for (int i = 0; i < 5; ++i)
    {
        ProvokeInvalidEnum();
        GL_CHECK_ERROR("First");
        ProvokeInvalidEnum();
        GL_CHECK_ERROR("Second");
    }
    EXPECT_EQ(log.Lines().size(), 8u);
}
