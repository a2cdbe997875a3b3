#include "opengl/GLState.h"

#include "core/LogError.h"
#include "opengl/PrimBatch.h"
#include "opengl/Texture.h"

#include <GL/glew.h>
#include <cmath>
#include <cstring>

namespace
{
struct TextureUnitBinding
{
    const Texture* texture = nullptr;
    uint32_t glName = 0;
    bool known = true;
};

TextureUnitBinding g_units[kGLTextureUnits];
int g_activeUnit = 0;

GLFixedLight g_lights[kGLFixedLights] = {};

// The batch draws its vertices under the state current when it flushes, so
// vertices added before a state change go out first. Empty, it costs nothing.
void BeforeStateChange()
{
    PrimFlush();
}

void BlendOn(GLenum equation, GLenum source, GLenum destination)
{
    BeforeStateChange();
    glEnable(GL_BLEND);
    glBlendEquation(equation);
    glBlendFunc(source, destination);
}

void CullOn(GLenum face)
{
    BeforeStateChange();
    glEnable(GL_CULL_FACE);
    glCullFace(face);
}

void MakeUnitActive(int unit)
{
    if (g_activeUnit == unit)
        return;
    glActiveTexture(GL_TEXTURE0 + unit);
    g_activeUnit = unit;
}

bool ValidLight(int index)
{
    return index >= 0 && index < kGLFixedLights;
}
} // namespace

void GLBlendAlpha()
{
    BlendOn(GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}
void GLBlendAdditive()
{
    BlendOn(GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE);
}
void GLBlendOneOne()
{
    BlendOn(GL_FUNC_ADD, GL_ONE, GL_ONE);
}
void GLBlendSubtractive()
{
    BlendOn(GL_FUNC_REVERSE_SUBTRACT, GL_SRC_ALPHA, GL_ONE);
}
void GLBlendOff()
{
    BeforeStateChange();
    glDisable(GL_BLEND);
}

void GLCullFront()
{
    CullOn(GL_FRONT);
}
void GLCullBack()
{
    CullOn(GL_BACK);
}
void GLCullOff()
{
    BeforeStateChange();
    glDisable(GL_CULL_FACE);
}

void GLDepthTestOn()
{
    BeforeStateChange();
    glEnable(GL_DEPTH_TEST);
}
void GLDepthTestOff()
{
    BeforeStateChange();
    glDisable(GL_DEPTH_TEST);
}
void GLDepthWriteOn()
{
    BeforeStateChange();
    glDepthMask(GL_TRUE);
}
void GLDepthWriteOff()
{
    BeforeStateChange();
    glDepthMask(GL_FALSE);
}
void GLDepthFunc(int n)
{
    BeforeStateChange();
    glDepthFunc(GL_NEVER + n);
}

void GLDepthTestFunc(int n)
{
    GLDepthTestOn();
    GLDepthFunc(n);
}

void GLClearStencil(int value)
{
    glClearStencil(value);
}
void GLStencilMask(uint32_t mask)
{
    glStencilMask(mask);
}

void GLClearColorPacked(uint32_t colour)
{
    const auto channel = [colour](int shift)
    { return static_cast<float>((colour >> shift) & 0xFF) / 255.0f; };
    glClearColor(channel(0), channel(8), channel(16), channel(24));
}

void GLClearAll()
{
    BeforeStateChange();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}
void GLAlphaTestOff()
{
    BeforeStateChange();
    glDisable(GL_ALPHA_TEST);
}

bool GLBindTexture(int unit, const Texture* texture)
{
    if (unit < 0 || unit >= kGLTextureUnits)
    {
        LogError("Pendrel GL no texture unit %d\n", unit);
        return false;
    }
    TextureUnitBinding& binding = g_units[unit];
    const uint32_t glName = TextureGLName(texture);
    if (binding.known && binding.texture == texture && binding.glName == glName)
        return false;
    MakeUnitActive(unit);
    BeforeStateChange();
    glBindTexture(GL_TEXTURE_2D, glName);
    binding.texture = texture;
    binding.glName = glName;
    binding.known = true;
    return true;
}

void GLSelectTextureUnit(int unit)
{
    if (unit >= 0 && unit < kGLTextureUnits)
        MakeUnitActive(unit);
}

void GLBindTextureForget(const Texture* texture)
{
    // Pending vertices may sample the texture whose name is about to go.
    BeforeStateChange();
    for (TextureUnitBinding& binding : g_units)
    {
        if (binding.texture == texture)
            binding.known = false;
    }
}

void GLBindTextureCacheReset()
{
    BeforeStateChange();
    for (TextureUnitBinding& binding : g_units)
        binding = TextureUnitBinding{nullptr, 0, false};
    g_activeUnit = -1;
}

void GLGetModelView(Mat4& out)
{
    glGetFloatv(GL_MODELVIEW_MATRIX, out.m);
}
void GLGetProjection(Mat4& out)
{
    glGetFloatv(GL_PROJECTION_MATRIX, out.m);
}
// The primitive batch draws under the current matrices, so batched vertices
// go out before any matrix changes; that spares it reading the matrices back.
void GLLoadMatrix(const Mat4& m)
{
    PrimFlush();
    glLoadMatrixf(m.m);
}
void GLLoadIdentity()
{
    PrimFlush();
    glLoadIdentity();
}
void GLMultMatrix(const Mat4& m)
{
    PrimFlush();
    glMultMatrixf(m.m);
}
void GLPushMatrix()
{
    glPushMatrix();
}
void GLPopMatrix()
{
    PrimFlush();
    glPopMatrix();
}
void GLRotate(float degrees, const Vec3& axis)
{
    PrimFlush();
    glRotatef(degrees, axis.x, axis.y, axis.z);
}
void GLTranslate(float x, float y, float z)
{
    PrimFlush();
    glTranslatef(x, y, z);
}
void GLScaleUniform(float s)
{
    PrimFlush();
    glScalef(s, s, s);
}

void GLSetProjection(const Mat4& m)
{
    PrimFlush();
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m.m);
    glMatrixMode(GL_MODELVIEW);
}

void GLPerspective(float fov, float aspect, float zNear, float zFar)
{
    GLSetProjection(Mat4Perspective(fov, aspect, zNear, zFar));
}

void GLOrtho(float left, float right, float bottom, float top, float zNear, float zFar)
{
    GLSetProjection(Mat4Ortho(left, right, bottom, top, zNear, zFar));
}

GLFixedLight* GLFixedLightRow(int index)
{
    return ValidLight(index) ? &g_lights[index] : nullptr;
}

void GLFixedLightOn(int index)
{
    glLightf(GL_LIGHT0 + index, GL_CONSTANT_ATTENUATION, 1.0f);
    glEnable(GL_LIGHT0 + index);
}

void GLFixedLightOff(int index)
{
    glLightf(GL_LIGHT0 + index, GL_CONSTANT_ATTENUATION, 0.0f);
    glDisable(GL_LIGHT0 + index);
}

void GLFixedLightsApply()
{
    glEnable(GL_LIGHTING);
    for (int i = 0; i < kGLFixedLights; ++i)
    {
        if (!g_lights[i].enabled)
            continue;
        glLightfv(GL_LIGHT0 + i, GL_POSITION, g_lights[i].position);
        glLightfv(GL_LIGHT0 + i, GL_DIFFUSE, g_lights[i].diffuse);
        GLFixedLightOn(i);
    }
}

void GLFixedLightsOff()
{
    glDisable(GL_LIGHTING);
    GLint count = 0;
    glGetIntegerv(GL_MAX_LIGHTS, &count);
    for (int i = 0; i < count; ++i)
        glDisable(GL_LIGHT0 + i);
}

void GLAmbientLight(uint8_t r, uint8_t g, uint8_t b)
{
    const float ambient[4] = {r / 255.0f, g / 255.0f, b / 255.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
}

void GLDefaultState()
{
    // Whatever bound textures before (another context, a loader) is forgotten.
    GLBindTextureCacheReset();
    glFrontFace(GL_CCW);
    GLCullBack();
    GLBlendOff();
    GLAlphaTestOff();
    GLDepthWriteOn();
    GLDepthTestFunc(3);
    GLFixedLightsOff();
    GLAmbientLight(255, 255, 255);
    PrimBatchCreate();
}
