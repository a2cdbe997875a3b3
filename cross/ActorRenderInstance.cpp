#include "cross/ActorRenderInstance.h"

#include "core/Hash.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/Texture.h"

#include <GL/glew.h>

#include <cmath>

namespace
{
bool g_skeletonView = false;

// The flip-book frame for a time: frames share the animation's length.
int FlipBookFrame(float position, float length, int count)
{
    if (!(length > 0.0f) || !(position >= 0.0f))
        return 0;
    const double frame = std::floor(double(position) / (double(length) / count));
    return int(std::fmod(frame, double(count)));
}
} // namespace

ActorRenderInstance::ActorRenderInstance()
{
    m_flags |= kRenderInstanceAnimationPlaying;
    for (Mat4& bone : m_bones)
        bone = Mat4Identity();
    m_work = Mat4Identity();
}

ActorRenderInstance::~ActorRenderInstance()
{
    TextureRelease(&m_overrideTexture);
    for (ActorTextureOverride& entry : m_textureOverrides)
        TextureRelease(&entry.texture);
    for (Texture*& texture : m_frameTextures)
        TextureRelease(&texture);
}

bool ActorRenderInstance::IsMeshVisible(const ModelNode& node, const char* materialName) const
{
    return !IsMeshHidden(node.name, materialName);
}

uint32_t ActorRenderInstance::BindMaterialOverride(const char* materialName)
{
    GLScaleUniform(m_scale);
    const uint32_t bits = m_flags & kRenderInstanceTextureOverrides;
    if (!m_frameTextures.empty() && m_animBuffer)
    {
        const ActorRenderInstance* driver = m_frameDriver ? m_frameDriver : this;
        const int count = int(m_frameTextures.size());
        Texture* frame =
            m_frameTextures[size_t(FlipBookFrame(driver->m_animationTime, driver->m_animationLength, count))];
        if (!frame)
            return 0;
        GLBindTexture(0, frame);
        return bits;
    }
    const uint32_t hash = HashString(materialName);
    for (const ActorTextureOverride& entry : m_textureOverrides)
    {
        if (entry.nameHash == hash)
        {
            GLBindTexture(0, entry.texture);
            return bits;
        }
    }
    return 0;
}

void ActorRenderInstance::Render(float, const Frustum* planes)
{
    if (m_owner.fade)
        m_fade = *m_owner.fade;
    if (!m_model || (m_owner.flags && !(*m_owner.flags & kRenderOwnerVisible)))
        return;
    GLPushMatrix();
    if (m_owner.matrix)
        GLMultMatrix(*m_owner.matrix);
    PrimSetColor4ub(255, 255, 0, 255);
    if (!m_animBuffer)
        Submit(this, m_model, nullptr, planes, m_animationTime);
    else if (g_skeletonView)
        m_animBuffer->DrawSkeleton(m_animation, m_bones);
    else
        Submit(this, m_model, m_bones, planes, -1.0f);
    GLPopMatrix();
}

void ActorRenderInstance::Step(float dt)
{
    if (m_flags & kRenderInstanceAnimationPlaying)
        m_animationTime += dt;
    if (m_animBuffer && ((m_looping & 0xFF) != 0 || m_animationTime < m_animationLength))
        m_animBuffer->EvaluateTime(m_animation, m_animationTime, m_bones);
}

void ActorRenderInstance::AddTextureOverride(const char* materialName, Texture* texture)
{
    m_textureOverrides.push_back(ActorTextureOverride{HashString(materialName), texture});
}

void ActorRenderToggleSkeletonView()
{
    g_skeletonView = !g_skeletonView;
}

bool ActorRenderSkeletonView()
{
    return g_skeletonView;
}
