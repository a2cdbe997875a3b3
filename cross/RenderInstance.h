#pragma once
// The draw record of one world object: the model it draws and how (texture
// transform, fade, hidden meshes). It submits render items for the model's
// visible meshes into the render queue. The object that embeds it (an
// entity of the game) lends it three things only: its world matrix, its
// flag word (bit 0 visible) and its fade.

#include "opengl/Frustum.h"

#include "core/Mat4.h"

#include <cstdint>
#include <deque>
#include <vector>

class Model;
struct ModelNode;

struct RenderInstanceOwner
{
    const Mat4* matrix = nullptr;
    const uint32_t* flags = nullptr;
    const float* fade = nullptr;
};

constexpr uint32_t kRenderOwnerVisible = 0x1;

// Instance flags.
constexpr uint32_t kRenderInstanceTextureOverrides = 0x1;
constexpr uint32_t kRenderInstanceAnimationPlaying = 0x2;

class RenderInstance
{
public:
    Model* m_model = nullptr;
    RenderInstanceOwner m_owner;
    uint32_t m_reserved = 0;
    uint32_t m_flags = 0;
    float m_textureRotation = 0.0f; // degrees
    float m_textureOffset[2] = {0.0f, 0.0f};
    float m_textureScale[2] = {1.0f, 1.0f};
    float m_fade = 1.0f;
    std::vector<uint32_t> m_hiddenMeshes; // name hashes
    uint8_t m_mirrored = 0;

    RenderInstance() = default;
    // Releases the model.
    virtual ~RenderInstance();
    RenderInstance(const RenderInstance&) = delete;
    RenderInstance& operator=(const RenderInstance&) = delete;

    // Takes over one reference to the model, releasing the one it held.
    void SetModel(Model* model);

    virtual bool IsMeshVisible(const ModelNode& node, const char* materialName) const;
    // The matrix this instance draws a mesh's node with in place of the
    // model's (which all holders of the model share), or null for the model's.
    virtual const Mat4* OwnNodeMatrix(int mesh, int node) const;
    // Bit 0 of the result: the instance bound its own texture to unit 0.
    virtual uint32_t BindMaterialOverride(const char* materialName);
    // Submits the model under the current model-view matrix.
    virtual void Render(float time, const Frustum* planes);
    virtual void Step(float dt);

    void HideMesh(const char* name, bool hide);
    bool IsMeshHidden(const char* a, const char* b) const;

    // Culls the model's bounding sphere against the planes (none: never
    // culled) and queues one item per visible (node, material) of each mesh
    // under the current model-view matrix. A palette makes the items of
    // meshes with 1 to 48 joints skinned; time -1 means no object animation.
    static void Submit(RenderInstance* instance, const Model* model, const Mat4* palette,
                       const Frustum* planes, float time);
};

// A static object's instance.
class PropRenderInstance : public RenderInstance
{
public:
    std::vector<uint32_t> m_drawEntries;

    // The prop's own matrix for the first node of the mesh, made from the
    // model's on first use. It stays where it is for the instance's life.
    Mat4* OwnMeshMatrix(int mesh);
    const Mat4* OwnNodeMatrix(int mesh, int node) const override;

private:
    struct OwnMatrix
    {
        int mesh;
        Mat4 matrix;
    };
    // A deque, so adding one never moves the others.
    std::deque<OwnMatrix> m_ownMatrices;
};
