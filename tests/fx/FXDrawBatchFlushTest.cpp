// What the flushed batch puts on screen, on both vertex paths, under the
// shipped effect program.

#include "core/GameTimer.h"
#include "core/Hash.h"
#include "fx/FX.h"
#include "fx/FXDefinitions.h"
#include "fx/FXDrawBatch.h"
#include "fx/FXElementKinds.h"
#include "fx/FXElementPool.h"
#include "fx/FXRenderPass.h"
#include "fx/FXTextureSet.h"
#include "fx/FxAnchorTable.h"
#include "opengl/Frustum.h"
#include "opengl/EffectBuffer.h"
#include "opengl/GLState.h"
#include "opengl/Image.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "opengl/ShippedShaders.h"
#include "support/gl/GLDrawTest.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>

namespace
{
struct Rgb
{
    int r, g, b;
};

class FXDrawBatchFlushTest : public GLDrawTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        GLDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        GLTestUseVertexArrays(GetParam());
        TextureBuiltinsCreate();
        m_program = m_shaders.Load(GetParam() ? "fx" : "fx_Non_VAO");
        ASSERT_NE(m_program, nullptr);
        ShaderBind(m_program);
        FXDrawBatchCreate();
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        m_grey = PixelAt(32, 32);
    }
    void TearDown() override
    {
        if (!IsSkipped())
        {
            FXReleaseTextures();
            FXDrawBatchDestroy();
            ShaderUnbindGL();
            ShaderRelease(m_program);
            TextureBuiltinsDestroy();
            GLBindTextureCacheReset();
        }
        GLDrawTest::TearDown();
    }

    // A one-colour texture at the slot of the effect texture set.
    static void SetTexture(int slot, uint8_t r, uint8_t g, uint8_t b)
    {
        Image image;
        ASSERT_TRUE(image.Allocate(kImageFormatRGBA, 4, 4));
        for (uint32_t i = 0; i < 16; ++i)
        {
            image.pixels[i * 4 + 0] = r;
            image.pixels[i * 4 + 1] = g;
            image.pixels[i * 4 + 2] = b;
            image.pixels[i * 4 + 3] = 255;
        }
        FXTextureSet& set = FXGetTextureSet();
        set.textures[slot] = TextureFromImage(image);
        TextureSetNearestFilter(set.textures[slot]);
        set.count = std::max(set.count, slot + 1);
    }

    // A quad item over [x0, x1] x [y0, y1] in clip space.
    static void AddQuad(int32_t texture, int32_t blend, const uint8_t colour[4], float x0, float y0, float x1,
                        float y1)
    {
        FXDrawBatch& batch = *FXGetDrawBatch();
        batch.BeginItem(texture, blend);
        batch.SetColour(colour[0], colour[1], colour[2], colour[3]);
        const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (const auto& corner : corners)
            batch.AddVertex(corner[0], corner[1], 0.0f);
        batch.EndItem();
    }

    static Rgb PixelAt(int x, int y)
    {
        const std::vector<uint8_t> pixels = GLTestReadPixels();
        const size_t at = (size_t(y) * kGLTestWidth + size_t(x)) * 4;
        return Rgb{pixels[at], pixels[at + 1], pixels[at + 2]};
    }

    static void ExpectPixel(int x, int y, const Rgb& expected, const char* what)
    {
        const Rgb got = PixelAt(x, y);
        EXPECT_LE(std::abs(got.r - expected.r), 2) << what << " red " << got.r << " for " << expected.r;
        EXPECT_LE(std::abs(got.g - expected.g), 2) << what << " green " << got.g << " for " << expected.g;
        EXPECT_LE(std::abs(got.b - expected.b), 2) << what << " blue " << got.b << " for " << expected.b;
    }

    ShippedShaders m_shaders;
    ShaderProgram* m_program = nullptr;
    Rgb m_grey{};
};

int Clamp(int v)
{
    return std::min(255, std::max(0, v));
}

TEST_P(FXDrawBatchFlushTest, BlendModesOverGrey)
{
    const uint8_t colour[4] = {200, 40, 0, 128};
    const float a = 128.0f / 255.0f;
    const int g = m_grey.r;
    const struct
    {
        int32_t blend;
        Rgb expected;
        const char* name;
    } cases[] = {
        {kFXBlendNone, {200, 40, 0}, "none"},
        {kFXBlendAlpha,
         {int(200 * a + g * (1 - a) + 0.5f), int(40 * a + g * (1 - a) + 0.5f), int(g * (1 - a) + 0.5f)},
         "alpha"},
        {kFXBlendAdditive, {Clamp(int(g + 200 * a + 0.5f)), int(g + 40 * a + 0.5f), g}, "additive"},
        {kFXBlendSubtractive, {Clamp(int(g - 200 * a + 0.5f)), int(g - 40 * a + 0.5f), g}, "subtractive"},
    };
    for (const auto& c : cases)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        AddQuad(-1, c.blend, colour, -1, -1, 1, 1);
        FXDrawBatchFlush();
        ExpectPixel(32, 32, c.expected, c.name);
        EXPECT_EQ(FXGetDrawBatch()->ItemCount(), 0);
        EXPECT_EQ(FXGetDrawBatch()->VertexCount(), 0);
    }
}

TEST_P(FXDrawBatchFlushTest, LowerTexturesDrawFirstAndMissingOnesDrawWhite)
{
    SetTexture(1, 0, 255, 0);
    SetTexture(3, 255, 0, 0);
    const uint8_t white[4] = {255, 255, 255, 255};
    const uint8_t blue[4] = {0, 0, 255, 255};
    // Left half: 3 appended before 1, so 3 must end on top.
    AddQuad(3, kFXBlendNone, white, -1, -1, 0, 1);
    AddQuad(1, kFXBlendNone, white, -1, -1, 0, 1);
    // Right half: -1 and a slot past the set draw the vertex colour.
    AddQuad(-1, kFXBlendNone, blue, 0, -1, 1, 0);
    AddQuad(99, kFXBlendNone, blue, 0, 0, 1, 1);
    FXDrawBatchFlush();
    ExpectPixel(16, 32, Rgb{255, 0, 0}, "texture 3 over texture 1");
    ExpectPixel(48, 16, Rgb{0, 0, 255}, "texture -1");
    ExpectPixel(48, 48, Rgb{0, 0, 255}, "texture past the set");
}

TEST_P(FXDrawBatchFlushTest, StripsDrawAsTriangleStrips)
{
    FXDrawBatch& batch = *FXGetDrawBatch();
    batch.BeginItem(-1, kFXBlendNone);
    batch.SetStrip(true);
    batch.SetColour(255, 255, 0, 255);
    // Strip order: as quads these four would cross into a bow tie.
    const float corners[4][2] = {{-1, -1}, {0, -1}, {-1, 1}, {0, 1}};
    for (const auto& corner : corners)
        batch.AddVertex(corner[0], corner[1], 0.0f);
    batch.EndItem();
    FXDrawBatchFlush();
    ExpectPixel(4, 60, Rgb{255, 255, 0}, "top left");
    ExpectPixel(28, 4, Rgb{255, 255, 0}, "bottom right of the strip");
    ExpectPixel(48, 32, m_grey, "outside");
}

TEST_P(FXDrawBatchFlushTest, AnEmptyBatchDrawsNothing)
{
    FXDrawBatchFlush();
    ExpectPixel(32, 32, m_grey, "empty");
    EXPECT_EQ(FXGetDrawBatch()->ItemCount(), 0);
}

// The whole way: an instance stepped, walked by pass 1 under a perspective
// view, culled by its radius, and flushed.
TEST_P(FXDrawBatchFlushTest, ALargeAdditiveRedBillboardBeforeTheCameraShowsRed)
{
    FXInstallElementKinds();
    FXSystemReset();
    GameTimeChannelsReset();
    FXDefinitionTables& tables = FXGetDefinitionTables();
    FXEffectDef& effect = tables.effects[tables.effectCount++];
    effect = FXEffectDef();
    effect.nameHash = HashString("flare");
    effect.firstElement = tables.elementCount;
    effect.elementCount = 1;
    effect.lodHighDistance = 100;
    effect.lodLowDistance = 200;
    effect.fadeInDistance = 300;
    effect.fadeOutDistance = 400;
    effect.maxRadius = 2;
    FXElementDef& element = tables.elements[tables.elementCount++];
    element.Reset();
    element.type = kFXBillboard;
    element.lifeTime = 100;
    element.blend = kFXBlendAdditive;
    element.sizeCurve.AddKey(0, 50);
    element.stretchCurve.AddKey(0, 1);
    element.redCurve.AddKey(0, 1);
    element.alphaCurve.AddKey(0, 1);
    const Mat4 view = Mat4Identity();
    const FxAnchorPair anchor{&view, nullptr};
    FxAnchorTable_Update(&anchor, 1, 0.0f);
    const struct
    {
        float z;
        bool shown;
    } cases[] = {{-10.0f, true}, {10.0f, false}};
    for (const auto& c : cases)
    {
        FX::KillAllEffectsInstant();
        FX flare;
        FX::CreateFX(HashString("flare"), flare);
        flare.SetPos(Vec3(0, 0, c.z));
        FXStep(0.1f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        GLPerspective(60.0f, 1.0f, 1.0f, 100.0f);
        GLLoadMatrix(view);
        Frustum world;
        FrustumFromProjectionModelView(world);
        FXRenderPass(view, 0, world, 1);
        EXPECT_EQ(FXGetDrawBatch()->ItemCount(), c.shown ? 1 : 0) << c.z;
        ShaderBind(m_program);
        FXDrawBatchFlush();
        const Rgb expected = c.shown ? Rgb{255, m_grey.g, m_grey.b} : m_grey;
        ExpectPixel(4, 4, expected, "corner");
        ExpectPixel(32, 32, expected, "centre");
    }
    FXSystemShutdown();
    FxAnchorTable_Update(nullptr, 0, 0.0f);
    for (int type = 0; type < kFXElementTypeCount; ++type)
        FXSetElementPool(type, nullptr);
}

INSTANTIATE_TEST_SUITE_P(VertexPaths, FXDrawBatchFlushTest, ::testing::Bool());
} // namespace
