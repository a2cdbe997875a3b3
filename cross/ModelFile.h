#pragma once
// The ".chmodel" format read into memory and checked, before anything of it
// reaches GL or a model record.

#include "core/FixedString.h"
#include "core/StreamBytes.h"
#include "cross/Model.h"
#include "opengl/VertexMap.h"

#include <cstddef>
#include <cstdint>
#include <vector>

constexpr uint32_t kModelOldestVersion = 6; // this and lower are refused
constexpr uint32_t kModelMeshNodeVersion = 100;
constexpr uint32_t kModelNodeListVersion = 101;
constexpr uint32_t kModelMaterialNameVersion = 102;
constexpr uint32_t kModelSocketVersion = 103;
constexpr uint32_t kModelSphereVersion = 104;
constexpr uint32_t kModelMaxSocketJoint = 128;

struct ModelFileMesh
{
    uint32_t flags = 0;
    int32_t sortOrder = kModelDefaultSortOrder;
    std::vector<ModelJoint> joints;
    std::vector<ModelSocket> sockets;
    std::vector<ModelNode> nodes;
    Vec3 centre = Vec3(0.0f, 0.0f, 0.0f); // from the vertices
    float radius = 0.0f;
    uint32_t vertexCount = 0;
    std::vector<VertexAttribute> attributes;
    uint32_t stride = 0;
    std::vector<uint8_t> vertices; // vertexCount x stride, in host order
    std::vector<uint16_t> indices;
    std::vector<ModelMaterial> materials; // textures not yet looked up
};

struct ModelFile
{
    uint32_t version = 0;
    Vec3 centre = Vec3(0.0f, 0.0f, 0.0f);
    float radius = 0.0f;
    std::vector<ModelFileMesh> meshes;
    std::vector<Vec4> spheres;
};

// A mesh holds at most 65536 vertices (its indices are 16-bit): sixty-four
// full meshes of 64-byte vertices fill this.
constexpr FileSizeBound kModelFileBound = {"model", 256ull << 20};

// Reads and checks the bytes of a model file; false after one report naming
// `path` (the old-version report for 6 and lower).
// fmin and fmax as the C library answers them (a NaN gives way to a number,
// of two NaNs the first stays; of two equals, zeros of either sign
// included, the second), written out so that the bounds loop does not call
// the library per component.
inline float ModelFileMin(float a, float b)
{
    if (b != b)
        return a;
    if (a != a)
        return b;
    return a < b ? a : b;
}

inline float ModelFileMax(float a, float b)
{
    if (b != b)
        return a;
    if (a != a)
        return b;
    return a > b ? a : b;
}

bool ModelFileParse(const uint8_t* bytes, size_t size, bool swap, const char* path, ModelFile& out);

// The vertices recast for the emulated vertex map, which draws one bone per
// vertex: texture coordinates 1 as two unsigned bytes become two floats
// (each / 255), bone indices as four unsigned bytes one float (the first
// byte), bone weights as four unsigned bytes one float (the first / 255);
// everything else is copied. Offsets and the stride become the running sum.
void ModelConvertForEmulation(ModelFileMesh& mesh);
