#pragma once
// GL buffer objects: kind 0 holds vertices (GL_ARRAY_BUFFER), kind 1 indices
// (GL_ELEMENT_ARRAY_BUFFER).

#include <cstddef>
#include <cstdint>

enum GLBufferKind
{
    kGLBufferVertex = 0,
    kGLBufferIndex = 1,
};

// A new buffer bound to its kind's target with `size` bytes of undefined
// contents for static drawing; 0 after a report for an unknown kind.
uint32_t GLBufferCreate(int kind, size_t size);
void GLBufferDelete(uint32_t name);
// Binds the buffer and maps it for writing; null when it cannot be mapped.
void* GLBufferMap(int kind, uint32_t name);
// Binds the buffer and unmaps it; false when its contents were lost.
bool GLBufferUnmap(int kind, uint32_t name);
