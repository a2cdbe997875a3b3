#pragma once
// The immediate-mode replacement: callers set a primitive type, a colour and
// texture coordinates and add vertices; the batch draws them from one
// streamed buffer, 120 at a time. 120 is a multiple of 1, 2, 3 and 4, so
// lists of points, lines, triangles and quads are never split; strips and
// fans longer than that are drawn in pieces that do not join.
//
// Vertices are drawn under the matrices that were current when they were
// added: changing the type, or a matrix through GLState, flushes what came
// before. The batch never reads the matrices back.

#include "core/Vec3.h"

struct Mat4;

#include <cstdint>

constexpr int kPrimBatchVertices = 120;

struct PrimBatchVertex
{
    float x, y, z;
    uint8_t colour[4];
    float u0, v0;
    float u1, v1;
};
static_assert(sizeof(PrimBatchVertex) == 32, "the batch's vertex map expects 32-byte vertices");

void PrimBatchCreate();
void PrimBatchDestroy();

void PrimSetType(uint32_t glPrimitiveType);
// Red in the low byte.
void PrimSetColorPacked(uint32_t colour);
void PrimSetColor4ub(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
// Each component times 255, truncated toward zero, its low byte kept.
void PrimSetColor4f(float r, float g, float b, float a);
// Units 0 and 1 only.
void PrimSetTexCoord(int unit, float u, float v);
// Vertices added while a transform is set are moved by it (as a point, w 1)
// before they are stored; null for none. Unlike a matrix change, it does not
// flush.
void PrimSetTransform(const Mat4* transform);
void PrimVertex3f(float x, float y, float z);
void PrimVertex3i(int x, int y, int z);
void PrimVertexVec3(const Vec3& v);
// Without a created batch the vertices are dropped, reported once per batch lifetime.
void PrimFlush();
void PrimEnd();
void PrimPointSize(float size);

uint32_t PrimGetColorPacked();
int PrimGetVertexCount();
// Draw calls the batch made since the last clear (the render statistics read it).
uint32_t PrimBatchDrawCalls();
void PrimBatchClearDrawCalls();
