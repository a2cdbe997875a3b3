#include "frontend/Draw2D.h"

#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <cmath>

namespace
{
const Texture* White()
{
    return TextureBuiltin(kTextureDefaultWhite);
}

void Corner(float u, float v, float x, float y)
{
    PrimSetTexCoord(0, u, v);
    PrimSetTexCoord(1, u, v);
    PrimVertex3f(x, y, 0.0f);
}

void UnitQuad(float x, float y, float width, float height)
{
    PrimSetType(GL_QUADS);
    Corner(1.0f, 0.0f, x + width, y);
    Corner(0.0f, 0.0f, x, y);
    Corner(0.0f, 1.0f, x, y + height);
    Corner(1.0f, 1.0f, x + width, y + height);
}

// The quad turned by `angle` degrees (counter-clockwise in a y-up space, as
// a GL rotation about z) and scaled about its centre, placed on the CPU so
// that placed sprites share a draw instead of a matrix change each.
void PlacedQuad(const Vec2& position, const Vec2& size, float angle, float scale)
{
    if (angle == 0.0f && scale == 1.0f)
    {
        UnitQuad(position.x, position.y, size.x, size.y);
        return;
    }
    const float radians = angle * (3.14159265358979f / 180.0f);
    const float c = std::cos(radians) * scale;
    const float s = std::sin(radians) * scale;
    const Vec2 centre(position.x + size.x * 0.5f, position.y + size.y * 0.5f);
    const auto place = [&](float u, float v)
    {
        const float dx = (u - 0.5f) * size.x;
        const float dy = (v - 0.5f) * size.y;
        Corner(u, v, centre.x + c * dx - s * dy, centre.y + s * dx + c * dy);
    };
    PrimSetType(GL_QUADS);
    place(1.0f, 0.0f);
    place(0.0f, 0.0f);
    place(0.0f, 1.0f);
    place(1.0f, 1.0f);
}

void SetSpriteUniforms(int flipHorizontal, int flipVertical, const Vec3& offset)
{
    ShaderProgram* program = ShaderGetCurrent();
    if (!program)
        return;
    ShaderSetUniformInt(program, "ReverseHorizontal", flipHorizontal);
    ShaderSetUniformInt(program, "ReverseVertical", flipVertical);
    const float values[3] = {offset.x, offset.y, offset.z};
    ShaderSetUniformVec3(program, "TextureOffset", values);
}

void UseTextures(const Texture* first, const Texture* second)
{
    GLBindTexture(0, first);
    GLBindTexture(1, second ? second : White());
}
} // namespace

namespace Draw2D
{
void TexturedQuad(float x, float y, float width, float height, const Texture* texture)
{
    if (!texture)
        return;
    UseTextures(texture, nullptr);
    UnitQuad(x, y, width, height);
}

void SpriteQuad(const Vec2& position, const Vec2& size, const Texture* texture, uint32_t colour, float angle,
                float scale, const Vec3& textureOffset, bool flipHorizontal, bool flipVertical,
                const Texture* secondTexture)
{
    if (!texture)
        return;
    UseTextures(texture, secondTexture);
    PrimSetColorPacked(colour);
    const bool plain = !flipHorizontal && !flipVertical && textureOffset.x == 0.0f && textureOffset.y == 0.0f &&
                       textureOffset.z == 0.0f;
    if (plain)
    {
        PlacedQuad(position, size, angle, scale);
        return;
    }
    // Flips and the offset are the shader's uniforms: setting them draws what
    // came before, and setting them back draws this quad alone, so every
    // other quad keeps drawing plain.
    SetSpriteUniforms(flipHorizontal ? 1 : 0, flipVertical ? 1 : 0, textureOffset);
    PlacedQuad(position, size, angle, scale);
    SetSpriteUniforms(0, 0, Vec3(0.0f, 0.0f, 0.0f));
}

void GradientQuad(const Vec2& p0, const Vec2& p1, const Vec2& p2, const Vec2& p3, uint32_t c0, uint32_t c1,
                  uint32_t c2, uint32_t c3)
{
    UseTextures(White(), nullptr);
    PrimSetType(GL_QUADS);
    PrimSetColorPacked(c0);
    Corner(1.0f, 0.0f, p0.x, p0.y);
    PrimSetColorPacked(c1);
    Corner(0.0f, 0.0f, p1.x, p1.y);
    PrimSetColorPacked(c2);
    Corner(0.0f, 1.0f, p2.x, p2.y);
    PrimSetColorPacked(c3);
    Corner(1.0f, 1.0f, p3.x, p3.y);
}

void Line(const Vec2& p0, const Vec2& p1, uint32_t colour)
{
    UseTextures(White(), nullptr);
    PrimSetType(GL_LINES);
    PrimSetColorPacked(colour);
    Corner(0.0f, 0.0f, p0.x, p0.y);
    Corner(1.0f, 1.0f, p1.x, p1.y);
}
} // namespace Draw2D
