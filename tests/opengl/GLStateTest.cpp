#include "opengl/GLState.h"

#include "support/gl/GLTestContext.h"
#include "opengl/GLBuffer.h"
#include "opengl/PrimBatch.h"
#include "opengl/Texture.h"
#include "support/DisplayTestSupport.h"
#include "support/LogCapture.h"

#include <GL/glew.h>
#include <cstring>
#include <gtest/gtest.h>

namespace
{
GLint Integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

GLint BoundTexture(int unit)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    const GLint name = Integer(GL_TEXTURE_BINDING_2D);
    return name;
}

class GLStateOnDriver : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        if (IsSkipped())
            return;
        glGenTextures(2, names);
        first.m_glName = names[0];
        second.m_glName = names[1];
    }
    void TearDown() override
    {
        if (!IsSkipped())
            glDeleteTextures(2, names);
        GLContextTest::TearDown();
    }

    GLuint names[2] = {};
    Texture first;
    Texture second;
};

struct BlendCase
{
    const char* what;
    void (*set)();
    GLenum equation, source, destination;
};

const BlendCase kBlendCases[] = {
    {"alpha", GLBlendAlpha, GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
    {"additive", GLBlendAdditive, GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE},
    {"one-one", GLBlendOneOne, GL_FUNC_ADD, GL_ONE, GL_ONE},
    {"subtractive", GLBlendSubtractive, GL_FUNC_REVERSE_SUBTRACT, GL_SRC_ALPHA, GL_ONE},
};
} // namespace

TEST_F(GLStateOnDriver, BindingTheBoundTextureAgainMakesNoGLCall)
{
    EXPECT_TRUE(GLBindTexture(0, &first));
    EXPECT_EQ(BoundTexture(0), static_cast<GLint>(names[0]));
    // Bind behind the cache's back: a skipped bind leaves this in place.
    glBindTexture(GL_TEXTURE_2D, names[1]);
    EXPECT_FALSE(GLBindTexture(0, &first));
    EXPECT_EQ(BoundTexture(0), static_cast<GLint>(names[1]));
}

TEST_F(GLStateOnDriver, ResetAfterBindingPastTheCacheBindsAgain)
{
    GLBindTexture(0, &first);
    glBindTexture(GL_TEXTURE_2D, names[1]);
    GLBindTextureCacheReset();
    EXPECT_TRUE(GLBindTexture(0, &first));
    EXPECT_EQ(BoundTexture(0), static_cast<GLint>(names[0]));
}

TEST_F(GLStateOnDriver, NewGLNameBehindTheSamePointerIsBound)
{
    GLBindTexture(1, &first);
    first.m_glName = names[1];
    EXPECT_TRUE(GLBindTexture(1, &first));
    EXPECT_EQ(BoundTexture(1), static_cast<GLint>(names[1]));
}

TEST_F(GLStateOnDriver, ForgottenTextureIsBoundAgainOnEveryUnitThatHeldIt)
{
    GLBindTexture(0, &first);
    GLBindTexture(2, &first);
    GLBindTexture(1, &second);
    GLBindTextureForget(&first);
    EXPECT_TRUE(GLBindTexture(0, &first));
    EXPECT_TRUE(GLBindTexture(2, &first));
    EXPECT_FALSE(GLBindTexture(1, &second));
}

TEST_F(GLStateOnDriver, ASkippedBindLeavesEvenTheActiveUnitAndAFreshOneBinds)
{
    GLBindTexture(0, &first);
    GLBindTexture(1, &second);
    EXPECT_FALSE(GLBindTexture(0, &first));
    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE1);
    EXPECT_TRUE(GLBindTexture(0, &second));
    EXPECT_EQ(Integer(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    EXPECT_EQ(BoundTexture(0), int(TextureGLName(&second)));
    GLBindTextureForget(&second);
    EXPECT_TRUE(GLBindTexture(1, &second)) << "a forgotten texture is bound again";
    GLBindTextureCacheReset();
}

TEST_F(GLStateOnDriver, TextureEditsAfterASkippedBindReachTheTextureAskedFor)
{
    struct Case
    {
        const char* what;
        void (*edit)(Texture& texture);
        GLenum parameter;
        GLint value;
    };
    const Case cases[] = {
        {"nearest filter", [](Texture& t) { t.SetNearestFilter(); }, GL_TEXTURE_MIN_FILTER, GL_NEAREST},
        {"clamp to edge", [](Texture& t) { t.SetClampToEdge(); }, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE},
    };
    for (const Case& c : cases)
    {
        GLBindTextureCacheReset();
        GLBindTexture(0, &first);
        GLBindTexture(1, &second); // unit 1 is active; unit 0 already holds the texture
        c.edit(first);
        GLint value = 0;
        glActiveTexture(GL_TEXTURE0);
        glGetTexParameteriv(GL_TEXTURE_2D, c.parameter, &value);
        EXPECT_EQ(value, c.value) << c.what;
        glActiveTexture(GL_TEXTURE1);
        glGetTexParameteriv(GL_TEXTURE_2D, c.parameter, &value);
        EXPECT_NE(value, c.value) << c.what << ": the texture on the unit bound last was changed";
    }
    GLBindTextureCacheReset();
}

TEST_F(GLStateOnDriver, NullUnbindsAndUnitsOutsideTheTableAreRefused)
{
    GLBindTexture(3, &first);
    EXPECT_TRUE(GLBindTexture(3, nullptr));
    EXPECT_EQ(BoundTexture(3), 0);
    LogCapture log;
    EXPECT_FALSE(GLBindTexture(kGLTextureUnits, &first));
    EXPECT_FALSE(GLBindTexture(-1, &first));
    EXPECT_EQ(log.Lines().size(), 2u);
}

TEST_F(GLStateOnDriver, BlendSettersSetEquationAndFactors)
{
    for (const BlendCase& c : kBlendCases)
    {
        GLBlendOff();
        c.set();
        EXPECT_TRUE(glIsEnabled(GL_BLEND)) << c.what;
        EXPECT_EQ(Integer(GL_BLEND_EQUATION_RGB), static_cast<GLint>(c.equation)) << c.what;
        EXPECT_EQ(Integer(GL_BLEND_SRC_RGB), static_cast<GLint>(c.source)) << c.what;
        EXPECT_EQ(Integer(GL_BLEND_DST_RGB), static_cast<GLint>(c.destination)) << c.what;
    }
    GLBlendOff();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(GLStateOnDriver, DepthFunctionsCountFromNever)
{
    const GLenum expected[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                               GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    for (int n = 0; n < 8; ++n)
    {
        GLDepthTestOff();
        GLDepthTestFunc(n);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_EQ(Integer(GL_DEPTH_FUNC), static_cast<GLint>(expected[n])) << n;
    }
}

TEST_F(GLStateOnDriver, CullingAndDepthWrites)
{
    GLCullFront();
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(Integer(GL_CULL_FACE_MODE), GL_FRONT);
    GLCullBack();
    EXPECT_EQ(Integer(GL_CULL_FACE_MODE), GL_BACK);
    GLCullOff();
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    GLDepthWriteOff();
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_FALSE);
    GLDepthWriteOn();
    EXPECT_EQ(Integer(GL_DEPTH_WRITEMASK), GL_TRUE);
}

TEST_F(GLStateOnDriver, PackedClearColourHasRedInTheLowByte)
{
    GLClearColorPacked(0x80FF4000u);
    float colour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.0f);
    EXPECT_FLOAT_EQ(colour[1], 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(colour[2], 1.0f);
    EXPECT_FLOAT_EQ(colour[3], 128.0f / 255.0f);
}

TEST_F(GLStateOnDriver, ProjectionSettersLeaveTheModelViewCurrent)
{
    GLPerspective(60.0f, 1.5f, 1.0f, 50.0f);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    const Mat4 expected = Mat4Perspective(60.0f, 1.5f, 1.0f, 50.0f);
    Mat4 actual;
    GLGetProjection(actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(actual[i], expected[i]) << i;

    GLOrtho(0.0f, 640.0f, 480.0f, 0.0f, 0.0f, 1.0f);
    GLGetProjection(actual);
    // (0, 0, 0) lands on the top-left corner at depth 0.
    EXPECT_FLOAT_EQ(actual[12], -1.0f);
    EXPECT_FLOAT_EQ(actual[13], 1.0f);
    EXPECT_FLOAT_EQ(actual[14], 0.0f);
}

TEST_F(GLStateOnDriver, FixedLightsFollowTheTable)
{
    GLFixedLightsApply();
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT0));

    GLFixedLight* row = GLFixedLightRow(2);
    ASSERT_NE(row, nullptr);
    const GLFixedLight lit = {{0, 1, 0, 0}, {1, 0.5f, 0.25f, 1}, 0, 1};
    *row = lit;
    GLFixedLightsApply();
    EXPECT_TRUE(glIsEnabled(GL_LIGHT2));
    float attenuation = 0;
    glGetLightfv(GL_LIGHT2, GL_CONSTANT_ATTENUATION, &attenuation);
    EXPECT_FLOAT_EQ(attenuation, 1.0f);
    *row = GLFixedLight{};

    GLFixedLightsOff();
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_EQ(GLFixedLightRow(kGLFixedLights), nullptr);
}

TEST_F(GLStateOnDriver, DefaultState)
{
    PrimBatchDestroy();
    GLBlendAlpha();
    GLCullOff();
    GLBindTexture(0, &first);
    glBindTexture(GL_TEXTURE_2D, 0);
    GLDefaultState();
    EXPECT_TRUE(GLBindTexture(0, &first)) << "the texture cache outlived the default state";
    EXPECT_EQ(Integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    float ambient[4];
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    EXPECT_FLOAT_EQ(ambient[0], 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The primitive batch is made with it: vertices draw instead of being dropped.
    LogCapture log;
    PrimBatchClearDrawCalls();
    PrimSetType(GL_TRIANGLES);
    for (int i = 0; i < 3; ++i)
        PrimVertex3f(float(i), 0.0f, 0.0f);
    PrimFlush();
    EXPECT_EQ(PrimBatchDrawCalls(), 1u);
    EXPECT_TRUE(log.Lines().empty()) << log.Text();
    PrimBatchDestroy();
}

TEST_F(GLStateOnDriver, BuffersAreCreatedMappedAndReadBack)
{
    for (const int kind : {kGLBufferVertex, kGLBufferIndex})
    {
        const GLenum target = kind == kGLBufferVertex ? GL_ARRAY_BUFFER : GL_ELEMENT_ARRAY_BUFFER;
        const uint32_t name = GLBufferCreate(kind, 64);
        ASSERT_NE(name, 0u);
        GLint size = 0;
        glGetBufferParameteriv(target, GL_BUFFER_SIZE, &size);
        EXPECT_EQ(size, 64);

        void* bytes = GLBufferMap(kind, name);
        ASSERT_NE(bytes, nullptr);
        memset(bytes, 0xAB, 64);
        EXPECT_TRUE(GLBufferUnmap(kind, name));
        unsigned char readBack[64] = {};
        glGetBufferSubData(target, 0, 64, readBack);
        EXPECT_EQ(readBack[0], 0xAB);
        EXPECT_EQ(readBack[63], 0xAB);
        GLBufferDelete(name);
        EXPECT_FALSE(glIsBuffer(name));
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GLStateOnDriver, UnknownBufferKindIsRefused)
{
    LogCapture log;
    EXPECT_EQ(GLBufferCreate(2, 16), 0u);
    EXPECT_EQ(GLBufferMap(-1, 1), nullptr);
    EXPECT_FALSE(GLBufferUnmap(2, 1));
    EXPECT_EQ(log.Lines().size(), 3u);
}
