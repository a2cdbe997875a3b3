// Render targets, their framebuffers, the screen quad and the effect buffer.

#include "opengl/RenderTarget.h"
#include "support/gl/GLDrawTest.h"
#include "opengl/EffectBuffer.h"
#include "opengl/GLState.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "support/LogCapture.h"

#include <GL/glew.h>

#include <vector>

namespace
{
class RenderTargetTest : public GLDrawTest
{
protected:
    void SetUp() override
    {
        GLDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(RenderTargetsInit(kGLTestWidth, kGLTestHeight));
    }

    void TearDown() override
    {
        if (!IsSkipped())
        {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            RenderTargetsShutdown();
            EffectBufferDestroy();
        }
        GLDrawTest::TearDown();
    }

    // RGBA of one texel of a colour target.
    static std::vector<uint8_t> TargetTexel(int32_t id, int x, int y)
    {
        const RenderTarget* target = RenderTargetFind(id);
        std::vector<uint8_t> texels(size_t(target->width) * target->height * 4);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, target->glName);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        GLBindTextureCacheReset();
        const size_t at = (size_t(y) * target->width + x) * 4;
        return std::vector<uint8_t>(texels.begin() + at, texels.begin() + at + 4);
    }
};

TEST_F(RenderTargetTest, TheFrameTargetsExistAtTheRenderSizeAndAliasesFindTheScene)
{
    const int32_t ids[] = {kRenderTargetSceneColour, kRenderTargetDepth,       kRenderTargetOcclusion,
                           kRenderTargetBlur,        kRenderTargetPointLights, kRenderTargetSceneCopy};
    for (int32_t id : ids)
    {
        const RenderTarget* target = RenderTargetFind(id);
        ASSERT_NE(target, nullptr) << id;
        EXPECT_EQ(target->width, kGLTestWidth) << id;
        EXPECT_NE(target->glName, 0u) << id;
    }
    EXPECT_EQ(RenderTargetFind(kRenderTargetDefault), RenderTargetFind(kRenderTargetSceneColour));
    EXPECT_EQ(RenderTargetFind(kRenderTargetSceneAlias), RenderTargetFind(kRenderTargetSceneColour));
    EXPECT_EQ(RenderTargetFind(1), nullptr);
    EXPECT_EQ(RenderTargetFind(kRenderTargetDepth)->format, uint32_t(kRenderTargetDepthStencil));
    EXPECT_NEAR(RenderTargetsBlurScale(), 64.0f / 1080.0f * 19.0f, 1e-6f);
}

TEST_F(RenderTargetTest, TwoIdsOfTheSceneDrawIntoOneTextureThroughTwoFramebuffers)
{
    const int before = RenderTargetFramebufferCount();
    ASSERT_EQ(RenderTargetBegin(kRenderTargetDefault, 0, 15, 0, kRenderTargetDepth), 1);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(RenderTargetBegin(kRenderTargetSceneColour, 0, 15, 0, kRenderTargetDepth), 1);
    EXPECT_EQ(RenderTargetFramebufferCount(), before + 1)
        << "(-1, 0, 8) is cached at start; (6, 0, 8) is new";
    ASSERT_EQ(RenderTargetBegin(kRenderTargetSceneColour, 0, 15, 0, kRenderTargetDepth), 1);
    EXPECT_EQ(RenderTargetFramebufferCount(), before + 1);
    EXPECT_EQ(TargetTexel(kRenderTargetSceneColour, 3, 3), (std::vector<uint8_t>{255, 0, 0, 255}));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    RenderTargetBegin(kRenderTargetBlur, 0, 15, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(RenderTargetTest, TheColourMaskChoosesTheChannelsWritten)
{
    ASSERT_EQ(RenderTargetBegin(kRenderTargetBlur, 0, 15, 0, 0), 1);
    glClearColor(0.2f, 0.4f, 0.6f, 0.8f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(RenderTargetBegin(kRenderTargetBlur, 0, 8, 0, 0), 1);
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(TargetTexel(kRenderTargetBlur, 0, 0), (std::vector<uint8_t>{51, 102, 153, 255}));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// A pass target cleared to black must not leave the next frame's clear black.
TEST_F(RenderTargetTest, ClearingAPassTargetKeepsTheFramesClearColour)
{
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    ASSERT_EQ(RenderTargetBegin(kRenderTargetPointLights, 0, 15, 0, 0), 1);
    RenderTargetClear();
    EXPECT_EQ(TargetTexel(kRenderTargetPointLights, 0, 0), (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_EQ(RenderTargetBegin(kRenderTargetBlur, 0, 15, 0, 0), 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(TargetTexel(kRenderTargetBlur, 0, 0), (std::vector<uint8_t>{51, 102, 153, 255}));
}

TEST_F(RenderTargetTest, AMissingTargetAndAFullCacheAreReportedAndBindNothing)
{
    LogCapture log;
    EXPECT_EQ(RenderTargetBegin(1, 0, 15, 0, 0), 0);
    EXPECT_TRUE(log.Contains("no render target 1"));
    const int32_t colours[] = {kRenderTargetOcclusion, kRenderTargetBlur,        kRenderTargetPointLights,
                               kRenderTargetSceneCopy, kRenderTargetSceneColour, kRenderTargetDefault,
                               kRenderTargetSceneAlias};
    int made = 0;
    for (int32_t colour : colours)
        for (int32_t depth : {0, int32_t(kRenderTargetDepth)})
            made += RenderTargetBegin(colour, 0, 15, 0, depth);
    EXPECT_EQ(RenderTargetFramebufferCount(), kFramebufferCacheMax);
    EXPECT_EQ(made, kFramebufferCacheMax);
    EXPECT_TRUE(log.Contains("framebuffer cache is full"));
}

TEST_F(RenderTargetTest, ASecondInitReplacesTheFirst)
{
    RenderTargetBegin(kRenderTargetSceneColour, 0, 15, 0, kRenderTargetDepth);
    const int framebuffers = RenderTargetFramebufferCount();
    ASSERT_TRUE(RenderTargetsInit(32, 16));
    EXPECT_LT(RenderTargetFramebufferCount(), framebuffers);
    EXPECT_EQ(RenderTargetFind(kRenderTargetSceneColour)->width, 32);
    EXPECT_EQ(RenderTargetsHeight(), 16);
    EXPECT_EQ(RenderTargetBegin(kRenderTargetDefault, 0, 15, 0, kRenderTargetDepth), 1);
}

TEST_F(RenderTargetTest, BindingTargetsAsTexturesResetsTheTextureUnitCache)
{
    TextureBuiltinsCreate();
    Texture* white = TextureBuiltin(kTextureDefaultWhite);
    EXPECT_TRUE(GLBindTexture(0, white));
    EXPECT_FALSE(GLBindTexture(0, white));
    RenderTargetBindTextures(kRenderTargetSceneColour, kRenderTargetDepth, 0, 0, 1, 0, 0, 0);
    EXPECT_TRUE(GLBindTexture(0, white)) << "the cache must not claim unit 0 still holds the texture";
    TextureBuiltinsDestroy();
}

TEST_F(RenderTargetTest, CopyingTheSceneGivesPassesATextureToReadWhileTheyDrawOverIt)
{
    RenderTargetBegin(kRenderTargetSceneColour, 0, 15, 0, 0);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    RenderTargetCopy(kRenderTargetSceneColour, kRenderTargetSceneCopy);
    EXPECT_EQ(TargetTexel(kRenderTargetSceneCopy, 10, 20), (std::vector<uint8_t>{0, 255, 0, 255}));
}

TEST_F(RenderTargetTest, ThePresentDrawsTheSceneIntoTheWindow)
{
    RenderTargetBegin(kRenderTargetSceneColour, 0, 15, 0, 0);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    // Fixed function, textured from unit 0: a program-free stand-in for "copy".
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    RenderTargetSetQuadParams(Vec4(0.5f, 0.5f, 0, 0), Vec4(0, 0, 0, 0));
    RenderTargetPresent();
    glDisable(GL_TEXTURE_2D);
    const std::vector<uint8_t> pixels = GLTestReadPixels();
    EXPECT_EQ(pixels[(32 * kGLTestWidth + 32) * 4 + 2], 255);
    EXPECT_EQ(pixels[(32 * kGLTestWidth + 32) * 4 + 0], 0);
}

TEST_F(RenderTargetTest, EffectBufferUploadsAndDrawsStayWithinItsCapacity)
{
    EffectBufferCreate(8);
    std::vector<EffectVertex> vertices(12);
    for (size_t i = 0; i < vertices.size(); ++i)
        vertices[i] = EffectVertex{{float(i) * 0.1f - 0.5f, 0.0f, 0.0f}, {255, 255, 255, 255}, {0.0f, 0.0f}};
    LogCapture log;
    EXPECT_EQ(EffectBufferUpload(vertices.data(), 12), 8);
    EXPECT_TRUE(log.Contains("effect buffer holds 8 vertices"));
    EXPECT_EQ(EffectBufferUpload(vertices.data(), 4), 4);
    EffectBufferDrawQuads(4, 100);
    EffectBufferDrawStrip(-3, 6);
    EffectBufferDrawStrip(50, 4);
    EffectBufferUnbind();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EffectBufferDestroy();
    EXPECT_EQ(EffectBufferUpload(vertices.data(), 4), 0);
}
} // namespace
