#include "frontend/TextureMeterCut.h"

#include "FrontendDrawTest.h"
#include "frontend/Draw2D.h"
#include "opengl/TextureBuiltins.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
TEST(TextureMeterCutTest, ValuesAreClampedIntoZeroToOne)
{
    const float cases[][2] = {{1.5f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f}, {0.0f, 0.0f},
                              {std::numeric_limits<float>::infinity(), 1.0f},
                              {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
    for (const auto& c : cases)
        EXPECT_EQ(TextureMeterClampValue(c[0]), c[1]) << c[0];
}

struct CutCase
{
    int32_t type;
    float value;
    float cutX;
    float cutY;
    int flipX;
    int flipY;
};

// The unflipped types cut at 1 - value, the flipped ones at the value itself.
TEST(TextureMeterCutTest, EachTypeCutsItsAxisAndFlipsTheOtherWay)
{
    const CutCase cases[] = {
        {TEXTURE_METER_TYPE_HORIZONTAL_LEFT, 0.25f, 0.75f, 0.0f, 0, 0},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 0.25f, 0.25f, 0.0f, 1, 0},
        {TEXTURE_METER_TYPE_VERTICAL_UP, 0.25f, 0.0f, 0.75f, 0, 0},
        {TEXTURE_METER_TYPE_VERTICAL_DOWN, 0.25f, 0.0f, 0.25f, 0, 1},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 1.0f, 1.0f, 0.0f, 1, 0},
        {TEXTURE_METER_TYPE_VERTICAL_DOWN, 0.0f, 0.0f, 0.0f, 0, 1},
        {TEXTURE_METER_TYPE_VERTICAL_UP, 1.0f, 0.0f, 0.0f, 0, 0},
        {7, 0.25f, 0.0f, 0.0f, 0, 0},
        {-1, 0.25f, 0.0f, 0.0f, 0, 0},
    };
    for (const CutCase& c : cases)
    {
        const TextureMeterCut cut = TextureMeterCutFor(c.type, c.value);
        EXPECT_FLOAT_EQ(cut.cutX, c.cutX) << c.type << " " << c.value;
        EXPECT_FLOAT_EQ(cut.cutY, c.cutY) << c.type << " " << c.value;
        EXPECT_EQ(cut.flipX, c.flipX) << c.type << " " << c.value;
        EXPECT_EQ(cut.flipY, c.flipY) << c.type << " " << c.value;
    }
}
} // namespace

namespace
{
using TextureMeterCutDrawTest = FrontendDrawTest;

struct FilledQuarter
{
    int32_t type;
    int x0, y0, x1, y1; // the quarter of the 64 x 64 quad that shows
};

// Each type grows from the edge opposite its name: a left meter from the
// right edge, an up meter from the bottom.
TEST_F(TextureMeterCutDrawTest, AQuarterValueShowsTheQuarterAtItsTypesEdge)
{
    Texture* white = TextureBuiltin(kTextureDefaultWhite);
    const FilledQuarter cases[] = {
        {TEXTURE_METER_TYPE_HORIZONTAL_LEFT, 48, 0, 64, 64},
        {TEXTURE_METER_TYPE_HORIZONTAL_RIGHT, 0, 0, 16, 64},
        {TEXTURE_METER_TYPE_VERTICAL_UP, 0, 48, 64, 64},
        {TEXTURE_METER_TYPE_VERTICAL_DOWN, 0, 0, 64, 16},
    };
    for (const FilledQuarter& c : cases)
    {
        const TextureMeterCut cut = TextureMeterCutFor(c.type, 0.25f);
        Clear();
        Draw2D::SpriteQuad(Vec2(0.0f, 0.0f), Vec2(64.0f, 64.0f), white, 0xFFFFFFFFu, 0.0f, 1.0f,
                           Vec3(cut.cutX, cut.cutY, 0.0f), cut.flipX != 0, cut.flipY != 0, nullptr);
        Capture();
        const int inside = (c.x1 - c.x0) * (c.y1 - c.y0);
        // A texel's width of blur at the cut is allowed.
        EXPECT_GE(LitIn(c.x0, c.y0, c.x1, c.y1), inside - 64) << c.type;
        EXPECT_LE(LitIn(0, 0, 64, 64), inside + 64) << c.type;
    }
}
} // namespace
