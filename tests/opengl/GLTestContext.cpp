#include "GLTestContext.h"

#include "opengl/GLState.h"
#include "platform/Display.h"
#include "platform/Shell.h"
#include "support/DisplayTestSupport.h"

#include <SDL.h>

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
    DestroyMainWindow();
    SDL_Quit();
}
