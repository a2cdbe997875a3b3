// The render queue's decisions that need no GL: bucket routing, culling,
// orders and hidden meshes.

#include "cross/RenderQueue.h"
#include "cross/RenderInstance.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
TEST(RenderQueueTest, ItemsGoToTheLastBucketTheirMeshFlagsMatch)
{
    struct Case
    {
        uint32_t flags;
        bool skinned;
        float fade;
        int set;
        int bucket; // -1 fading list, -2 nowhere
    };
    const Case cases[] = {
        {0x0, false, 1.0f, kRenderSetStatic, kRenderBucketOpaque},
        {0x2, false, 1.0f, kRenderSetStatic, kRenderBucketOpaque},
        {0x1, false, 1.0f, kRenderSetStatic, kRenderBucketAlpha},
        {0x81, false, 1.0f, kRenderSetStatic, kRenderBucketAdditive},
        {0x100, true, 1.0f, kRenderSetSkinned, kRenderBucketSubtractive},
        {0x181, true, 1.0f, kRenderSetSkinned, kRenderBucketSubtractive},
        {0x0, true, 0.5f, kRenderSetSkinned, kRenderBucketOpaque},
        {0x0, true, 0.005f, kRenderSetSkinned, -1},
        {0x0, false, 0.005f, kRenderSetStatic, kRenderBucketOpaque},
        {0x81, true, 0.005f, kRenderSetSkinned, kRenderBucketAdditive},
    };
    for (const Case& c : cases)
    {
        RenderQueueClear();
        RenderItem item;
        RenderItemList* target = RenderQueueTarget(item, c.flags, c.skinned, c.fade);
        RenderItemList* expected =
            c.bucket == -1 ? &RenderQueueFadingList() : &RenderQueueBucket(c.set, c.bucket);
        EXPECT_EQ(target, expected) << std::hex << c.flags << " skinned " << c.skinned << " fade " << c.fade;
    }
}

TEST(RenderQueueTest, SpheresAreCulledOnlyWhenWhollyBehindOneOfTheFirstFivePlanes)
{
    Frustum box;
    // A unit box: x, y and z within -1..1 (each plane faces inward).
    const float planes[6][4] = {{1, 0, 0, 1},  {-1, 0, 0, 1}, {0, 1, 0, 1},
                                {0, -1, 0, 1}, {0, 0, 1, 1},  {0, 0, -1, 1}};
    std::copy(&planes[0][0], &planes[0][0] + 24, &box.planes[0][0]);
    struct Case
    {
        float x, y, z, r;
        bool visible;
    } cases[] = {{0, 0, 0, 0.1f, true},  {-3, 0, 0, 1.5f, false}, {-3, 0, 0, 2.5f, true},
                 {0, 5, 0, 1.0f, false}, {0, 0, -9, 1.0f, false}, {0, 0, 9, 1.0f, true}};
    for (const Case& c : cases)
        EXPECT_EQ(SphereInFrustum(c.x, c.y, c.z, c.r, &box), c.visible) << c.x << " " << c.y << " " << c.z;
    EXPECT_TRUE(SphereInFrustum(1e9f, 1e9f, 1e9f, 0.0f, nullptr));
}

TEST(RenderQueueTest, DrawnBackwardsItemsComeInAscendingTextureThenMeshOrder)
{
    Texture* textures[2] = {reinterpret_cast<Texture*>(0x2000), reinterpret_cast<Texture*>(0x1000)};
    const ModelMesh* meshes[2] = {reinterpret_cast<const ModelMesh*>(0x40),
                                  reinterpret_cast<const ModelMesh*>(0x80)};
    RenderItemList items;
    for (Texture* texture : textures)
        for (const ModelMesh* mesh : meshes)
        {
            RenderItem item;
            item.texture = texture;
            item.mesh = mesh;
            items.push_back(item);
        }
    std::sort(items.begin(), items.end(), RenderItemStateLess);
    std::reverse(items.begin(), items.end());
    for (size_t i = 1; i < items.size(); ++i)
    {
        const RenderItem& a = items[i - 1];
        const RenderItem& b = items[i];
        EXPECT_TRUE(a.texture < b.texture || (a.texture == b.texture && a.mesh < b.mesh)) << i;
    }
}

TEST(RenderInstanceTest, HidingIsByNameHashWithoutDuplicatesAndUnhidingRemovesEveryCopy)
{
    RenderInstance instance;
    instance.HideMesh("arm", true);
    instance.HideMesh("arm", true);
    instance.HideMesh("leg", true);
    EXPECT_EQ(instance.m_hiddenMeshes.size(), 2u);
    EXPECT_TRUE(instance.IsMeshHidden("node", "arm"));
    EXPECT_TRUE(instance.IsMeshHidden("leg", "skin"));
    EXPECT_FALSE(instance.IsMeshHidden("node", "skin"));
    instance.m_hiddenMeshes.push_back(instance.m_hiddenMeshes[0]);
    instance.HideMesh("arm", false);
    EXPECT_FALSE(instance.IsMeshHidden("arm", "arm"));
    EXPECT_TRUE(instance.IsMeshHidden("leg", "leg"));
}
} // namespace
