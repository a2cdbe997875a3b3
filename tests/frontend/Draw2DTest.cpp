#include "FrontendDrawTest.h"

#include "frontend/Draw2D.h"
#include "opengl/PrimBatch.h"
#include "opengl/TextureBuiltins.h"

#include <gtest/gtest.h>

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
} // namespace
