// The built demo tree's effects: every definition loads without a report,
// and the effects made of lights, sounds, meshes and spawns run from it.
#include "SceneKindsFixture.h"

#include "core/FileTable.h"
#include "cross/AnimBuffer.h"
#include "cross/RenderQueue.h"
#include "fx/EMesh.h"
#include "fx/ESpawn.h"
#include "fx/FXEffectFile.h"
#include "opengl/GLState.h"
#include "opengl/ShaderProgram.h"
#include "support/LogCapture.h"
#include "support/gl/GLTestContext.h"

#include <vector>

namespace
{
class DemoEffectsTest : public GLContextTest, protected SceneKindsEffects
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SetUpEffects();
        FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
        ShaderSetRoot("shaders/GLSL/");
    }

    void TearDown() override
    {
        if (!IsSkipped())
        {
            TearDownEffects();
            UnmountDataTree();
        }
        GLContextTest::TearDown();
    }

    static std::vector<int32_t> Types(const char* name)
    {
        std::vector<int32_t> types;
        const FXEffectDef* effect = FXFindEffectDef(HashString(name));
        for (int i = 0; effect != nullptr && i < effect->elementCount; ++i)
            types.push_back(FXGetElementDef(effect->firstElement + i)->type);
        return types;
    }
};
} // namespace

TEST_F(DemoEffectsTest, TheSceneEffectsLoadWithoutAReport)
{
    LogCapture log;
    FXInit("effects");
    EXPECT_TRUE(log.Empty()) << log.Text();
    struct Case
    {
        const char* name;
        std::vector<int32_t> types;
    };
    const Case cases[] = {
        {"lamp", {kFXLight}},
        {"spark_gold", {kFXLight}},
        {"spark_blue", {kFXLight}},
        {"spark_red", {kFXLight}},
        {"fireworks", {kFXSpawn, kFXSpawn, kFXSpawn}},
        {"fireball", {kFXLight, kFXSound}},
        {"crystal", {kFXMesh, kFXLight}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Types(c.name), c.types) << c.name;
    const FXEffectDef* crystal = FXFindEffectDef(HashString("crystal"));
    ASSERT_NE(crystal, nullptr);
    const FXElementDef* mesh = FXGetElementDef(crystal->firstElement);
    EXPECT_NE(mesh->model, nullptr);
    EXPECT_NE(mesh->anim, nullptr);
}

TEST_F(DemoEffectsTest, TheFireworksLightTheirBurstsAndTheCrystalIsQueued)
{
    FXInit("effects");
    const FX fireworks = Create("fireworks");
    ASSERT_TRUE(fireworks.IsValid());
    for (int i = 0; i < 30; ++i)
        FXStep(1.0f / 30.0f);
    // Each spawner's first burst, and any at their rates since.
    EXPECT_GE(FXLiveInstanceCount(), 4);
    EXPECT_GE(LightManagerInstance().PointLights().size(), 3u);

    const FX crystal = Create("crystal");
    ASSERT_TRUE(crystal.IsValid());
    FXStep(0.5f);
    FXElementNode* node = crystal.instance->elements;
    while (node != nullptr && node->def->type != kFXMesh)
        node = node->next;
    ASSERT_NE(node, nullptr);
    RenderQueueClear();
    GLLoadIdentity();
    node->element->Render(crystal.instance->matrix);
    size_t posed = 0;
    for (int bucket = 0; bucket < kRenderBucketCount; ++bucket)
        for (const RenderItem& item : RenderQueueBucket(kRenderSetSkinned, bucket))
            posed += item.palette == static_cast<EMesh*>(node->element)->Bones();
    EXPECT_EQ(posed, 1u);
}
