#include "frontend/Draw2D.h"

#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

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
} // namespace

namespace Draw2D
{
void TexturedQuad(float x, float y, float width, float height, const Texture* texture)
{
    if (!texture)
        return;
    PrimFlush();
    GLBindTexture(0, texture);
    GLBindTexture(1, White());
    UnitQuad(x, y, width, height);
    PrimFlush();
}

void SpriteQuad(const Vec2& position, const Vec2& size, const Texture* texture, uint32_t colour, float angle,
                float scale, const Vec3& textureOffset, bool flipHorizontal, bool flipVertical,
                const Texture* secondTexture)
{
    if (!texture)
        return;
    PrimFlush();
    GLPushMatrix();
    GLTranslate(position.x + size.x * 0.5f, position.y + size.y * 0.5f, 0.0f);
    GLRotate(angle, Vec3(0.0f, 0.0f, 1.0f));
    GLScaleUniform(scale);
    GLTranslate(-size.x * 0.5f, -size.y * 0.5f, 0.0f);
    GLBindTexture(0, texture);
    GLBindTexture(1, secondTexture ? secondTexture : White());
    SetSpriteUniforms(flipHorizontal ? 1 : 0, flipVertical ? 1 : 0, Vec3(0.0f, 0.0f, 0.0f));
    PrimSetColorPacked(colour);
    UnitQuad(0.0f, 0.0f, size.x, size.y);
    SetSpriteUniforms(flipHorizontal ? 1 : 0, flipVertical ? 1 : 0, textureOffset);
    PrimFlush();
    // The next quad draws plain, whatever this one asked for.
    SetSpriteUniforms(0, 0, Vec3(0.0f, 0.0f, 0.0f));
    GLPopMatrix();
}

void GradientQuad(const Vec2& p0, const Vec2& p1, const Vec2& p2, const Vec2& p3, uint32_t c0, uint32_t c1,
                  uint32_t c2, uint32_t c3)
{
    PrimFlush();
    GLBindTexture(0, White());
    GLBindTexture(1, White());
    PrimSetType(GL_QUADS);
    PrimSetColorPacked(c0);
    Corner(1.0f, 0.0f, p0.x, p0.y);
    PrimSetColorPacked(c1);
    Corner(0.0f, 0.0f, p1.x, p1.y);
    PrimSetColorPacked(c2);
    Corner(0.0f, 1.0f, p2.x, p2.y);
    PrimSetColorPacked(c3);
    Corner(1.0f, 1.0f, p3.x, p3.y);
    PrimFlush();
}

void Line(const Vec2& p0, const Vec2& p1, uint32_t colour)
{
    PrimFlush();
    GLBindTexture(0, White());
    GLBindTexture(1, White());
    PrimSetType(GL_LINES);
    PrimSetColorPacked(colour);
    Corner(0.0f, 0.0f, p0.x, p0.y);
    Corner(1.0f, 1.0f, p1.x, p1.y);
    PrimFlush();
}
} // namespace Draw2D
