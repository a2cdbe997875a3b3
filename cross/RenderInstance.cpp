#include "cross/RenderInstance.h"

#include "core/Hash.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/ObjAnim.h"
#include "cross/RenderQueue.h"
#include "opengl/GLState.h"

#include <GL/glew.h>

#include <algorithm>

namespace
{
int32_t AnimationFrame(const Model* model, float time)
{
    const ObjAnimSet* set = model->GetObjAnims();
    if (!set || time < 0.0f)
        return -1;
    return int32_t(set->rate * time);
}

float NearPlaneDistance(const Frustum* planes, const Vec3& point)
{
    if (!planes)
        return kRenderNoDepth;
    const float* p = planes->planes[kFrustumNear];
    return p[0] * point.x + p[1] * point.y + p[2] * point.z + p[3];
}

void QueueMaterials(RenderInstance* instance, const ModelMesh& mesh, const ModelNode& node, RenderItem& item,
                    RenderItemList& target)
{
    for (int j = 0; j < mesh.GetMaterialCount(); ++j)
    {
        const ModelMaterial& material = mesh.materials[size_t(j)];
        if (instance && !instance->IsMeshVisible(node, material.name))
            continue;
        item.material = j;
        item.texture = material.layers[0].texture;
        target.push_back(item);
    }
}
} // namespace

RenderInstance::~RenderInstance()
{
    SetModel(nullptr);
}

void RenderInstance::SetModel(Model* model)
{
    if (m_model && m_model != model)
        ModelRelease(m_model);
    m_model = model;
}

bool RenderInstance::IsMeshVisible(const ModelNode&, const char*) const
{
    return true;
}

const Mat4* RenderInstance::OwnNodeMatrix(int, int) const
{
    return nullptr;
}

uint32_t RenderInstance::BindMaterialOverride(const char*)
{
    return 0;
}

// Under the owner's world matrix, like every other drawn object; an owner
// that is hidden submits nothing.
void RenderInstance::Render(float, const Frustum* planes)
{
    if (!m_model)
        return;
    if (m_owner.flags && !(*m_owner.flags & kRenderOwnerVisible))
        return;
    GLPushMatrix();
    if (m_owner.matrix)
        GLMultMatrix(*m_owner.matrix);
    Submit(this, m_model, nullptr, planes, -1.0f);
    GLPopMatrix();
}

void RenderInstance::Step(float) {}

void RenderInstance::HideMesh(const char* name, bool hide)
{
    const uint32_t hash = HashString(name);
    if (!hide)
        m_hiddenMeshes.erase(std::remove(m_hiddenMeshes.begin(), m_hiddenMeshes.end(), hash),
                             m_hiddenMeshes.end());
    else if (std::find(m_hiddenMeshes.begin(), m_hiddenMeshes.end(), hash) == m_hiddenMeshes.end())
        m_hiddenMeshes.push_back(hash);
}

bool RenderInstance::IsMeshHidden(const char* a, const char* b) const
{
    const uint32_t first = HashString(a);
    const uint32_t second = HashString(b);
    return std::any_of(m_hiddenMeshes.begin(), m_hiddenMeshes.end(),
                       [&](uint32_t hash) { return hash == first || hash == second; });
}

void RenderInstance::Submit(RenderInstance* instance, const Model* model, const Mat4* palette,
                            const Frustum* planes, float time)
{
    if (!model)
        return;
    Mat4 modelView;
    GLGetModelView(modelView);
    const Vec3 centre = Mat4TransformPoint(modelView, model->Centre());
    if (!SphereInFrustum(centre.x, centre.y, centre.z, model->Radius(), planes) || model->m_mask)
        return;
    RenderItem item;
    item.model = model;
    item.instance = instance;
    item.animationFrame = AnimationFrame(model, time);
    item.palette = palette;
    const float fade = instance ? instance->m_fade : 1.0f;
    for (int i = 0; i < Model::GetMeshCount(model); ++i)
    {
        const ModelMesh& mesh = *model->GetMesh(i);
        item.mesh = &mesh;
        const bool skinned = RenderItemIsSkinned(item);
        for (int n = 0; n < mesh.GetNodeCount(); ++n)
        {
            const ModelNode& node = mesh.nodes[size_t(n)];
            const Mat4* own = instance ? instance->OwnNodeMatrix(i, n) : nullptr;
            item.modelView = Mat4Multiply(modelView, own ? *own : node.matrix);
            item.node = n;
            item.depth = NearPlaneDistance(planes, Mat4TransformPoint(item.modelView, mesh.centre));
            RenderItemList* target = model->m_shaderBucket
                                         ? RenderQueueShaderBucket(model->m_shaderBucket)
                                         : RenderQueueTarget(item, mesh.flags, skinned, fade);
            if (target)
                QueueMaterials(instance, mesh, node, item, *target);
        }
    }
}

Mat4* PropRenderInstance::OwnMeshMatrix(int mesh)
{
    if (!m_model || mesh < 0 || mesh >= Model::GetMeshCount(m_model))
        return nullptr;
    for (OwnMatrix& own : m_ownMatrices)
        if (own.mesh == mesh)
            return &own.matrix;
    const ModelMesh& entry = *m_model->GetMesh(mesh);
    m_ownMatrices.push_back({mesh, entry.nodes.empty() ? Mat4Identity() : entry.nodes.front().matrix});
    return &m_ownMatrices.back().matrix;
}

const Mat4* PropRenderInstance::OwnNodeMatrix(int mesh, int node) const
{
    if (node != 0)
        return nullptr;
    for (const OwnMatrix& own : m_ownMatrices)
        if (own.mesh == mesh)
            return &own.matrix;
    return nullptr;
}
