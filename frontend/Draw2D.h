#pragma once
// Screen-space quads and lines for the front end, in the overlay's space of
// pixels (x right, y down). Colours are rgba8888 packed with red in the low
// byte. Quads go into the primitive batch and are drawn when it flushes:
// consecutive quads with the same textures share one draw, and any texture,
// blend, shader or matrix change through GLState draws what came before, so
// the drawing order holds. Whoever reads pixels back flushes first.

#include "core/Vec2.h"
#include "core/Vec3.h"

#include <cstdint>

class Texture;

namespace Draw2D
{
// Nothing without a texture; in the batch's current colour.
void TexturedQuad(float x, float y, float width, float height, const Texture* texture);
// Turns by `angle` degrees and scales about the sprite's centre. The second
// texture masks the first (white when none); the flips and the offset apply
// to this quad only.
void SpriteQuad(const Vec2& position, const Vec2& size, const Texture* texture, uint32_t colour, float angle,
                float scale, const Vec3& textureOffset, bool flipHorizontal, bool flipVertical,
                const Texture* secondTexture);
void GradientQuad(const Vec2& p0, const Vec2& p1, const Vec2& p2, const Vec2& p3, uint32_t c0, uint32_t c1,
                  uint32_t c2, uint32_t c3);
void Line(const Vec2& p0, const Vec2& p1, uint32_t colour);
} // namespace Draw2D
