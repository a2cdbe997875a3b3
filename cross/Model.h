#pragma once
// A model read from a ".chmodel" file: meshes with their GL buffers and
// vertex map, joints, sockets, the nodes at which each mesh is drawn, and
// materials of up to four texture layers. The record keeps one address for
// its whole life (reloads replace what it holds), so holders keep pointers.

#include "core/FixedString.h"
#include "core/Mat4.h"
#include "core/Vec3.h"
#include "core/Vec4.h"
#include "opengl/VertexMap.h"

#include <cstdint>
#include <memory>
#include <vector>

class Texture;
struct ShaderBucket;
struct UVAnimSet;
struct UVAnimTrack;
struct ObjAnimSet;
struct ObjAnimTrack;

constexpr int kModelTextureLayers = 4;
constexpr int kModelDefaultSortOrder = 4;
// Material flag: drawn without back-face culling.
constexpr uint32_t kModelMaterialTwoSided = 0x80;

enum ModelPrimitiveKind : uint8_t
{
    kModelTriangles = 0,
    kModelTriangleStrip = 1,
    kModelTriangleFan = 2,
};

struct ModelJoint
{
    uint32_t word = 0;
    FixedString64 name;
    Mat4 bind = Mat4Identity();
};

struct ModelNode
{
    FixedString128 name;
    Mat4 matrix = Mat4Identity();
    ObjAnimTrack* objAnim = nullptr; // the object-animation track of the same name
};

struct ModelSocket
{
    int32_t joint = 0;
    FixedString128 name;
    Mat4 matrix = Mat4Identity();
};

struct ModelTextureLayer
{
    Texture* texture = nullptr;
    FixedString64 name;
    float scaleU = 1.0f;
    float scaleV = 1.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
    uint32_t word = 0;
    uint32_t wrapFlags = 0;
    UVAnimTrack* uvAnim = nullptr; // the UV-animation track of the same name
};

struct ModelMaterial
{
    uint16_t firstIndex = 0;
    uint16_t indexCount = 0;
    uint8_t primitiveKind = kModelTriangles;
    ModelTextureLayer layers[kModelTextureLayers];
    uint8_t layerPresent[kModelTextureLayers] = {};
    uint32_t flags = 0;
    uint32_t word2 = 0;
    FixedString64 name;
};

// One mesh: its GL objects belong to it and go with it, and so do the
// references to its layers' textures.
struct ModelMesh
{
    VertexMap vertexMap = 0;
    Vec3 centre = Vec3(0.0f, 0.0f, 0.0f);
    float radius = 0.0f;
    uint32_t flags = 0; // tested by the render queue's bucket masks
    uint32_t vertexBuffer = 0;
    uint32_t indexBuffer = 0;
    std::vector<ModelJoint> joints;
    std::vector<ModelMaterial> materials;
    std::vector<ModelNode> nodes;
    std::vector<ModelSocket> sockets;
    int32_t sortOrder = kModelDefaultSortOrder;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;

    ModelMesh() = default;
    ~ModelMesh();
    ModelMesh(const ModelMesh&) = delete;
    ModelMesh& operator=(const ModelMesh&) = delete;

    int GetJointCount() const { return int(joints.size()); }
    int GetMaterialCount() const { return int(materials.size()); }
    int GetNodeCount() const { return int(nodes.size()); }
    int GetSocketCount() const { return int(sockets.size()); }
};

// What a load builds apart from the record and swaps in whole.
struct ModelContents
{
    Vec3 centre = Vec3(0.0f, 0.0f, 0.0f);
    float radius = 0.0f;
    std::vector<std::unique_ptr<ModelMesh>> meshes;
    std::vector<Vec4> spheres; // each collision sphere: radius, then offset x, y, z
    std::unique_ptr<UVAnimSet> uvAnims;
    std::unique_ptr<ObjAnimSet> objAnims;

    ModelContents();
    ~ModelContents();
    ModelContents(ModelContents&&) noexcept;
    ModelContents& operator=(ModelContents&&) noexcept;
};

class Model
{
public:
    FixedString128 m_name; // the path it was read from
    ModelContents m_contents;
    uint8_t m_mask = 0;                     // set: the model submits nothing
    ShaderBucket* m_shaderBucket = nullptr; // set: its items go to this bucket

    Model() = default;
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    const Vec3& Centre() const { return m_contents.centre; }
    float Radius() const { return m_contents.radius; }
    ModelMesh* GetMesh(int i) const;
    UVAnimSet* GetUVAnims() const { return m_contents.uvAnims.get(); }
    ObjAnimSet* GetObjAnims() const { return m_contents.objAnims.get(); }

    // Null models are allowed where the callers have one to ask about.
    static int GetMeshCount(const Model* model);
    VertexMap GetMeshVertexMap(int i) const;
    ModelMaterial* GetMaterialRecord(int i, int j) const;
    // Material j's layer-0 name, split at its first '|' into two names (the
    // second empty when there is no '|'); false when there is no such material.
    bool GetMaterialTextureNames(int i, int j, FixedString64& first, FixedString64& second) const;
    ModelSocket* GetSocket(int i, int j) const;
    int GetSocketIndexByName(int i, const char* name) const;
    int GetSocketJoint(int i, int j) const;
    static int GetSphereCount(const Model* model);
    const Vec4* GetSpheres() const;
    void GetBoundingSphere(Vec3& centre, float& radius) const;
};
