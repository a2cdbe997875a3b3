#include "GLDrawTest.h"

#include "opengl/GLCaps.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/VertexMap.h"

#include <GL/glew.h>

#include <cstdlib>

void GLTestUseVertexArrays(bool use)
{
    VertexMapBind(0);
    GLCapsSetClient(kGLCapVertexArrayObjects, use);
}

std::vector<uint8_t> GLTestReadPixels()
{
    // Batched quads are drawn when the batch flushes; what was asked for shows.
    PrimFlush();
    std::vector<uint8_t> pixels(size_t(kGLTestWidth) * kGLTestHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kGLTestWidth, kGLTestHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GLDrawTest::SetUp()
{
    // llvmpipe's rendering threads, ended at exit while the leak checker
    // stops the world, now and then crash its tracer; drawing 64 x 64
    // pixels needs none of them.
    setenv("LP_NUM_THREADS", "0", 0);
    GLContextTest::SetUp();
    if (IsSkipped() || HasFatalFailure())
        return;
    GLCapsReset();
    GLCapsInit();
    GLTestUseVertexArrays(true);
    glViewport(0, 0, kGLTestWidth, kGLTestHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    GLBlendOff();
    GLDepthTestOff();
    GLCullOff();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    PrimBatchCreate();
}

void GLDrawTest::TearDown()
{
    if (!IsSkipped())
    {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        // The batch was made on the vertex-array path and must go on it.
        GLTestUseVertexArrays(true);
        PrimBatchDestroy();
        ShaderBind(nullptr);
    }
    GLContextTest::TearDown();
}
