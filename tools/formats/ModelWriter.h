#pragma once
// Writes ".chmodel" files of any version from 1 on (the reader takes 7 and
// later) and any vertex layout, for fixtures and the demo's models. Counts
// are written from the vectors; what goes in them is not checked, so tests
// can write the faults the reader must refuse.

#include "core/Mat4.h"
#include "opengl/VertexMap.h"

#include <cstdint>
#include <string>
#include <vector>

struct ChModelLayer
{
    std::string name;
    float scaleU = 1.0f, scaleV = 1.0f, offsetU = 0.0f, offsetV = 0.0f;
    uint32_t word = 0;
    uint32_t wrapFlags = 0;
};

struct ChModelDrawRange
{
    uint16_t first = 0;
    uint16_t count = 0;
    uint8_t kind = 0; // 0 triangles, 1 strip, 2 fan
};

struct ChModelMaterial
{
    uint32_t flags = 0;
    uint32_t word2 = 0;
    std::string name;     // written from version 102 on
    bool present[4] = {}; // which layers follow
    ChModelLayer layers[4];
    std::vector<ChModelDrawRange> ranges; // the first is read, the rest skipped
};

struct ChModelJoint
{
    uint32_t word = 0;
    std::string name;
    Mat4 bind = Mat4Identity();
};

struct ChModelSocket
{
    std::string name;
    uint32_t joint = 0;
    Mat4 matrix = Mat4Identity();
};

struct ChModelNode
{
    std::string name;
    Mat4 matrix = Mat4Identity();
};

struct ChModelMesh
{
    uint32_t flags = 0;
    int32_t sortOrder = 4;
    std::vector<ChModelJoint> joints;
    std::vector<ChModelSocket> sockets; // written from version 103 on
    // Before version 101 only the first node is written, in the mesh head
    // (a mesh without nodes then gets an unnamed identity node).
    std::vector<ChModelNode> nodes;
    uint32_t vertexCount = 0;
    std::vector<VertexAttribute> attributes;
    uint32_t stride = 0;
    std::vector<uint8_t> vertices;
    std::vector<uint16_t> indices;
    std::vector<ChModelMaterial> materials;
};

struct ChModel
{
    uint32_t version = 104;
    float centre[3] = {0, 0, 0};
    float radius = 0.0f;
    std::vector<ChModelMesh> meshes;
    std::vector<float> spheres; // radius, then offset x, y, z each; written from version 104 on
};

std::vector<uint8_t> ChModelWrite(const ChModel& model);

// A common vertex: position, normal, texture coordinates 0, and up to four
// joints with byte weights (weights all 0 for a static vertex).
struct ChModelVertex
{
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 1};
    float uv[2] = {0, 0};
    uint8_t joints[4] = {0, 0, 0, 0};
    uint8_t weights[4] = {0, 0, 0, 0};
};

// Fills the mesh's layout and vertices: position (location 0, 3 floats),
// normal (2, 3 floats), texture coordinates 0 (8, 2 floats), and when
// skinned the joint indices (5, 4 unsigned bytes) and weights (6, 4
// unsigned bytes, normalised).
void ChModelSetVertices(ChModelMesh& mesh, const std::vector<ChModelVertex>& vertices, bool skinned);

// A material with one texture layer drawing indices first .. first + count.
ChModelMaterial ChModelTexturedMaterial(const std::string& texture, uint16_t first, uint16_t count);
