#include "GLTestContext.h"

#include "opengl/GLState.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

void GLContextTest::SetUp()
{
    if (!DisplayAvailable())
        GTEST_SKIP() << "no display";
    ASSERT_TRUE(CreateMainWindow(true));
    ASSERT_TRUE(DisplayCreate(64, 64, nullptr));
    GLBindTextureCacheReset();
}

void GLContextTest::TearDown()
{
    DisplayDestroy();
    // The window system stays up: shutting it down unloads the GL driver,
    // whose buffers the leak checker then cannot trace.
    DestroyMainWindow();
}
