#pragma once
// Off-screen drawing for the deferred frame: render targets (textures known
// by small integer ids), the framebuffers that combine them (made on first
// use, checked, cached), the binding of targets as textures, the full-screen
// quad the screen-space passes draw, and the final copy into the window.

#include "core/Vec4.h"

#include <cstdint>

enum RenderTargetFormat : uint32_t
{
    kRenderTargetRGBA8 = 0,
    kRenderTargetDepthStencil = 1,
    kRenderTargetLuminanceFloat = 2,
    kRenderTargetLuminanceByte = 3,
};

// The targets of the deferred frame, all of the render size. The scene copy
// is what passes read while they draw into the scene colour.
enum RenderTargetId : int32_t
{
    kRenderTargetNone = 0,
    kRenderTargetOcclusion = 2,
    kRenderTargetBlur = 3,
    kRenderTargetPointLights = 4,
    kRenderTargetSceneCopy = 5,
    kRenderTargetSceneColour = 6,
    kRenderTargetSceneAlias = 7,
    kRenderTargetDepth = 8,
    // Looked up as the scene colour, but a framebuffer key of its own.
    kRenderTargetDefault = -1,
};

struct RenderTarget
{
    int32_t id = 0;
    int width = 0;
    int height = 0;
    uint32_t format = kRenderTargetRGBA8;
    uint32_t glName = 0;
};

constexpr int kRenderTargetMax = 8;
constexpr int kFramebufferCacheMax = 12;
constexpr float kQuadBlurScaleDivisor = 1080.0f;
constexpr float kQuadBlurScaleFactor = 19.0f;

// Creates every target of the frame at the size and the quad, replacing
// what an earlier call made. False after a report when a target or one of
// the frame's framebuffers could not be made complete: the deferred frame
// must not run then.
bool RenderTargetsInit(int width, int height);
void RenderTargetsShutdown();
bool RenderTargetsReady();
int RenderTargetsWidth();
int RenderTargetsHeight();
float RenderTargetsAspect();
float RenderTargetsBlurScale();

// The target of an id (-1 and 7 mean 6); null when there is none.
const RenderTarget* RenderTargetFind(int32_t id);
int RenderTargetFramebufferCount();

// Draws into the framebuffer of the targets (0 = none for colour2 and
// depth). The mask's bits are red, green, blue, alpha. Returns 1; 0 after a
// report when a target is missing, the cache is full or the framebuffer is
// incomplete (nothing is then bound).
int RenderTargetBegin(int32_t colour, int32_t colour2, uint32_t colourMask, int32_t reserved, int32_t depth);
// Units 0 to 3: target ti's texture (none for 0), filtered linear when fi is
// 1, else nearest. Binds past the texture-unit cache, so it resets it.
void RenderTargetBindTextures(int32_t t0, int32_t t1, int32_t t2, int32_t t3, int f0, int f1, int f2, int f3);
class Texture;
void RenderTargetBindTexture(Texture* texture, int unit);
void RenderTargetClear();
// Copies the colour of one target into another of the same size, so a pass
// can read what it draws over.
void RenderTargetCopy(int32_t from, int32_t to);

void RenderTargetSetQuadParams(const Vec4& a, const Vec4& b);
void RenderTargetDrawQuad();
// The scene colour target drawn into the window through the current program.
void RenderTargetPresent();
