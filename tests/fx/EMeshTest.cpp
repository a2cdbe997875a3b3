// Mesh elements: drawn in pass 0 only, queued at the instance's transform and
// posed by their animation at the element's age.
#include "SceneKindsFixture.h"
#include "cross/ModelFixtures.h"

#include "core/FileTable.h"
#include "cross/AnimBuffer.h"
#include "cross/ModelCache.h"
#include "cross/RenderQueue.h"
#include "fx/EMesh.h"
#include "opengl/GLState.h"
#include "support/TempDir.h"
#include "support/gl/GLTestContext.h"
#include "tools/formats/TgaWriter.h"

namespace
{
constexpr int kFrames = 4;
constexpr int kRate = 10;

class EMeshTest : public GLContextTest, protected SceneKindsEffects
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        SetUpEffects();
        const std::vector<uint8_t> white(4 * 4 * 4, 255);
        const std::vector<uint8_t> texture = TgaWrite(white.data(), 4, 4, {});
        ASSERT_TRUE(m_dir.WriteFile("data/fxm/tree.tga", texture.data(), texture.size()));
        const std::vector<uint8_t> model = ChModelWrite(QuadModel(104));
        ASSERT_TRUE(m_dir.WriteFile("data/fxm/crystal.chmodel", model.data(), model.size()));
        // Joint 1 stands at x = the frame number in each frame.
        ChAnim anim = ChainAnim(4, 2, kFrames);
        ChAnimAnimation& animation = anim.animations[0];
        animation.rate = kRate;
        animation.positionJointCount = 1;
        animation.positionMask = 0x2;
        for (int frame = 0; frame < kFrames; ++frame)
            animation.positionKeys.push_back(Vec4(float(frame), 0, 0, 0));
        const std::vector<uint8_t> animBytes = ChAnimWrite(anim);
        ASSERT_TRUE(m_dir.WriteFile("data/fxm/crystal.chanim", animBytes.data(), animBytes.size()));
        FileTableMountDataTree(m_dir.Root().c_str());
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

    // "crystal": one mesh element after the start delay, its model and
    // animation loaded (either may be left out).
    EMesh* MakeCrystal(bool withModel, bool withAnim, float startDelay = 0.0f)
    {
        FXEffectDef& effect = AddEffect("crystal");
        FXElementDef& mesh = AddElement(effect, kFXMesh, 10.0f);
        mesh.startDelay = startDelay;
        if (withModel)
            mesh.model = ModelCache("fxm/crystal.chmodel");
        if (withAnim)
            mesh.anim = AnimCache("fxm/crystal.chanim", 1, 0);
        EXPECT_TRUE(!withModel || mesh.model);
        EXPECT_TRUE(!withAnim || mesh.anim);
        m_effect = Create("crystal");
        EXPECT_TRUE(m_effect.IsValid());
        return m_effect.IsValid() ? static_cast<EMesh*>(m_effect.instance->elements->element) : nullptr;
    }

    // Everything queued since the last clear.
    static std::vector<RenderItem> Queued()
    {
        std::vector<RenderItem> items;
        for (int set = 0; set < kRenderSetCount; ++set)
            for (int bucket = 0; bucket < kRenderBucketCount; ++bucket)
                for (const RenderItem& item : RenderQueueBucket(set, bucket))
                    items.push_back(item);
        for (const RenderItem& item : RenderQueueFadingList())
            items.push_back(item);
        return items;
    }

    void Draw(EMesh& mesh)
    {
        RenderQueueClear();
        GLLoadIdentity();
        mesh.Render(m_effect.instance->matrix);
    }

    TempDir m_dir;
    FX m_effect;
};

bool SameMatrix(const Mat4& a, const Mat4& b)
{
    for (int i = 0; i < 16; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}
} // namespace

TEST_F(EMeshTest, DrawnInTheOpaquePassOnly)
{
    EMesh mesh;
    EXPECT_TRUE(mesh.IsDrawnInPass(0));
    EXPECT_FALSE(mesh.IsDrawnInPass(1));
}

TEST_F(EMeshTest, QueuedAtTheInstanceWithItsPose)
{
    EMesh* mesh = MakeCrystal(true, true);
    ASSERT_NE(mesh, nullptr);
    m_effect.SetPos(Vec3(5, 0, -3));
    FXStep(0.05f);
    Draw(*mesh);
    const std::vector<RenderItem> items = Queued();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].palette, mesh->Bones());
    EXPECT_EQ(items[0].instance, mesh->Instance());
    EXPECT_TRUE(RenderItemIsSkinned(items[0]));
    // The model's node stands 2 up from the instance.
    EXPECT_FLOAT_EQ(items[0].modelView[12], 5.0f);
    EXPECT_FLOAT_EQ(items[0].modelView[13], 2.0f);
    EXPECT_FLOAT_EQ(items[0].modelView[14], -3.0f);
    Mat4 after;
    GLGetModelView(after);
    EXPECT_TRUE(SameMatrix(after, Mat4Identity())) << "the matrix stack is left as found";
}

TEST_F(EMeshTest, PosedAtItsAgeAfterTheStartDelay)
{
    EMesh* mesh = MakeCrystal(true, true, 1.0f);
    ASSERT_NE(mesh, nullptr);
    const AnimBuffer& anim = *FXGetDefinitionTables().elements[0].anim;
    Mat4 first[2], last[2];
    ASSERT_TRUE(anim.EvaluateFrame(0, 0, first));
    ASSERT_TRUE(anim.EvaluateFrame(0, kFrames - 1, last));
    ASSERT_FALSE(SameMatrix(first[1], last[1])) << "frames must differ for this test to tell them apart";

    struct Case
    {
        float timer; // since creation
        int frame;
    };
    // Mid-frame ages, so rounding cannot move a frame; 0.45 s wraps round.
    const Case cases[] = {{1.05f, 0}, {1.15f, 1}, {1.25f, 2}, {1.35f, 3}, {1.45f, 0}};
    float elapsed = 0.0f;
    for (const Case& c : cases)
    {
        FXStep(c.timer - elapsed);
        elapsed = c.timer;
        Draw(*mesh);
        Mat4 expected[2];
        ASSERT_TRUE(anim.EvaluateFrame(0, c.frame, expected));
        for (int joint = 0; joint < 2; ++joint)
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(mesh->Bones()[joint][i], expected[joint][i], 1e-5f)
                    << "time " << c.timer << " joint " << joint << " element " << i;
    }
}

TEST_F(EMeshTest, WithoutAnAnimationTheModelIsQueuedUnposed)
{
    EMesh* mesh = MakeCrystal(true, false);
    ASSERT_NE(mesh, nullptr);
    FXStep(0.1f);
    Draw(*mesh);
    const std::vector<RenderItem> items = Queued();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].palette, nullptr);
    EXPECT_FALSE(RenderItemIsSkinned(items[0]));
}

TEST_F(EMeshTest, AModelThatDidNotLoadDrawsNothing)
{
    EMesh* mesh = MakeCrystal(false, true);
    ASSERT_NE(mesh, nullptr);
    FXStep(0.1f);
    Draw(*mesh);
    EXPECT_TRUE(Queued().empty());
    Mat4 after;
    GLGetModelView(after);
    EXPECT_TRUE(SameMatrix(after, Mat4Identity()));
}
