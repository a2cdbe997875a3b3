#include "GLTestContext.h"

#include "opengl/GLState.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

bool GLTestOpenContext()
{
    if (!CreateMainWindow(true) || !DisplayCreate(64, 64, nullptr))
        return false;
    GLBindTextureCacheReset();
    return true;
}

void GLTestCloseContext()
{
    DisplayDestroy();
    // The window system stays up: shutting it down unloads the GL driver,
    // whose buffers the leak checker then cannot trace.
    DestroyMainWindow();
}

void GLContextTest::SetUp()
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    ASSERT_TRUE(GLTestOpenContext()) << m_reports.Text();
}

void GLContextTest::TearDown()
{
    if (HasFailure())
        m_reports.Print();
    GLTestCloseContext();
}
