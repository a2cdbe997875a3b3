// Skeletal animation: the file reader, appends into one buffer, the cache,
// and the evaluation of poses against matrices worked by hand.

#include "cross/AnimBuffer.h"
#include "ModelFixtures.h"
#include "core/FileTable.h"
#include "core/Hash.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace
{
constexpr float kHalfRoot2 = 0.70710678f;
// A quarter turn about z, counter-clockwise seen from +z.
const Quaternion kQuarterTurnZ(0.0f, 0.0f, kHalfRoot2, kHalfRoot2);

void ExpectPoint(const Mat4& m, const Vec3& in, const Vec3& expected)
{
    const Vec3 out = Mat4TransformPoint(m, in);
    EXPECT_NEAR(out.x, expected.x, 1e-5f);
    EXPECT_NEAR(out.y, expected.y, 1e-5f);
    EXPECT_NEAR(out.z, expected.z, 1e-5f);
}

// A root at the origin and an elbow one unit along x. Frame 0 turns the root
// a quarter about z and moves the elbow 0.5 along x; frame 1 turns the elbow.
ChAnim ArmAnim(uint32_t version)
{
    ChAnim anim = ChainAnim(version, 2, 2);
    ChAnimAnimation& animation = anim.animations[0];
    animation.rotationKeys = {kQuarterTurnZ, Quaternion(), Quaternion(), kQuarterTurnZ};
    if (version >= 3)
    {
        animation.flags = 0x2;
        animation.positionJointCount = 1;
        animation.positionMask = 0x2;
        animation.positionKeys = {Vec4(0.5f, 0, 0, 0), Vec4(0, 0, 0, 0)};
    }
    return anim;
}

bool Parse(const std::vector<uint8_t>& bytes, AnimFile& file, uint32_t identifier = 0)
{
    return AnimFileParse(bytes.data(), bytes.size(), false, "arm.chanim", identifier, file);
}

AnimBuffer BufferOf(const ChAnim& anim, int maximum = 8)
{
    AnimFile file;
    EXPECT_TRUE(Parse(ChAnimWrite(anim), file));
    AnimBuffer buffer(maximum);
    EXPECT_TRUE(buffer.Append(file, "arm.chanim"));
    return buffer;
}
} // namespace

TEST(AnimBuffer, ATwoJointArmPosesAsWorkedByHand)
{
    for (uint32_t version : {3u, 4u})
    {
        SCOPED_TRACE(version);
        const AnimBuffer buffer = BufferOf(ArmAnim(version));
        ASSERT_EQ(buffer.GetJointCount(), 2);
        EXPECT_EQ(buffer.GetJoint(1).parent, 0);
        EXPECT_EQ(buffer.GetJoint(1).nameHash, HashString("joint1"));
        const Animation* animation = buffer.GetAnimation(0);
        ASSERT_TRUE(animation);
        EXPECT_EQ(animation->positionMask, 0x2u);
        EXPECT_EQ(animation->positionJointCount, 1u);

        Mat4 pose[2];
        ASSERT_TRUE(buffer.EvaluateFrame(0, 0, pose));
        // Root: the quarter turn. Elbow: moved 0.5 along x, then turned with the root.
        ExpectPoint(pose[0], Vec3(1, 0, 0), Vec3(0, 1, 0));
        ExpectPoint(pose[1], Vec3(1, 0, 0), Vec3(0, 1.5f, 0));
        ExpectPoint(pose[1], Vec3(0, 0, 0), Vec3(0, 0.5f, 0));

        ASSERT_TRUE(buffer.EvaluateFrame(0, 1, pose));
        ExpectPoint(pose[0], Vec3(1, 0, 0), Vec3(1, 0, 0));
        // The elbow turns about itself: a point one further along swings up.
        ExpectPoint(pose[1], Vec3(2, 0, 0), Vec3(1, 1, 0));
        ExpectPoint(pose[1], Vec3(1, 0, 0), Vec3(1, 0, 0));
    }
}

TEST(AnimBuffer, OnlyVersionsThreeAndFourCarryPositions)
{
    const AnimBuffer buffer = BufferOf(ArmAnim(2));
    EXPECT_EQ(buffer.GetAnimation(0)->positionMask, 0u);
    Mat4 pose[2];
    ASSERT_TRUE(buffer.EvaluateFrame(0, 0, pose));
    ExpectPoint(pose[1], Vec3(1, 0, 0), Vec3(0, 1, 0));
}

TEST(AnimBuffer, TimeWrapsIntoTheFrames)
{
    ChAnim anim = ChainAnim(4, 1, 4);
    ChAnimAnimation& animation = anim.animations[0];
    animation.positionJointCount = 1;
    animation.positionMask = 1;
    for (int frame = 0; frame < 4; ++frame)
        animation.positionKeys.push_back(Vec4(float(frame), 0, 0, 0));
    const AnimBuffer buffer = BufferOf(anim);
    EXPECT_EQ(buffer.GetRate(0), 10);
    EXPECT_EQ(buffer.GetFrameCount(0), 4);
    EXPECT_FLOAT_EQ(buffer.GetLength(0), 0.4f);

    const std::pair<float, float> cases[] = {
        {0.0f, 0.0f},   {0.25f, 2.0f},  {0.39f, 3.0f},    {0.45f, 0.0f}, {1.25f, 0.0f},
        {-0.15f, 3.0f}, {3.0e9f, 0.0f}, {INFINITY, 0.0f}, {NAN, 0.0f},
    };
    for (const auto& row : cases)
    {
        Mat4 pose[1];
        ASSERT_TRUE(buffer.EvaluateTime(0, row.first, pose));
        EXPECT_EQ(pose[0][12], row.second) << "time " << row.first;
    }
    Mat4 pose[1];
    ASSERT_TRUE(buffer.EvaluateFrame(0, 6, pose));
    EXPECT_EQ(pose[0][12], 2.0f);
}

TEST(AnimBuffer, InvalidIndicesGiveDefaults)
{
    const AnimBuffer buffer = BufferOf(ArmAnim(4));
    EXPECT_EQ(buffer.GetRate(-1), 30);
    EXPECT_EQ(buffer.GetRate(1), 30);
    EXPECT_EQ(buffer.GetFrameCount(-1), 0);
    EXPECT_EQ(buffer.GetLength(5), 0.0f);
    EXPECT_EQ(buffer.GetJointBindMatrix(1)[12], 1.0f);
    EXPECT_EQ(buffer.GetJointBindMatrix(2)[12], 0.0f);
    Mat4 pose[2];
    EXPECT_FALSE(buffer.EvaluateTime(1, 0.0f, pose));
}

TEST(AnimBuffer, DamagedFilesAreRefusedWithOneReport)
{
    const std::pair<const char*, std::function<void(ChAnim&)>> faults[] = {
        {"a parent after its joint", [](ChAnim& a) { a.joints[0].parent = 1; }},
        {"a joint its own parent", [](ChAnim& a) { a.joints[1].parent = 1; }},
        {"129 joints", [](ChAnim& a) { a.joints.resize(129); }},
        {"more animation joints than the skeleton", [](ChAnim& a) { a.animations[0].jointCount = 3; }},
        {"no frames", [](ChAnim& a) { a.animations[0].frameCount = 0; }},
        {"mask and count differ", [](ChAnim& a) { a.animations[0].positionJointCount = 2; }},
        {"mask past the joints",
         [](ChAnim& a) { a.animations[0].positionMask = 0x4, a.animations[0].positionJointCount = 1; }},
        {"version 3 positions without joint 1",
         [](ChAnim& a)
         {
             a.version = 3;
             a.joints.resize(1);
             a.animations[0].jointCount = 1;
             a.animations[0].rotationKeys.resize(2);
         }},
    };
    for (const auto& fault : faults)
    {
        SCOPED_TRACE(fault.first);
        ChAnim anim = ArmAnim(4);
        fault.second(anim);
        LogCapture log;
        AnimFile file;
        EXPECT_FALSE(Parse(ChAnimWrite(anim), file));
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0].find("Animation arm.chanim is damaged: "), 0u) << log.Lines()[0];
        EXPECT_TRUE(file.animations.empty());
    }
}

TEST(AnimBuffer, EveryTruncationIsRefused)
{
    for (uint32_t version : {2u, 3u, 4u})
    {
        const std::vector<uint8_t> bytes = ChAnimWrite(ArmAnim(version));
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            LogCapture log;
            AnimFile file;
            EXPECT_FALSE(AnimFileParse(bytes.data(), size, false, "a", 0, file)) << size;
            EXPECT_EQ(log.Lines().size(), 1u) << size;
        }
    }
}

namespace
{
class AnimCacheTest : public testing::Test
{
protected:
    void TearDown() override
    {
        AnimFreeAll();
        FileWatchInit("");
        FileTableRebuild("no such folder");
    }

    void Write(const std::string& name, const ChAnim& anim)
    {
        const std::vector<uint8_t> bytes = ChAnimWrite(anim);
        ASSERT_TRUE(dir.WriteFile("data/" + name, bytes.data(), bytes.size()));
    }

    TempDir dir;
};
} // namespace

TEST_F(AnimCacheTest, AppendsShareTheSkeletonAndKeepTheirIdentifiers)
{
    ChAnim walk = ArmAnim(4);
    walk.animations.push_back(walk.animations[0]);
    walk.animations[1].name = "walk2";
    ChAnim fly = ArmAnim(4);
    fly.animations[0].name = "fly";
    Write("dragon/walk.chanim", walk);
    Write("dragon/fly.chanim", fly);
    Write("dragon/other.chanim", ChainAnim(4, 3, 1));
    FileTableMountDataTree(dir.Root().c_str());

    AnimBuffer* buffer = AnimCache("dragon/walk.chanim", 3, 7);
    ASSERT_TRUE(buffer);
    EXPECT_STREQ(buffer->Name(), "dragon/walk.chanim");
    EXPECT_EQ(AnimBufferAppendFile(buffer, "dragon/fly.chanim", 9), 1);
    ASSERT_EQ(buffer->GetAnimationCount(), 3);
    EXPECT_STREQ(buffer->GetAnimation(2)->name, "fly");
    EXPECT_EQ(buffer->GetAnimation(1)->identifier, 7u);
    EXPECT_EQ(buffer->GetAnimation(2)->identifier, 9u);

    const std::pair<const char*, const char*> refusals[] = {
        {"dragon/other.chanim", "Could not append dragon/other.chanim. Different number of joints.\n"},
        {"dragon/fly.chanim",
         "Animation Buffer contains 3 anims, adding 1 from dragon/fly.chanim would go over max of 3.\n"},
        {"dragon/none.chanim", "Open animation dragon/none.chanim failed.\n"},
    };
    for (const auto& row : refusals)
    {
        LogCapture log;
        EXPECT_EQ(AnimBufferAppendFile(buffer, row.first, 1), 0);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_EQ(log.Lines()[0], row.second);
        EXPECT_EQ(buffer->GetAnimationCount(), 3);
    }
}

TEST_F(AnimCacheTest, BuffersStayCachedAfterTheirLastRelease)
{
    Write("arm.chanim", ArmAnim(4));
    FileTableMountDataTree(dir.Root().c_str());
    AnimBuffer* buffer = AnimCache("arm.chanim", 4, 0);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(AnimCache("arm.chanim", 4, 0), buffer);
    EXPECT_EQ(FileTableFindEntry("arm.chanim")->refCount, 2u);
    EXPECT_EQ(FileTableFindEntry("arm.chanim")->kind, kResourceAnimation);
    AnimRelease(buffer);
    AnimRelease(buffer);
    EXPECT_EQ(FileTableFindEntry("arm.chanim")->refCount, 0u);
    EXPECT_EQ(AnimCache("arm.chanim", 4, 0), buffer);
    AnimRelease(buffer);

    LogCapture log;
    EXPECT_EQ(AnimCache("missing.chanim", 4, 0), nullptr);
    EXPECT_EQ(log.Lines().size(), 1u);
    AnimFreeAll();
    EXPECT_EQ(FileTableFindEntry("arm.chanim")->kind, kResourceGone);
}
