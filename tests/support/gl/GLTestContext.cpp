#include "GLTestContext.h"

#include "opengl/GLState.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

void GLContextTest::SetUp()
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    ASSERT_TRUE(CreateMainWindow(true)) << m_reports.Text();
    ASSERT_TRUE(DisplayCreate(64, 64, nullptr)) << m_reports.Text();
    GLBindTextureCacheReset();
}

void GLContextTest::TearDown()
{
    if (HasFailure())
        m_reports.Print();
    DisplayDestroy();
    // The window system stays up: shutting it down unloads the GL driver,
    // whose buffers the leak checker then cannot trace.
    DestroyMainWindow();
}
