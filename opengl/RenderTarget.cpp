#include "opengl/RenderTarget.h"

#include "core/LogError.h"
#include "opengl/GLBuffer.h"
#include "opengl/GLCheckError.h"
#include "opengl/GLState.h"
#include "opengl/Texture.h"
#include "opengl/VertexMap.h"

#include <GL/glew.h>

#include <cstring>

namespace
{
struct Framebuffer
{
    int32_t colour;
    int32_t colour2;
    int32_t depth;
    uint32_t glName;
};

struct QuadVertex
{
    float position[3];
    Vec4 a;
    Vec4 b;
};
static_assert(sizeof(QuadVertex) == 44, "the quad's vertex map expects 44-byte vertices");

constexpr int kQuadVertices = 6;

struct TargetState
{
    RenderTarget targets[kRenderTargetMax];
    int targetCount = 0;
    Framebuffer framebuffers[kFramebufferCacheMax];
    int framebufferCount = 0;
    int width = 0;
    int height = 0;
    float aspect = 1.0f;
    float blurScale = 0.0f;
    uint32_t quadBuffer = 0;
    VertexMap quadMap = 0;
    bool ready = false;
};

TargetState g_targets;

struct TargetSpec
{
    int32_t id;
    uint32_t format;
};

const TargetSpec kFrameTargets[] = {
    {kRenderTargetSceneColour, kRenderTargetRGBA8}, {kRenderTargetDepth, kRenderTargetDepthStencil},
    {kRenderTargetOcclusion, kRenderTargetRGBA8},   {kRenderTargetBlur, kRenderTargetRGBA8},
    {kRenderTargetPointLights, kRenderTargetRGBA8}, {kRenderTargetSceneCopy, kRenderTargetRGBA8},
};

// The combinations the deferred frame draws into, checked at creation.
struct FramebufferKey
{
    int32_t colour, colour2, depth;
};
const FramebufferKey kFrameFramebuffers[] = {
    {kRenderTargetDefault, 0, kRenderTargetDepth},
    {kRenderTargetSceneColour, 0, 0},
    {kRenderTargetOcclusion, 0, 0},
    {kRenderTargetBlur, 0, 0},
    {kRenderTargetPointLights, 0, 0},
};

void UploadEmpty(uint32_t format, int width, int height)
{
    switch (format)
    {
    case kRenderTargetDepthStencil:
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, width, height, 0, GL_DEPTH_STENCIL,
                     GL_UNSIGNED_INT_24_8, nullptr);
        break;
    case kRenderTargetLuminanceFloat:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, width, height, 0, GL_LUMINANCE, GL_FLOAT, nullptr);
        break;
    case kRenderTargetLuminanceByte:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE8, width, height, 0, GL_LUMINANCE, GL_UNSIGNED_BYTE,
                     nullptr);
        break;
    default:
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        break;
    }
}

void SetFilter(GLint filter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

bool CreateTarget(int32_t id, uint32_t format, int width, int height)
{
    if (g_targets.targetCount == kRenderTargetMax)
    {
        LogError("Pendrel Render no room for render target %d.\n", id);
        return false;
    }
    RenderTarget& target = g_targets.targets[g_targets.targetCount++];
    target.id = id;
    target.width = width;
    target.height = height;
    target.format = format;
    glGenTextures(1, &target.glName);
    glBindTexture(GL_TEXTURE_2D, target.glName);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    SetFilter(GL_NEAREST);
    UploadEmpty(format, width, height);
    return true;
}

void CreateQuad()
{
    g_targets.quadBuffer = GLBufferCreate(kGLBufferVertex, kQuadVertices * sizeof(QuadVertex));
    static const VertexAttribute kAttributes[] = {
        {0, 3, GL_FLOAT, 0}, {8, 4, GL_FLOAT, 0}, {9, 4, GL_FLOAT, 0}};
    g_targets.quadMap = VertexMap_Create(g_targets.quadBuffer, 0, sizeof(QuadVertex), 3, kAttributes);
    RenderTargetSetQuadParams(Vec4(0.0f, 0.0f, 0.0f, 0.0f), Vec4(0.0f, 0.0f, 0.0f, 0.0f));
}

Framebuffer* FindFramebuffer(int32_t colour, int32_t colour2, int32_t depth)
{
    for (int i = 0; i < g_targets.framebufferCount; ++i)
    {
        Framebuffer& row = g_targets.framebuffers[i];
        if (row.colour == colour && row.colour2 == colour2 && row.depth == depth)
            return &row;
    }
    return nullptr;
}

bool LookUp(int32_t id, const RenderTarget*& out)
{
    out = nullptr;
    if (id == kRenderTargetNone)
        return true;
    out = RenderTargetFind(id);
    if (!out)
        LogError("Pendrel Render no render target %d.\n", id);
    return out != nullptr;
}

// Attaches and checks; a framebuffer GL cannot draw into is deleted.
uint32_t MakeFramebuffer(const RenderTarget* colour, const RenderTarget* colour2, const RenderTarget* depth)
{
    uint32_t name = 0;
    glGenFramebuffers(1, &name);
    glBindFramebuffer(GL_FRAMEBUFFER, name);
    if (colour)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour->glName, 0);
    if (colour2)
    {
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT1, GL_TEXTURE_2D, colour2->glName, 0);
        static const GLenum kBuffers[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1};
        glDrawBuffers(2, kBuffers);
    }
    else
    {
        glDrawBuffer(colour ? GL_COLOR_ATTACHMENT0 : GL_NONE);
    }
    if (depth)
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth->glName, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE)
    {
        LogError("Pendrel Render framebuffer of targets %d, %d, %d is incomplete (0x%x).\n",
                 colour ? colour->id : 0, colour2 ? colour2->id : 0, depth ? depth->id : 0, status);
        glDeleteFramebuffers(1, &name);
        return 0;
    }
    return name;
}

// The cached framebuffer of the triple, made on first use; null after a report.
Framebuffer* FramebufferFor(int32_t colour, int32_t colour2, int32_t depth, const RenderTarget* targets[3])
{
    if (Framebuffer* row = FindFramebuffer(colour, colour2, depth))
        return row;
    if (g_targets.framebufferCount == kFramebufferCacheMax)
    {
        LogError("Pendrel Render framebuffer cache is full; targets %d, %d, %d not drawn.\n", colour, colour2,
                 depth);
        return nullptr;
    }
    const uint32_t name = MakeFramebuffer(targets[0], targets[1], targets[2]);
    if (name == 0)
        return nullptr;
    Framebuffer& row = g_targets.framebuffers[g_targets.framebufferCount++];
    row = Framebuffer{colour, colour2, depth, name};
    return &row;
}

Framebuffer* FramebufferForIds(int32_t colour, int32_t colour2, int32_t depth)
{
    const RenderTarget* targets[3];
    if (!LookUp(colour, targets[0]) || !LookUp(colour2, targets[1]) || !LookUp(depth, targets[2]))
        return nullptr;
    return FramebufferFor(colour, colour2, depth, targets);
}

void BindTargetTexture(int unit, int32_t id, int filter)
{
    glActiveTexture(GL_TEXTURE0 + unit);
    const RenderTarget* target = id != kRenderTargetNone ? RenderTargetFind(id) : nullptr;
    glBindTexture(GL_TEXTURE_2D, target ? target->glName : 0);
    if (target)
        SetFilter(filter == 1 ? GL_LINEAR : GL_NEAREST);
}
} // namespace

bool RenderTargetsInit(int width, int height)
{
    RenderTargetsShutdown();
    g_targets.width = width;
    g_targets.height = height;
    g_targets.aspect = height > 0 ? float(width) / float(height) : 1.0f;
    g_targets.blurScale = float(height) / kQuadBlurScaleDivisor * kQuadBlurScaleFactor;
    bool ready = width > 0 && height > 0;
    for (const TargetSpec& spec : kFrameTargets)
        ready = ready && CreateTarget(spec.id, spec.format, width, height);
    GLBindTextureCacheReset();
    CreateQuad();
    for (const FramebufferKey& key : kFrameFramebuffers)
        ready = ready && FramebufferForIds(key.colour, key.colour2, key.depth) != nullptr;
    g_targets.ready = ready;
    GL_CHECK_ERROR("RenderTargetsInit");
    return ready;
}

void RenderTargetsShutdown()
{
    for (int i = 0; i < g_targets.framebufferCount; ++i)
        glDeleteFramebuffers(1, &g_targets.framebuffers[i].glName);
    for (int i = 0; i < g_targets.targetCount; ++i)
        glDeleteTextures(1, &g_targets.targets[i].glName);
    if (g_targets.targetCount != 0)
        GLBindTextureCacheReset();
    if (g_targets.quadMap != 0)
    {
        if (VertexMapGetCurrent() == g_targets.quadMap)
            VertexMapBind(0);
        VertexMapDestroy(g_targets.quadMap);
    }
    if (g_targets.quadBuffer != 0)
        GLBufferDelete(g_targets.quadBuffer);
    g_targets = TargetState();
}

bool RenderTargetsReady()
{
    return g_targets.ready;
}
int RenderTargetsWidth()
{
    return g_targets.width;
}
int RenderTargetsHeight()
{
    return g_targets.height;
}
float RenderTargetsAspect()
{
    return g_targets.aspect;
}
float RenderTargetsBlurScale()
{
    return g_targets.blurScale;
}
int RenderTargetFramebufferCount()
{
    return g_targets.framebufferCount;
}

const RenderTarget* RenderTargetFind(int32_t id)
{
    if (id == kRenderTargetDefault || id == kRenderTargetSceneAlias)
        id = kRenderTargetSceneColour;
    for (int i = 0; i < g_targets.targetCount; ++i)
        if (g_targets.targets[i].id == id)
            return &g_targets.targets[i];
    return nullptr;
}

int RenderTargetBegin(int32_t colour, int32_t colour2, uint32_t colourMask, int32_t, int32_t depth)
{
    const Framebuffer* framebuffer = FramebufferForIds(colour, colour2, depth);
    if (!framebuffer)
        return 0;
    const RenderTarget* target = RenderTargetFind(colour);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer->glName);
    const int width = target ? target->width : g_targets.width;
    const int height = target ? target->height : g_targets.height;
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    glColorMask((colourMask & 1) != 0, (colourMask & 2) != 0, (colourMask & 4) != 0, (colourMask & 8) != 0);
    if (depth != kRenderTargetNone)
    {
        GLDepthTestOn();
        GLDepthWriteOn();
    }
    else
    {
        GLDepthTestOff();
        GLDepthWriteOff();
    }
    return 1;
}

void RenderTargetBindTextures(int32_t t0, int32_t t1, int32_t t2, int32_t t3, int f0, int f1, int f2, int f3)
{
    BindTargetTexture(0, t0, f0);
    BindTargetTexture(1, t1, f1);
    BindTargetTexture(2, t2, f2);
    BindTargetTexture(3, t3, f3);
    GLBindTextureCacheReset();
}

void RenderTargetBindTexture(Texture* texture, int unit)
{
    // The filter is set on the unit itself: the texture's own setter binds
    // it to unit 0, over the target a pass bound there (the occlusion pass
    // read its noise as depth).
    GLBindTexture(unit, texture);
    if (!texture)
        return;
    GLSelectTextureUnit(unit);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

// Clears to transparent black and leaves the frame's clear colour as it was.
void RenderTargetClear()
{
    GLfloat previous[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, previous);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(previous[0], previous[1], previous[2], previous[3]);
}

void RenderTargetCopy(int32_t from, int32_t to)
{
    const Framebuffer* source = FramebufferForIds(from, 0, 0);
    const RenderTarget* target = RenderTargetFind(to);
    if (!source || !target)
        return;
    glBindFramebuffer(GL_FRAMEBUFFER, source->glName);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, target->glName);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, target->width, target->height);
    GLBindTextureCacheReset();
    GL_CHECK_ERROR("RenderTargetCopy");
}

void RenderTargetSetQuadParams(const Vec4& a, const Vec4& b)
{
    if (g_targets.quadBuffer == 0)
        return;
    static const float kCorners[kQuadVertices][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
    QuadVertex vertices[kQuadVertices];
    for (int i = 0; i < kQuadVertices; ++i)
    {
        vertices[i].position[0] = kCorners[i][0];
        vertices[i].position[1] = kCorners[i][1];
        vertices[i].position[2] = -1.0f;
        vertices[i].a = a;
        vertices[i].b = b;
    }
    void* mapped = GLBufferMap(kGLBufferVertex, g_targets.quadBuffer);
    if (!mapped)
        return;
    std::memcpy(mapped, vertices, sizeof vertices);
    GLBufferUnmap(kGLBufferVertex, g_targets.quadBuffer);
}

void RenderTargetDrawQuad()
{
    if (g_targets.quadMap == 0)
        return;
    VertexMapBind(g_targets.quadMap);
    glDrawArrays(GL_TRIANGLES, 0, kQuadVertices);
    glFlush();
}

void RenderTargetPresent()
{
    GLBlendOff();
    GLCullOff();
    GLDepthTestOff();
    GLDepthWriteOff();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    const RenderTarget* scene = RenderTargetFind(kRenderTargetSceneColour);
    if (scene)
    {
        glViewport(0, 0, scene->width, scene->height);
        glScissor(0, 0, scene->width, scene->height);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    RenderTargetBindTextures(kRenderTargetSceneColour, 0, 0, 0, 0, 0, 0, 0);
    RenderTargetDrawQuad();
    GL_CHECK_ERROR("RenderTargetPresent");
}
