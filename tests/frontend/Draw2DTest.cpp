#include "FrontendDrawTest.h"

#include "frontend/Draw2D.h"
#include "opengl/PrimBatch.h"
#include "opengl/GLState.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "tools/formats/TgaWriter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
constexpr uint32_t kWhite = 0xFFFFFFFFu;

class Draw2DTest : public FrontendDrawTest
{
protected:
    const Texture* White() const { return TextureBuiltin(kTextureDefaultWhite); }
    void Sprite(const Texture* mask, const Vec3& offset, float angle = 0.0f)
    {
        Draw2D::SpriteQuad(Vec2(10, 20), Vec2(40, 10), White(), kWhite, angle, 1.0f, offset, false, false, mask);
    }
};

TEST_F(Draw2DTest, TexturedQuadCoversItsRectangle)
{
    Clear();
    PrimSetColorPacked(kWhite);
    Draw2D::TexturedQuad(10, 10, 20, 10, nullptr);
    Capture();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0) << "no texture, no quad";
    Draw2D::TexturedQuad(10, 10, 20, 10, White());
    Capture();
    EXPECT_EQ(LitIn(10, 10, 30, 20), 200);
    EXPECT_EQ(LitIn(0, 0, 64, 64), 200);
}

TEST_F(Draw2DTest, ASpriteTurnsAboutItsCentre)
{
    Clear();
    Sprite(nullptr, Vec3(0, 0, 0), 90.0f);
    Capture();
    // 40 x 10 around (30, 25) becomes 10 x 40.
    EXPECT_TRUE(Lit(30, 7));
    EXPECT_TRUE(Lit(30, 43));
    EXPECT_FALSE(Lit(12, 25));
    EXPECT_FALSE(Lit(47, 25));
    EXPECT_EQ(LitIn(0, 0, 64, 64), 400);
}

TEST_F(Draw2DTest, MaskAndOffsetApplyToTheirOwnQuadOnly)
{
    Clear();
    Sprite(TextureBuiltin(kTextureDefaultClear), Vec3(0, 0, 0));
    Sprite(White(), Vec3(2, 0, 0));
    Capture();
    EXPECT_EQ(LitIn(0, 0, 64, 64), 0) << "a clear mask and an offset past the edge hide the sprite";
    Draw2D::TexturedQuad(10, 40, 20, 10, White());
    Sprite(nullptr, Vec3(0, 0, 0));
    Capture();
    EXPECT_EQ(LitIn(10, 40, 30, 50), 200);
    EXPECT_EQ(LitIn(10, 20, 50, 30), 400);
}

TEST_F(Draw2DTest, GradientCornersTakeTheirColours)
{
    Clear();
    const uint32_t red = 0xFF0000FFu, blue = 0xFFFF0000u;
    Draw2D::GradientQuad(Vec2(60, 4), Vec2(4, 4), Vec2(4, 60), Vec2(60, 60), blue, red, red, blue);
    Capture();
    EXPECT_GT(Pixel(6, 30).r, 230);
    EXPECT_LT(Pixel(6, 30).b, 25);
    EXPECT_GT(Pixel(58, 30).b, 230);
    EXPECT_LT(Pixel(58, 30).r, 25);
}

TEST_F(Draw2DTest, LineDrawsBetweenItsEnds)
{
    Clear();
    Draw2D::Line(Vec2(5, 30.5f), Vec2(50, 30.5f), kWhite);
    Capture();
    EXPECT_TRUE(Lit(20, 30));
    EXPECT_FALSE(Lit(20, 32));
    EXPECT_FALSE(Lit(55, 30));
}
// Quads of one texture go out together whatever their colours, turns and
// scales; a quad cut by an offset is drawn alone and the run goes on after it.
TEST_F(Draw2DTest, SpritesOfOneTextureShareADraw)
{
    Clear();
    PrimFlush();
    PrimBatchClearDrawCalls();
    for (int i = 0; i < 6; ++i)
        Draw2D::SpriteQuad(Vec2(float(i * 10), 0), Vec2(8, 8), White(), 0xFF0000FFu + uint32_t(i), float(i * 30),
                           1.0f + 0.1f * float(i), Vec3(0, 0, 0), false, false, nullptr);
    Draw2D::TexturedQuad(0, 20, 8, 8, White());
    EXPECT_EQ(PrimBatchDrawCalls(), 0u) << "nothing is drawn before the batch flushes";
    Sprite(nullptr, Vec3(0.5f, 0, 0));
    EXPECT_EQ(PrimBatchDrawCalls(), 2u) << "the run before the cut quad, and the cut quad";
    Sprite(nullptr, Vec3(0, 0, 0));
    Draw2D::TexturedQuad(0, 40, 8, 8, White());
    Capture();
    EXPECT_EQ(PrimBatchDrawCalls(), 3u);
    EXPECT_TRUE(Lit(4, 44)) << "the quads after the cut one are drawn once the batch flushes";
}

// A quad followed by a change of state must already be drawn under the state
// it was given with: each case draws a red quad over x 0-20, changes one
// thing, then draws a quad over x 10-30 (with its own state back where
// needed). The first quad's own pixel, and the overlap, show whether order
// and state held.
struct StateChangeCase
{
    const char* what;
    Rgba alone;   // at (5, 30), covered by the first quad only
    Rgba overlap; // at (15, 30), the second quad drawn over the first
};

class Draw2DStateChangeTest : public Draw2DTest, public ::testing::WithParamInterface<StateChangeCase>
{
protected:
    void Red(const Texture* texture, uint8_t alpha)
    {
        Draw2D::SpriteQuad(Vec2(0, 20), Vec2(20, 20), texture, 0x000000FFu | (uint32_t(alpha) << 24), 0.0f, 1.0f,
                           Vec3(0, 0, 0), false, false, nullptr);
    }
    void Second(const Texture* texture)
    {
        Draw2D::SpriteQuad(Vec2(10, 20), Vec2(20, 20), texture, kWhite, 0.0f, 1.0f, Vec3(0, 0, 0), false, false,
                           nullptr);
    }
    Texture* WrittenRed()
    {
        std::vector<uint8_t> pixels(4 * 4 * 4, 0);
        for (size_t i = 0; i < pixels.size(); i += 4)
            pixels[i + 2] = pixels[i + 3] = 255; // BGRA: red, opaque
        const std::vector<uint8_t> tga = TgaWrite(pixels.data(), 4, 4, {});
        WriteData("ui/red.tga", std::string(tga.begin(), tga.end()));
        return TextureLoad("ui/red.tga", false);
    }
    static bool Near(const Rgba& a, const Rgba& b)
    {
        return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
    }
};

TEST_P(Draw2DStateChangeTest, TheFirstQuadKeepsItsStateAndItsPlaceBelow)
{
    const StateChangeCase& c = GetParam();
    const std::string what = c.what;
    Clear();
    if (what == "texture")
    {
        Red(White(), 255);
        Second(TextureBuiltin(kTextureDefaultBlack));
    }
    else if (what == "blend")
    {
        Red(White(), 128);
        GLBlendOff();
        Second(TextureBuiltin(kTextureDefaultClear));
        GLBlendAlpha();
    }
    else if (what == "released texture")
    {
        Texture* red = WrittenRed();
        ASSERT_NE(red, nullptr) << m_reports.Text();
        Draw2D::SpriteQuad(Vec2(0, 20), Vec2(20, 20), red, kWhite, 0.0f, 1.0f, Vec3(0, 0, 0), false, false,
                           nullptr);
        TextureRelease(&red);
        Second(TextureBuiltin(kTextureDefaultBlack));
    }
    Capture();
    const Rgba alone = Pixel(5, 30), overlap = Pixel(15, 30);
    EXPECT_TRUE(Near(alone, c.alone)) << what << ": " << int(alone.r) << "," << int(alone.g) << "," << int(alone.b);
    EXPECT_TRUE(Near(overlap, c.overlap))
        << what << ": " << int(overlap.r) << "," << int(overlap.g) << "," << int(overlap.b);
}

INSTANTIATE_TEST_SUITE_P(Cases, Draw2DStateChangeTest,
                         ::testing::Values(StateChangeCase{"texture", {255, 0, 0, 255}, {0, 0, 0, 255}},
                                           // Blending off, the clear second quad writes black.
                                           StateChangeCase{"blend", {128, 0, 0, 255}, {0, 0, 0, 0}},
                                           StateChangeCase{"released texture", {255, 0, 0, 255}, {0, 0, 0, 255}}),
                         [](const ::testing::TestParamInfo<StateChangeCase>& info)
                         {
                             std::string name = info.param.what;
                             for (char& ch : name)
                                 if (ch == ' ')
                                     ch = '_';
                             return name;
                         });

} // namespace
