#pragma once
// The render queue: world objects do not draw themselves. Each visible
// object's render instance submits one item per visible (mesh node,
// material) pair of its model during the scene pass; the passes then draw
// the queue bucket by bucket with the GL state each bucket needs. Skinned
// items (set 0) and static items (set 1) have their own buckets because they
// need different programs; nearly faded skinned items wait in a fading list;
// a model may send its items to a shader bucket of its own.

#include "core/Mat4.h"
#include "core/Vec4.h"
#include "opengl/Frustum.h"

#include <cstdint>
#include <vector>

class Model;
struct ModelMesh;
class RenderInstance;
class Texture;
struct ShaderProgram;

// One queued draw. The matrix holds the whole model-view (view, object and
// node), so drawing loads it rather than multiplying it onto the view.
struct RenderItem
{
    Mat4 modelView;
    const ModelMesh* mesh = nullptr;
    const Model* model = nullptr;
    RenderInstance* instance = nullptr;
    Texture* texture = nullptr;
    int material = 0;
    int node = 0;
    float depth = 0.0f;
    int32_t animationFrame = -1;
    const Mat4* palette = nullptr;
};

using RenderItemList = std::vector<RenderItem>;

enum RenderItemSet
{
    kRenderSetSkinned = 0,
    kRenderSetStatic = 1,
    kRenderSetCount = 2,
};

enum RenderBucket
{
    kRenderBucketOpaque = 0,
    kRenderBucketAlpha = 1,
    kRenderBucketAdditive = 2,
    kRenderBucketSubtractive = 3,
    kRenderBucketCount = 4,
};

// Tested against a mesh's flag word; a flag word of 0 is opaque too.
constexpr uint32_t kRenderBucketMasks[kRenderBucketCount] = {0xfffffe7e, 0x1, 0x80, 0x100};
// A skinned opaque item whose instance has faded below this waits in the
// fading list.
constexpr float kRenderFadingBelow = 0.0078125f;
constexpr int kRenderMaxJoints = 48;
constexpr float kRenderNoDepth = 1000000.0f;

struct ShaderBucket
{
    uint8_t sort = 0; // 1: sorted like opaque items
    const char* programName = nullptr;
    uint8_t queued = 0;
    ShaderProgram* program = nullptr; // loaded on first use
    RenderItemList items;
};

struct RenderStats
{
    uint32_t triangles;
    uint32_t indices;
    uint32_t modelViewRestores;
    uint32_t itemsDrawn;
    uint32_t elementDraws;
    uint32_t batchDraws;
    uint32_t vertexMapBinds;
    uint32_t textureBinds;
};

using RenderItemLess = bool (*)(const RenderItem& a, const RenderItem& b);
using RenderItemCallback = void (*)(RenderInstance* instance);

void RenderQueueClear();
// Where a submitted item goes: the bucket of its set, the fading list, or
// nowhere (null) when no mask matches the mesh's flags.
RenderItemList* RenderQueueTarget(const RenderItem& item, uint32_t meshFlags, bool skinned, float fade);
// Enters the bucket into the active list once per frame; returns its items.
RenderItemList* RenderQueueShaderBucket(ShaderBucket* bucket);
RenderItemList& RenderQueueBucket(int set, int bucket);
RenderItemList& RenderQueueFadingList();
const std::vector<ShaderBucket*>& RenderQueueActiveShaderBuckets();
void RenderQueueEnableBucket(int bucket, bool enabled);
// The static bucket of the foliage model, drawn with "basic16".
ShaderBucket* RenderQueueStaticShaderBucket();
// Drops the shader buckets' programs (shutdown).
void RenderQueueReleasePrograms();

bool RenderItemIsSkinned(const RenderItem& item);
// Sets "alpha" on the current program to the item instance's fade, within 0..1.
void RenderItemSetFadeAlpha(RenderInstance* instance);

void RenderStatsClear();
const RenderStats& RenderStatsGet();
void RenderStatsCountTextureBind(bool bound);

// True when no planes are given or the sphere is not wholly behind any of
// the first five planes (the far plane is not tested).
bool SphereInFrustum(float x, float y, float z, float radius, const Frustum* planes);

// State order: by texture, then mesh (drawn backwards, ascending addresses).
bool RenderItemStateLess(const RenderItem& a, const RenderItem& b);
// Transparent order: by the mesh's sort order, then depth.
bool RenderItemTransparentLess(const RenderItem& a, const RenderItem& b);

void DrawOpaque(int set);
void DrawAlpha(int set);
void DrawAdditive(int set);
void DrawSubtractive(int set);
void DrawFadingList();
void DrawShaderBuckets();
void DrawBucket(int bucket, RenderItemLess less, bool geometryOnly, int set);
void DrawItemList(RenderItemList& items, RenderItemLess less, RenderItemCallback callback);
void RenderItemDraw(const RenderItem& item, bool geometryOnly);
