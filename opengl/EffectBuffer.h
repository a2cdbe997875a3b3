#pragma once
// The one streamed vertex buffer the effects draw their particles through.
// Uploads and draws stay within its capacity.

#include <cstdint>

struct EffectVertex
{
    float position[3];
    uint8_t colour[4];
    float uv[2];
};
static_assert(sizeof(EffectVertex) == 24, "the effect vertex map expects 24-byte vertices");

// Replaces any earlier buffer.
void EffectBufferCreate(int vertexCount);
void EffectBufferDestroy();
int EffectBufferCapacity();
// Copies the vertices (clipped to the capacity, reported) and binds the
// buffer's vertex map; returns how many were copied.
int EffectBufferUpload(const EffectVertex* vertices, int count);
// Both draw only the part of [first, first + count) inside the buffer.
void EffectBufferDrawQuads(int first, int count);
void EffectBufferDrawStrip(int first, int count);
void EffectBufferUnbind();
