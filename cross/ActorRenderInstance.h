#pragma once
// The render instance of an animated object: it poses its skeleton every
// step, submits skinned items with its bone palette (or draws the skeleton
// itself while the skeleton view is on), scales itself and swaps material
// textures by name or by flip-book frame.

#include "core/Mat4.h"
#include "cross/RenderInstance.h"

class AnimBuffer;
class Texture;

constexpr int kActorBoneMatrices = 128;

struct ActorTextureOverride
{
    uint32_t nameHash;
    Texture* texture;
};

class ActorRenderInstance : public RenderInstance
{
public:
    AnimBuffer* m_animBuffer = nullptr;
    int m_animation = 0;
    float m_animationTime = 0.0f;
    uint32_t m_looping = 1;
    float m_animationLength = 0.0f;
    Mat4 m_bones[kActorBoneMatrices];
    float m_scale = 1.0f;
    Texture* m_overrideTexture = nullptr;
    Mat4 m_work;
    std::vector<ActorTextureOverride> m_textureOverrides;
    // The flip-book: one texture per frame, shown in turn over the
    // animation of the driving instance (this one when none is given).
    std::vector<Texture*> m_frameTextures;
    float m_timePerTexture = 0.0f;
    const ActorRenderInstance* m_frameDriver = nullptr;

    ActorRenderInstance();
    // Releases every texture it holds.
    ~ActorRenderInstance() override;

    bool IsMeshVisible(const ModelNode& node, const char* materialName) const override;
    uint32_t BindMaterialOverride(const char* materialName) override;
    void Render(float time, const Frustum* planes) override;
    // Advances the animation time while playing and poses the bones; a
    // finished animation that does not loop keeps its last pose.
    void Step(float dt) override;

    // Takes over one reference to each texture.
    void AddTextureOverride(const char* materialName, Texture* texture);
};

// The developer key's skeleton view: actors draw their skeletons instead
// of their meshes.
void ActorRenderToggleSkeletonView();
bool ActorRenderSkeletonView();
