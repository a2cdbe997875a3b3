#include "opengl/EffectBuffer.h"

#include "core/LogError.h"
#include "opengl/GLBuffer.h"
#include "opengl/GLCheckError.h"
#include "opengl/VertexMap.h"

#include <GL/glew.h>

#include <cstring>

namespace
{
struct EffectBufferState
{
    int capacity = 0;
    uint32_t buffer = 0;
    VertexMap map = 0;
};

EffectBufferState g_effectBuffer;

// The part of [first, first + count) that lies inside the buffer.
bool ClipRange(int& first, int& count)
{
    if (first < 0)
    {
        count += first;
        first = 0;
    }
    if (first >= g_effectBuffer.capacity)
        return false;
    if (count > g_effectBuffer.capacity - first)
        count = g_effectBuffer.capacity - first;
    return count > 0 && g_effectBuffer.map != 0;
}

void DrawRange(GLenum mode, int first, int count)
{
    if (!ClipRange(first, count))
        return;
    VertexMapBind(g_effectBuffer.map);
    glDrawArrays(mode, first, count);
}
} // namespace

void EffectBufferCreate(int vertexCount)
{
    EffectBufferDestroy();
    if (vertexCount <= 0)
        return;
    g_effectBuffer.capacity = vertexCount;
    g_effectBuffer.buffer = GLBufferCreate(kGLBufferVertex, size_t(vertexCount) * sizeof(EffectVertex));
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertexCount) * GLsizeiptr(sizeof(EffectVertex)), nullptr,
                 GL_STREAM_DRAW);
    static const VertexAttribute kAttributes[] = {
        {0, 3, GL_FLOAT, 0},
        {1, 4, GL_UNSIGNED_BYTE, 1},
        {8, 2, GL_FLOAT, 0},
    };
    g_effectBuffer.map = VertexMap_Create(g_effectBuffer.buffer, 0, sizeof(EffectVertex), 3, kAttributes);
    GL_CHECK_ERROR("EffectBufferCreate");
}

void EffectBufferDestroy()
{
    if (g_effectBuffer.map != 0)
    {
        if (VertexMapGetCurrent() == g_effectBuffer.map)
            VertexMapBind(0);
        VertexMapDestroy(g_effectBuffer.map);
    }
    if (g_effectBuffer.buffer != 0)
        GLBufferDelete(g_effectBuffer.buffer);
    g_effectBuffer = EffectBufferState();
}

int EffectBufferCapacity()
{
    return g_effectBuffer.capacity;
}

int EffectBufferUpload(const EffectVertex* vertices, int count)
{
    if (g_effectBuffer.buffer == 0 || !vertices || count <= 0)
        return 0;
    if (count > g_effectBuffer.capacity)
    {
        LogError("Pendrel Render effect buffer holds %d vertices; %d given.\n", g_effectBuffer.capacity,
                 count);
        count = g_effectBuffer.capacity;
    }
    void* mapped = GLBufferMap(kGLBufferVertex, g_effectBuffer.buffer);
    if (!mapped)
        return 0;
    std::memcpy(mapped, vertices, size_t(count) * sizeof(EffectVertex));
    GLBufferUnmap(kGLBufferVertex, g_effectBuffer.buffer);
    VertexMapBind(g_effectBuffer.map);
    return count;
}

void EffectBufferDrawQuads(int first, int count)
{
    DrawRange(GL_QUADS, first, count);
}

void EffectBufferDrawStrip(int first, int count)
{
    DrawRange(GL_TRIANGLE_STRIP, first, count);
}

void EffectBufferUnbind()
{
    VertexMapBind(0);
}
