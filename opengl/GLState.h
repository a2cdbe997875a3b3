#pragma once
// One-line GL state setters that the renderer, the effects and the front end
// use instead of calling OpenGL themselves, the texture-unit bind cache, and
// the fixed-function lights. Matrices are 16 floats in column-major order.
// Each setter that changes drawing state (and a clear) first draws what the
// primitive batch holds, so batched vertices draw under the state they were
// added with.

#include "core/Mat4.h"
#include <cstdint>

class Texture;

void GLBlendAlpha();
void GLBlendAdditive();
void GLBlendOneOne();
void GLBlendSubtractive();
void GLBlendOff();

void GLCullFront();
void GLCullBack();
void GLCullOff();

void GLDepthTestOn();
void GLDepthTestOff();
void GLDepthWriteOn();
void GLDepthWriteOff();
// n from 0 to 7: never, less, equal, less-or-equal, greater, not-equal,
// greater-or-equal, always.
void GLDepthFunc(int n);
void GLDepthTestFunc(int n);

void GLClearStencil(int value);
void GLStencilMask(uint32_t mask);
// Red in the low byte, then green, blue, and alpha in the top byte.
void GLClearColorPacked(uint32_t colour);
void GLClearAll();
void GLAlphaTestOff();

constexpr int kGLTextureUnits = 16;

// Binds a texture (null unbinds) to a unit and makes that unit active.
// Returns false and makes no GL call at all, not even to the active unit,
// when the unit already holds that texture under the same GL name: drivers
// check their state again at the next draw after the active unit changes,
// so draws that bind two units each would pay for it.
bool GLBindTexture(int unit, const Texture* texture);
// Makes the unit active (no call when it already is), for calls that act on
// the active unit rather than a named one: texture parameters, read-back,
// the texture matrix. A bind that was skipped leaves another unit active.
void GLSelectTextureUnit(int unit);
// The cache trusts that every texture bind goes through it. Whoever deletes
// or re-creates a texture's GL name forgets it; whoever binds past the cache
// (uploads, glActiveTexture of its own) resets it.
void GLBindTextureForget(const Texture* texture);
void GLBindTextureCacheReset();

void GLGetModelView(Mat4& out);
void GLGetProjection(Mat4& out);
// Every model-view and projection change goes through these (the primitive batch relies on it):
// they act on the current matrix mode, model-view unless a caller changed it.
void GLLoadMatrix(const Mat4& m);
void GLLoadIdentity();
void GLMultMatrix(const Mat4& m);
void GLPushMatrix();
void GLPopMatrix();
void GLRotate(float degrees, const Vec3& axis);
void GLTranslate(float x, float y, float z);
void GLScaleUniform(float s);
// Loads the projection matrix and leaves the model-view matrix current.
void GLSetProjection(const Mat4& m);
// Vertical field of view in degrees.
void GLPerspective(float fov, float aspect, float zNear, float zFar);
// Depth from near to far maps to 0..1.
void GLOrtho(float left, float right, float bottom, float top, float zNear, float zFar);

constexpr int kGLFixedLights = 4;

struct GLFixedLight
{
    float position[4];
    float diffuse[4];
    float reserved;
    uint8_t enabled;
};

// Null past the table.
GLFixedLight* GLFixedLightRow(int index);
void GLFixedLightOn(int index);
void GLFixedLightOff(int index);
void GLFixedLightsApply();
void GLFixedLightsOff();
void GLAmbientLight(uint8_t r, uint8_t g, uint8_t b);

// The state every frame starts from, with the texture cache forgotten; the
// primitive batch is the caller's.
void GLDefaultState();
