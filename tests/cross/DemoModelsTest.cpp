// The built demo tree: every model and animation in it loads without a
// report and is drawn lit, and the animated parts find their side tracks.

#include "core/FileTable.h"
#include "core/StringUtil.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "cross/ObjAnim.h"
#include "cross/RenderQueue.h"
#include "cross/UVAnim.h"
#include "support/LogCapture.h"
#include "support/gl/GLDrawTest.h"

#include <string>
#include <vector>

namespace
{
class DemoModelsTest : public GLDrawTest
{
protected:
    void TearDown() override
    {
        AnimFreeAll();
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLDrawTest::TearDown();
    }

    static std::vector<std::string> NamesMatching(const char* pattern)
    {
        std::vector<std::string> names;
        FileTableIterator it;
        for (it.Begin(pattern); it.NotEqual(FileTableEnd()); it.Next())
            names.push_back(it.Name());
        return names;
    }
};
} // namespace

TEST_F(DemoModelsTest, EveryModelAndAnimationLoadsWithoutAReport)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    LogCapture log;
    const std::vector<std::string> models = NamesMatching("[.]chmodel$");
    ASSERT_GE(models.size(), 6u);
    for (const std::string& name : models)
    {
        Model* model = ModelCache(name.c_str());
        ASSERT_TRUE(model) << name;
        for (int i = 0; i < Model::GetMeshCount(model); ++i)
        {
            // A mesh without a node is drawn nowhere.
            EXPECT_GE(model->GetMesh(i)->GetNodeCount(), 1) << name;
            // The demo's solid meshes go to the opaque bucket, which the
            // frame lights; the alpha bucket is drawn unlit after it.
            EXPECT_EQ(RenderQueueTarget(RenderItem(), model->GetMesh(i)->flags, false, 1.0f),
                      &RenderQueueBucket(kRenderSetStatic, kRenderBucketOpaque))
                << name << " mesh " << i << " flags " << model->GetMesh(i)->flags;
            for (int j = 0; j < model->GetMesh(i)->GetMaterialCount(); ++j)
                EXPECT_TRUE(model->GetMaterialRecord(i, j)->layers[0].texture) << name;
        }
        ModelRelease(model);
    }
    const std::vector<std::string> animations = NamesMatching("[.]chanim$");
    ASSERT_GE(animations.size(), 2u);
    for (const std::string& name : animations)
    {
        AnimBuffer* buffer = AnimCache(name.c_str(), kAnimCacheScriptMaximum, 0);
        ASSERT_TRUE(buffer) << name;
        std::vector<Mat4> pose(size_t(buffer->GetJointCount()));
        EXPECT_TRUE(buffer->EvaluateTime(0, 0.7f, pose.data())) << name;
        AnimRelease(buffer);
    }
    EXPECT_TRUE(log.Lines().empty()) << log.Lines()[0];
}

TEST_F(DemoModelsTest, TheAnimatedPartsFindTheirTracks)
{
    FileTableMountDataTree(PENDREL_BINARY_DIR "/demo/");
    Model* windmill = ModelCache("buildings/set01/Windmill01.chmodel");
    Model* water = ModelCache("terrain/set01/12_001_RiverStraight.chmodel");
    Model* dragon = ModelCache("characters/dragon/dragon-carry000-speed000.chmodel");
    ASSERT_TRUE(windmill && water && dragon);
    // The tower and cap stand still; the hub and the sails turn at the node "Blade".
    EXPECT_FALSE(windmill->GetMesh(0)->nodes[0].objAnim);
    EXPECT_TRUE(windmill->GetMesh(2)->nodes[0].objAnim);
    EXPECT_TRUE(windmill->GetMesh(3)->nodes[0].objAnim);
    EXPECT_TRUE(water->GetMaterialRecord(0, 0)->layers[0].uvAnim);
    EXPECT_EQ(dragon->GetMesh(0)->GetJointCount(), 20);

    AnimBuffer* flap = AnimCache("characters/dragon/dragon_flap.chanim", 4, 1);
    ASSERT_TRUE(flap);
    EXPECT_EQ(AnimBufferAppendFile(flap, "characters/dragon/dragon_glide.chanim", 2), 1);
    EXPECT_EQ(flap->GetJointCount(), 20);
    // A wing tip moves between two frames of the flap.
    std::vector<Mat4> first(20), later(20);
    ASSERT_TRUE(flap->EvaluateFrame(0, 0, first.data()));
    ASSERT_TRUE(flap->EvaluateFrame(0, 4, later.data()));
    const Vec3 tip = Mat4GetTranslation(flap->GetJointBindMatrix(16));
    EXPECT_GT(std::fabs(Mat4TransformPoint(later[16], tip).y - Mat4TransformPoint(first[16], tip).y), 0.5f);
    AnimRelease(flap);
    ModelRelease(windmill);
    ModelRelease(water);
    ModelRelease(dragon);
}
