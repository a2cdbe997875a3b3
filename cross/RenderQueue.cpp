#include "cross/RenderQueue.h"

#include "cross/Model.h"
#include "cross/ObjAnim.h"
#include "cross/RenderInstance.h"
#include "cross/UVAnim.h"
#include "opengl/GLState.h"
#include "opengl/PrimBatch.h"
#include "opengl/ShaderProgram.h"
#include "opengl/Texture.h"
#include "opengl/TextureBuiltins.h"
#include "opengl/VertexMap.h"

#include <GL/glew.h>

#include <algorithm>

namespace
{
struct QueueState
{
    RenderItemList buckets[kRenderSetCount][kRenderBucketCount];
    RenderItemList fading;
    std::vector<ShaderBucket*> activeShaderBuckets;
    uint8_t enabled[kRenderBucketCount] = {1, 1, 1, 1};
    RenderStats stats = {};
    // The "bones" uniform: three rows of a 3 x 4 matrix per joint.
    Vec4 bones[kRenderMaxJoints * 3];
};

QueueState g_queue;
ShaderBucket g_staticShaderBucket = {0, "basic16", 0, nullptr, {}};

// Wrap modes of one axis from its two bits of a layer's wrap word.
GLint WrapMode(bool mirror, bool repeat)
{
    if (mirror && repeat)
        return GL_MIRRORED_REPEAT;
    if (repeat)
        return GL_REPEAT;
    if (!mirror)
        return GL_CLAMP_TO_EDGE;
    // Mirrored once, then clamped; drivers without it mirror throughout.
    const bool mirrorClamp = GLEW_ARB_texture_mirror_clamp_to_edge || GLEW_EXT_texture_mirror_clamp ||
                             GLEW_ATI_texture_mirror_once;
    return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
}

void SetWrapModes(uint32_t wrapFlags)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S,
                    WrapMode((wrapFlags & 0x02) != 0, (wrapFlags & 0x08) != 0));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T,
                    WrapMode((wrapFlags & 0x04) != 0, (wrapFlags & 0x10) != 0));
}

void LoadTextureMatrix(const ModelTextureLayer& layer, const RenderInstance* instance)
{
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    if (layer.uvAnim)
    {
        float u = 0.0f;
        float v = 0.0f;
        UVAnimGetUV(layer.uvAnim, u, v);
        glTranslatef(u, v, 0.0f);
        glScalef(layer.scaleU, layer.scaleV, 0.0f);
    }
    else if (instance)
    {
        glTranslatef(instance->m_textureOffset[0], instance->m_textureOffset[1], 0.0f);
        glRotatef(instance->m_textureRotation, 0.0f, 0.0f, 1.0f);
        glScalef(instance->m_textureScale[0], instance->m_textureScale[1], 1.0f);
    }
}

void ApplyCulling(const ModelMaterial* material, const RenderInstance* instance)
{
    if (material && (material->flags & kModelMaterialTwoSided))
        GLCullOff();
    else if (instance && instance->m_mirrored)
        GLCullFront();
    else
        GLCullBack();
}

void BindMaterialTexture(const RenderItem& item, const ModelMaterial* material, uint32_t overrideBits)
{
    if (!item.texture || !material)
    {
        RenderStatsCountTextureBind(GLBindTexture(0, TextureBuiltin(kTextureDefaultBlack)));
        return;
    }
    if (!(overrideBits & 1))
        RenderStatsCountTextureBind(GLBindTexture(0, item.texture));
    // The texture matrix and the wrap modes belong to unit 0's texture.
    GLSelectTextureUnit(0);
    LoadTextureMatrix(material->layers[0], item.instance);
    SetWrapModes(material->layers[0].wrapFlags);
}

// Writes the palette's first three rows per joint into the bone buffer.
void SetBones(ShaderProgram* program, const Mat4* palette, int joints)
{
    for (int j = 0; j < joints; ++j)
    {
        const Mat4& m = palette[j];
        g_queue.bones[3 * j] = Vec4(m[0], m[4], m[8], m[12]);
        g_queue.bones[3 * j + 1] = Vec4(m[1], m[5], m[9], m[13]);
        g_queue.bones[3 * j + 2] = Vec4(m[2], m[6], m[10], m[14]);
    }
    ShaderSetUniformVec4Array(program, "bones", 3 * joints, &g_queue.bones[0].x);
    ShaderSetUniformInt(program, "numjoints", joints);
}

GLenum PrimitiveMode(uint8_t kind)
{
    switch (kind)
    {
    case kModelTriangleStrip:
        return GL_TRIANGLE_STRIP;
    case kModelTriangleFan:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

void DrawMaterialRange(const ModelMesh& mesh, const ModelMaterial& material)
{
    const uint32_t count = material.indexCount;
    if (count == 0 || uint32_t(material.firstIndex) + count > mesh.indexCount)
        return;
    glDrawElements(PrimitiveMode(material.primitiveKind), GLsizei(count), GL_UNSIGNED_SHORT,
                   reinterpret_cast<const void*>(uintptr_t(material.firstIndex) * sizeof(uint16_t)));
    RenderStats& stats = g_queue.stats;
    stats.triangles += material.primitiveKind == kModelTriangles ? count / 3 : (count >= 2 ? count - 2 : 0);
    stats.indices += count;
    ++stats.elementDraws;
}

void DrawWalk(RenderItemList& items, RenderItemLess less, RenderItemCallback callback, bool geometryOnly)
{
    if (less)
        std::sort(items.begin(), items.end(), less);
    for (size_t i = items.size(); i-- > 0;)
    {
        const RenderItem& item = items[i];
        if (callback)
            callback(item.instance);
        GLPushMatrix();
        GLLoadMatrix(item.modelView);
        RenderItemDraw(item, geometryOnly);
        GLPopMatrix();
        ++g_queue.stats.modelViewRestores;
    }
    GLSelectTextureUnit(0);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
}

void SetCurrentUniformInt(const char* name, int value)
{
    if (ShaderProgram* program = ShaderGetCurrent())
        ShaderSetUniformInt(program, name, value);
}

void SetCurrentUniformFloat(const char* name, float value)
{
    if (ShaderProgram* program = ShaderGetCurrent())
        ShaderSetUniformFloat(program, name, value);
}

void DrawBlended(int bucket, int set, void (*blend)())
{
    GLDepthWriteOff();
    blend();
    DrawBucket(bucket, nullptr, false, set);
    GLDepthWriteOn();
    GLBlendOff();
}
} // namespace

void RenderQueueClear()
{
    for (auto& set : g_queue.buckets)
        for (RenderItemList& bucket : set)
            bucket.clear();
    g_queue.fading.clear();
}

RenderItemList* RenderQueueTarget(const RenderItem&, uint32_t meshFlags, bool skinned, float fade)
{
    const int set = skinned ? kRenderSetSkinned : kRenderSetStatic;
    RenderItemList* target = nullptr;
    for (int bucket = 0; bucket < kRenderBucketCount; ++bucket)
    {
        const bool matches = (meshFlags & kRenderBucketMasks[bucket]) != 0 ||
                             (bucket == kRenderBucketOpaque && meshFlags == 0);
        if (!matches)
            continue;
        const bool fading = bucket == kRenderBucketOpaque && skinned && fade < kRenderFadingBelow;
        target = fading ? &g_queue.fading : &g_queue.buckets[set][bucket];
    }
    return target;
}

RenderItemList* RenderQueueShaderBucket(ShaderBucket* bucket)
{
    if (!bucket->queued)
    {
        g_queue.activeShaderBuckets.push_back(bucket);
        bucket->queued = 1;
    }
    return &bucket->items;
}

RenderItemList& RenderQueueBucket(int set, int bucket)
{
    return g_queue.buckets[set][bucket];
}

RenderItemList& RenderQueueFadingList()
{
    return g_queue.fading;
}

const std::vector<ShaderBucket*>& RenderQueueActiveShaderBuckets()
{
    return g_queue.activeShaderBuckets;
}

void RenderQueueEnableBucket(int bucket, bool enabled)
{
    if (bucket >= 0 && bucket < kRenderBucketCount)
        g_queue.enabled[bucket] = enabled ? 1 : 0;
}

ShaderBucket* RenderQueueStaticShaderBucket()
{
    return &g_staticShaderBucket;
}

void RenderQueueReleasePrograms()
{
    ShaderRelease(g_staticShaderBucket.program);
    g_staticShaderBucket.program = nullptr;
    g_staticShaderBucket.items.clear();
    g_staticShaderBucket.queued = 0;
    g_queue.activeShaderBuckets.clear();
}

bool RenderItemIsSkinned(const RenderItem& item)
{
    if (!item.palette || !item.mesh)
        return false;
    const int joints = item.mesh->GetJointCount();
    return joints >= 1 && joints <= kRenderMaxJoints;
}

void RenderItemSetFadeAlpha(RenderInstance* instance)
{
    const float fade = instance ? std::min(std::max(instance->m_fade, 0.0f), 1.0f) : 1.0f;
    SetCurrentUniformFloat("alpha", fade);
}

void RenderStatsClear()
{
    g_queue.stats = RenderStats();
    PrimBatchClearDrawCalls();
}

const RenderStats& RenderStatsGet()
{
    g_queue.stats.batchDraws = PrimBatchDrawCalls();
    return g_queue.stats;
}

void RenderStatsCountTextureBind(bool bound)
{
    if (bound)
        ++g_queue.stats.textureBinds;
}

bool SphereInFrustum(float x, float y, float z, float radius, const Frustum* planes)
{
    if (!planes)
        return true;
    for (int i = 0; i < kFrustumFar; ++i)
    {
        const float* p = planes->planes[i];
        if (p[0] * x + p[1] * y + p[2] * z + p[3] < -radius)
            return false;
    }
    return true;
}

bool RenderItemStateLess(const RenderItem& a, const RenderItem& b)
{
    if (a.texture != b.texture)
        return std::greater<const Texture*>()(a.texture, b.texture);
    return std::greater<const ModelMesh*>()(a.mesh, b.mesh);
}

bool RenderItemTransparentLess(const RenderItem& a, const RenderItem& b)
{
    if (a.mesh->sortOrder != b.mesh->sortOrder)
        return a.mesh->sortOrder > b.mesh->sortOrder;
    return a.depth > b.depth;
}

void DrawOpaque(int set)
{
    SetCurrentUniformInt("numjoints", 0);
    GLBlendOff();
    DrawBucket(kRenderBucketOpaque, RenderItemStateLess, false, set);
    DrawShaderBuckets();
}

void DrawAlpha(int set)
{
    GLBlendAlpha();
    DrawBucket(kRenderBucketAlpha, RenderItemTransparentLess, false, set);
    GLBlendOff();
}

void DrawAdditive(int set)
{
    DrawBlended(kRenderBucketAdditive, set, GLBlendAdditive);
}

void DrawSubtractive(int set)
{
    DrawBlended(kRenderBucketSubtractive, set, GLBlendSubtractive);
}

void DrawFadingList()
{
    SetCurrentUniformInt("numjoints", 0);
    SetCurrentUniformFloat("alpha", 1.0f);
    DrawItemList(g_queue.fading, RenderItemStateLess, RenderItemSetFadeAlpha);
    SetCurrentUniformInt("numjoints", 0);
    SetCurrentUniformFloat("alpha", 1.0f);
}

void DrawShaderBuckets()
{
    for (ShaderBucket* bucket : g_queue.activeShaderBuckets)
    {
        if (!bucket->program && bucket->programName)
            bucket->program = ShaderLoad(bucket->programName);
        ShaderBind(bucket->program);
        DrawItemList(bucket->items, bucket->sort == 1 ? RenderItemStateLess : nullptr, nullptr);
        bucket->items.clear();
        bucket->queued = 0;
    }
    g_queue.activeShaderBuckets.clear();
}

void DrawBucket(int bucket, RenderItemLess less, bool geometryOnly, int set)
{
    if (!g_queue.enabled[bucket])
        return;
    DrawWalk(g_queue.buckets[set][bucket], less, nullptr, geometryOnly);
}

void DrawItemList(RenderItemList& items, RenderItemLess less, RenderItemCallback callback)
{
    DrawWalk(items, less, callback, false);
}

void RenderItemDraw(const RenderItem& item, bool geometryOnly)
{
    const ModelMesh& mesh = *item.mesh;
    GLPushMatrix();
    const ModelMaterial* material = item.material >= 0 && item.material < mesh.GetMaterialCount()
                                        ? &mesh.materials[size_t(item.material)]
                                        : nullptr;
    uint32_t overrideBits = 0;
    if (material && item.instance)
        overrideBits = item.instance->BindMaterialOverride(material->name);

    const ModelNode* node =
        item.node >= 0 && item.node < mesh.GetNodeCount() ? &mesh.nodes[size_t(item.node)] : nullptr;
    Mat4 animated;
    if (node && node->objAnim && ObjAnimGetMatrix(node->objAnim, animated, item.animationFrame))
        GLMultMatrix(animated);

    // Every item sets its joint count, so a static item never inherits the
    // palette of the skinned item before it.
    if (ShaderProgram* program = ShaderGetCurrent())
    {
        if (RenderItemIsSkinned(item))
            SetBones(program, item.palette, mesh.GetJointCount());
        else
            ShaderSetUniformInt(program, "numjoints", 0);
    }
    if (VertexMapBind(mesh.vertexMap))
        ++g_queue.stats.vertexMapBinds;
    if (!geometryOnly)
    {
        ApplyCulling(material, item.instance);
        BindMaterialTexture(item, material, overrideBits);
    }
    if (material)
        DrawMaterialRange(mesh, *material);
    ++g_queue.stats.itemsDrawn;
    glMatrixMode(GL_MODELVIEW);
    GLPopMatrix();
}
