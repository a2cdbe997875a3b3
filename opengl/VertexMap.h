#pragma once
// How the attributes of one vertex buffer (and its index buffer) feed the
// shader locations: a vertex array object when capability 1 is usable,
// otherwise a record that every bind replays through the fixed-function
// client arrays (the "_Non_VAO" programs read those).

#include <cstdint>

struct VertexAttribute
{
    uint32_t location; // 0 to 11, as the shader programs bind them
    uint32_t components;
    uint32_t type; // GL_BYTE (0x1400) to GL_FLOAT (0x1406)
    uint32_t normalised;
};

// A vertex-array name or the address of an emulation record; 0 is none.
using VertexMap = uintptr_t;

constexpr int kVertexMapMaxAttributes = 12;

// Bytes of one component of a GL type; 0 for types outside the list.
uint32_t VertexComponentSize(uint32_t type);

// The vertex-array path uses the caller's stride; emulation packs the
// attributes in order and uses their summed size. At most twelve attributes.
VertexMap VertexMap_Create(uint32_t vertexBuffer, uint32_t indexBuffer, uint32_t stride, int attributeCount,
                           const VertexAttribute* attributes);
void VertexMapDestroy(VertexMap map);
// False, doing nothing, when the map is the current one; 0 unbinds.
bool VertexMapBind(VertexMap map);
VertexMap VertexMapGetCurrent();

// Emulation: whether the fixed-function array that a location feeds is on.
bool VertexMapClientArrayEnabled(int location);
