#include "opengl/PrimBatch.h"

#include "ShippedShaders.h"
#include "support/LogCapture.h"
#include "opengl/GLState.h"
#include "opengl/ShaderProgram.h"
#include "opengl/TextureBuiltins.h"
#include "support/gl/GLDrawTest.h"

#include <GL/glew.h>

#include <cstring>

namespace
{
// The batch in pixel space (y up) with the hud program of the vertex path
// and white on unit 0, so pixels take the batch's colour.
class PrimBatchTest : public GLDrawTest
{
protected:
    void UsePath(bool vertexArrays)
    {
        if (m_program)
            Release();
        GLTestUseVertexArrays(vertexArrays);
        PrimBatchCreate();
        m_program = m_shaders.Load(vertexArrays ? "hud" : "hud_Non_VAO");
        ShaderBind(m_program);
        TextureBuiltinsCreate();
        GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
        GLOrtho(0, kGLTestWidth, 0, kGLTestHeight, -1, 1);
        GLLoadIdentity();
        glClear(GL_COLOR_BUFFER_BIT);
        PrimBatchClearDrawCalls();
    }

    void Release()
    {
        PrimBatchDestroy();
        ShaderBind(nullptr);
        ShaderRelease(m_program);
        m_program = nullptr;
        TextureBuiltinsDestroy();
    }

    void TearDown() override
    {
        if (m_program)
            Release();
        GLDrawTest::TearDown();
    }

    static void Quad(int x, int y, int size)
    {
        PrimVertex3i(x, y, 0);
        PrimVertex3i(x + size, y, 0);
        PrimVertex3i(x + size, y + size, 0);
        PrimVertex3i(x, y + size, 0);
    }

    static std::string Pixel(const std::vector<uint8_t>& pixels, int x, int y)
    {
        return std::string(reinterpret_cast<const char*>(&pixels[(size_t(y) * kGLTestWidth + x) * 4]), 3);
    }

    ShippedShaders m_shaders;
    ShaderProgram* m_program = nullptr;
};
} // namespace

TEST_F(PrimBatchTest, DrawsKnownPixelsOnBothVertexPaths)
{
    for (const bool vertexArrays : {true, false})
    {
        UsePath(vertexArrays);
        PrimSetType(GL_QUADS);
        PrimSetColor4ub(255, 0, 0, 255);
        Quad(0, 0, 32);
        PrimSetColor4ub(0, 255, 0, 255);
        Quad(32, 32, 32);
        PrimFlush();
        EXPECT_EQ(PrimBatchDrawCalls(), 1u);
        const std::vector<uint8_t> pixels = GLTestReadPixels();
        EXPECT_EQ(Pixel(pixels, 10, 10), std::string("\xff\0\0", 3)) << vertexArrays;
        EXPECT_EQ(Pixel(pixels, 50, 50), std::string("\0\xff\0", 3)) << vertexArrays;
        EXPECT_EQ(Pixel(pixels, 50, 10), std::string("\0\0\0", 3)) << vertexArrays;
    }
}

TEST_F(PrimBatchTest, TheHundredAndTwentiethVertexFlushes)
{
    UsePath(true);
    PrimSetType(GL_POINTS);
    for (int i = 0; i < 119; ++i)
        PrimVertex3i(i % 64, i / 64, 0);
    EXPECT_EQ(PrimGetVertexCount(), 119);
    EXPECT_EQ(PrimBatchDrawCalls(), 0u);
    PrimVertex3i(0, 10, 0);
    EXPECT_EQ(PrimGetVertexCount(), 0);
    EXPECT_EQ(PrimBatchDrawCalls(), 1u);
    PrimVertex3i(0, 11, 0);
    EXPECT_EQ(PrimGetVertexCount(), 1);
    PrimEnd();
    EXPECT_EQ(PrimBatchDrawCalls(), 2u);
    PrimFlush(); // empty: no draw
    EXPECT_EQ(PrimBatchDrawCalls(), 2u);
}

TEST_F(PrimBatchTest, ChangingTheTypeFlushesWhatCameBefore)
{
    UsePath(true);
    PrimSetType(GL_TRIANGLES);
    PrimVertex3i(0, 0, 0);
    PrimVertex3i(10, 0, 0);
    PrimVertex3i(0, 10, 0);
    PrimSetType(GL_TRIANGLES);
    EXPECT_EQ(PrimBatchDrawCalls(), 0u);
    PrimSetType(GL_LINES);
    EXPECT_EQ(PrimBatchDrawCalls(), 1u);
    EXPECT_EQ(PrimGetVertexCount(), 0);
}

TEST_F(PrimBatchTest, VerticesDrawUnderTheMatrixTheyWereGivenUnder)
{
    for (const bool vertexArrays : {true, false})
    {
        UsePath(vertexArrays);
        PrimSetType(GL_QUADS);
        PrimSetColor4ub(255, 255, 255, 255);
        Quad(0, 0, 16);
        GLPushMatrix();
        GLTranslate(40, 40, 0);
        Quad(0, 0, 16);
        EXPECT_EQ(PrimBatchDrawCalls(), 1u);
        GLPopMatrix();
        PrimFlush();
        const std::vector<uint8_t> pixels = GLTestReadPixels();
        EXPECT_EQ(Pixel(pixels, 8, 8), "\xff\xff\xff") << vertexArrays;
        EXPECT_EQ(Pixel(pixels, 48, 48), "\xff\xff\xff") << vertexArrays;
        EXPECT_EQ(Pixel(pixels, 24, 24), std::string("\0\0\0", 3)) << vertexArrays;
        Mat4 modelView;
        GLGetModelView(modelView);
        EXPECT_EQ(modelView[12], 0.0f); // the caller's matrix is back
    }
}

TEST_F(PrimBatchTest, EveryMatrixChangeFlushesAndPushingAloneDoesNot)
{
    struct Case
    {
        const char* name;
        void (*change)();
        uint32_t drawCalls;
    };
    static const Case kCases[] = {
        {"load", [] { GLLoadMatrix(Mat4Identity()); }, 1},
        {"identity", [] { GLLoadIdentity(); }, 1},
        {"multiply", [] { GLMultMatrix(Mat4Identity()); }, 1},
        {"rotate", [] { GLRotate(90.0f, Vec3(0, 0, 1)); }, 1},
        {"translate", [] { GLTranslate(1, 2, 3); }, 1},
        {"scale", [] { GLScaleUniform(2.0f); }, 1},
        {"projection", [] { GLOrtho(0, 1, 0, 1, -1, 1); }, 1},
        {"push", [] { GLPushMatrix(); }, 0},
        {"pop", [] { GLPopMatrix(); }, 1},
    };
    UsePath(true);
    GLPushMatrix(); // for "pop"
    PrimSetType(GL_POINTS);
    for (const Case& c : kCases)
    {
        PrimBatchClearDrawCalls();
        PrimVertex3i(1, 1, 0);
        c.change();
        EXPECT_EQ(PrimBatchDrawCalls(), c.drawCalls) << c.name;
        EXPECT_EQ(PrimGetVertexCount(), c.drawCalls ? 0 : 1) << c.name;
        PrimFlush();
    }
    GLPopMatrix();
}

TEST(PrimBatchWithoutBuffer, AFlushWithNoBatchReportsTheDroppedVerticesOnce)
{
    PrimBatchDestroy();
    LogCapture log;
    PrimVertex3i(0, 0, 0);
    PrimVertex3i(1, 0, 0);
    PrimFlush();
    EXPECT_EQ(PrimGetVertexCount(), 0);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("2 vertices dropped")) << log.Text();
    PrimVertex3i(0, 0, 0);
    PrimFlush();
    PrimFlush(); // empty: nothing to report
    EXPECT_EQ(log.Lines().size(), 1u);
}

TEST(PrimBatchColour, FloatColoursTruncateAndKeepTheLowByte)
{
    PrimSetColor4f(1.0f, 0.5f, 0.0f, 1.0f);
    EXPECT_EQ(PrimGetColorPacked(), 0xFF007FFFu);
    PrimSetColor4f(2.0f, -0.5f, 1e20f, 0.999f);
    EXPECT_EQ(PrimGetColorPacked(), 0xFE0081FEu);
    PrimSetColorPacked(0x11223344u);
    EXPECT_EQ(PrimGetColorPacked(), 0x11223344u);
}

TEST_F(PrimBatchTest, ATransformMovesVerticesAsTheyAreAddedWithoutAFlush)
{
    UsePath(true);
    PrimSetType(GL_QUADS);
    PrimSetColor4ub(255, 255, 255, 255);
    Quad(0, 0, 8);
    // Doubles and moves to (40, 40): the second quad covers 40..56.
    Mat4 transform = Mat4Identity();
    transform[0] = transform[5] = 2.0f;
    Mat4SetTranslation(transform, Vec3(40.0f, 40.0f, 0.0f));
    PrimSetTransform(&transform);
    Quad(0, 0, 8);
    PrimSetTransform(nullptr);
    Quad(20, 0, 4);
    EXPECT_EQ(PrimBatchDrawCalls(), 0u);
    PrimFlush();
    EXPECT_EQ(PrimBatchDrawCalls(), 1u);
    const std::vector<uint8_t> pixels = GLTestReadPixels();
    EXPECT_EQ(Pixel(pixels, 4, 4), "\xff\xff\xff");
    EXPECT_EQ(Pixel(pixels, 54, 54), "\xff\xff\xff");
    EXPECT_EQ(Pixel(pixels, 42, 42), "\xff\xff\xff");
    EXPECT_EQ(Pixel(pixels, 38, 38), std::string("\0\0\0", 3));
    EXPECT_EQ(Pixel(pixels, 58, 58), std::string("\0\0\0", 3));
    EXPECT_EQ(Pixel(pixels, 22, 2), "\xff\xff\xff") << "the transform ends when cleared";
}
