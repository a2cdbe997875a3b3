#include "opengl/PrimBatch.h"

#include "core/LogError.h"
#include "core/Mat4.h"
#include "opengl/GLBuffer.h"
#include "opengl/GLCheckError.h"
#include "opengl/VertexMap.h"

#include <GL/glew.h>

#include <cmath>
#include <cstring>

namespace
{
struct PrimBatch
{
    uint32_t buffer = 0;
    VertexMap map = 0;
    PrimBatchVertex vertices[kPrimBatchVertices];
    int count = 0;
    uint32_t type = GL_TRIANGLES;
    uint32_t colour = 0xFFFFFFFF;
    float texCoords[2][2] = {};
    // Applied to vertices as they are added, so that many small placed
    // objects share one draw instead of a matrix change each.
    bool transformed = false;
    Mat4 transform;
    uint32_t drawCalls = 0;
    bool reportedDrop = false;
};

PrimBatch g_batch;

void Draw()
{
    VertexMapBind(g_batch.map);
    glBindBuffer(GL_ARRAY_BUFFER, g_batch.buffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(g_batch.count) * GLsizeiptr(sizeof(PrimBatchVertex)),
                    g_batch.vertices);
    glDrawArrays(g_batch.type, 0, g_batch.count);
    ++g_batch.drawCalls;
}

// Truncates toward zero and keeps the low byte, as a 32-bit integer would;
// values no integer holds give 0.
uint8_t ColourByte(float value)
{
    const float scaled = value * 255.0f;
    if (!(std::fabs(scaled) < 2147483648.0f))
        return 0;
    return uint8_t(uint32_t(int32_t(scaled)) & 0xFF);
}
} // namespace

void PrimBatchCreate()
{
    PrimBatchDestroy();
    g_batch.buffer = GLBufferCreate(kGLBufferVertex, sizeof g_batch.vertices);
    glBufferData(GL_ARRAY_BUFFER, sizeof g_batch.vertices, nullptr, GL_STREAM_DRAW);
    static const VertexAttribute kAttributes[] = {
        {0, 3, GL_FLOAT, 0},
        {1, 4, GL_UNSIGNED_BYTE, 1},
        {8, 2, GL_FLOAT, 0},
        {9, 2, GL_FLOAT, 0},
    };
    g_batch.map = VertexMap_Create(g_batch.buffer, 0, sizeof(PrimBatchVertex), 4, kAttributes);
    g_batch.count = 0;
    g_batch.reportedDrop = false;
    GL_CHECK_ERROR("PrimBatchCreate");
}

void PrimBatchDestroy()
{
    if (g_batch.map)
        VertexMapDestroy(g_batch.map);
    if (g_batch.buffer)
        GLBufferDelete(g_batch.buffer);
    g_batch.map = 0;
    g_batch.buffer = 0;
    g_batch.count = 0;
    g_batch.reportedDrop = false;
}

void PrimSetType(uint32_t glPrimitiveType)
{
    if (glPrimitiveType != g_batch.type)
        PrimFlush();
    g_batch.type = glPrimitiveType;
}

void PrimSetColorPacked(uint32_t colour)
{
    g_batch.colour = colour;
}

void PrimSetColor4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    g_batch.colour = uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16) | (uint32_t(a) << 24);
}

void PrimSetColor4f(float r, float g, float b, float a)
{
    PrimSetColor4ub(ColourByte(r), ColourByte(g), ColourByte(b), ColourByte(a));
}

void PrimSetTexCoord(int unit, float u, float v)
{
    if (unit != 0 && unit != 1)
        return;
    g_batch.texCoords[unit][0] = u;
    g_batch.texCoords[unit][1] = v;
}

void PrimSetTransform(const Mat4* transform)
{
    g_batch.transformed = transform != nullptr;
    if (transform)
        g_batch.transform = *transform;
}

void PrimVertex3f(float x, float y, float z)
{
    PrimBatchVertex& vertex = g_batch.vertices[g_batch.count++];
    if (g_batch.transformed)
    {
        const float* m = g_batch.transform.m;
        vertex.x = m[0] * x + m[4] * y + m[8] * z + m[12];
        vertex.y = m[1] * x + m[5] * y + m[9] * z + m[13];
        vertex.z = m[2] * x + m[6] * y + m[10] * z + m[14];
    }
    else
    {
        vertex.x = x;
        vertex.y = y;
        vertex.z = z;
    }
    memcpy(vertex.colour, &g_batch.colour, 4);
    vertex.u0 = g_batch.texCoords[0][0];
    vertex.v0 = g_batch.texCoords[0][1];
    vertex.u1 = g_batch.texCoords[1][0];
    vertex.v1 = g_batch.texCoords[1][1];
    if (g_batch.count == kPrimBatchVertices)
        PrimFlush();
}

void PrimVertex3i(int x, int y, int z)
{
    PrimVertex3f(float(x), float(y), float(z));
}

void PrimVertexVec3(const Vec3& v)
{
    PrimVertex3f(v.x, v.y, v.z);
}

void PrimFlush()
{
    if (g_batch.count == 0)
        return;
    if (g_batch.buffer != 0)
        Draw();
    else if (!g_batch.reportedDrop)
    {
        // Once: a missing batch is a start-up fault, and a frame would repeat it per call.
        LogError("PrimFlush: no primitive batch was created; %d vertices dropped", g_batch.count);
        g_batch.reportedDrop = true;
    }
    g_batch.count = 0;
}

void PrimEnd()
{
    PrimFlush();
}

void PrimPointSize(float size)
{
    glPointSize(size);
}

uint32_t PrimGetColorPacked()
{
    return g_batch.colour;
}

int PrimGetVertexCount()
{
    return g_batch.count;
}

uint32_t PrimBatchDrawCalls()
{
    return g_batch.drawCalls;
}

void PrimBatchClearDrawCalls()
{
    g_batch.drawCalls = 0;
}
