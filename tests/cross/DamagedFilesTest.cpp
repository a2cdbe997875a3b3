// The model, animation and side-file readers over many damaged copies of
// good files: each copy is refused or read, never read past its bytes (the
// sanitizers watch), and a refusal reports at most once.

#include "ModelFixtures.h"
#include "core/Random.h"
#include "cross/AnimBuffer.h"
#include "cross/ModelFile.h"
#include "cross/ObjAnim.h"
#include "cross/UVAnim.h"
#include "support/LogCapture.h"
#include "tools/formats/SideAnimWriter.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{
constexpr int kCopies = 1500;

// Copies with one to four bytes set to values that matter to readers
// (0, 0xFF, 0x80, 0x7F, or anything), from a fixed seed.
void ForEachDamagedCopy(const std::vector<uint8_t>& good,
                        const std::function<void(std::vector<uint8_t>&)>& read)
{
    RandSeed(20261210);
    const uint8_t kTelling[] = {0x00, 0xFF, 0x80, 0x7F};
    for (int copy = 0; copy < kCopies; ++copy)
    {
        std::vector<uint8_t> bytes = good;
        const int changes = 1 + Rand() % 4;
        for (int c = 0; c < changes; ++c)
        {
            const size_t at = size_t(Rand()) * 32768u % bytes.size() + size_t(Rand()) % 32768u;
            const int kind = Rand() % 5;
            bytes[at % bytes.size()] = kind < 4 ? kTelling[kind] : uint8_t(Rand());
        }
        if (Rand() % 8 == 0)
            bytes.resize(size_t(Rand()) % bytes.size());
        read(bytes);
    }
}
} // namespace

TEST(DamagedFiles, ModelReaderRefusesOrReadsEveryCopy)
{
    for (uint32_t version : {99u, 104u})
        ForEachDamagedCopy(ChModelWrite(QuadModel(version)),
                           [](std::vector<uint8_t>& bytes)
                           {
                               LogCapture log;
                               ModelFile file;
                               if (!ModelFileParse(bytes.data(), bytes.size(), false, "m", file))
                                   EXPECT_EQ(log.Lines().size(), 1u);
                               else
                                   EXPECT_TRUE(log.Lines().empty());
                           });
}

TEST(DamagedFiles, AnimationReaderRefusesOrReadsEveryCopy)
{
    for (uint32_t version : {3u, 4u})
    {
        ChAnim anim = ChainAnim(version, 3, 4);
        anim.animations[0].flags = 0x2;
        anim.animations[0].positionJointCount = 1;
        anim.animations[0].positionMask = 0x2;
        anim.animations[0].positionKeys.assign(4, Vec4(1, 2, 3, 0));
        ForEachDamagedCopy(ChAnimWrite(anim),
                           [](std::vector<uint8_t>& bytes)
                           {
                               LogCapture log;
                               AnimFile file;
                               if (!AnimFileParse(bytes.data(), bytes.size(), false, "a", 0, file))
                               {
                                   EXPECT_EQ(log.Lines().size(), 1u);
                                   return;
                               }
                               AnimBuffer buffer(4);
                               ASSERT_TRUE(buffer.Append(file, "a"));
                               std::vector<Mat4> pose(size_t(buffer.GetJointCount()) + 1);
                               buffer.EvaluateTime(0, 12.5f, pose.data());
                           });
    }
}

TEST(DamagedFiles, SideFileReadersRefuseOrReadEveryCopy)
{
    UVSideFile uv;
    uv.tracks.push_back({"water", {}, 0, {0, 0, 0.5f, 0, 0.25f, 1}});
    uv.tracks.push_back({"foam", {}, 0, {1, 1}});
    ForEachDamagedCopy(UVSideWrite(uv),
                       [](std::vector<uint8_t>& bytes)
                       {
                           std::unique_ptr<UVAnimSet> set = UVAnimParse(bytes.data(), bytes.size(), false);
                           if (!set)
                               return;
                           UVAnimEnter(set.get());
                           UVAnimUpdateAll(3.7f);
                           float u, v;
                           for (const UVAnimTrack& track : set->tracks)
                               UVAnimGetUV(&track, u, v);
                       });
    ObjSideFile obj;
    obj.tracks.push_back({"blade", {}, 1, {Mat4Identity(), Mat4Identity()}});
    ForEachDamagedCopy(ObjSideWrite(obj),
                       [](std::vector<uint8_t>& bytes)
                       {
                           std::unique_ptr<ObjAnimSet> set = ObjAnimParse(bytes.data(), bytes.size(), false);
                           if (!set)
                               return;
                           ObjAnimEnter(set.get());
                           ObjAnimUpdateAll(3.7f);
                           Mat4 m;
                           for (const ObjAnimTrack& track : set->tracks)
                               ObjAnimGetMatrix(&track, m, -1);
                       });
    EXPECT_EQ(UVAnimListSize(), 0u);
    EXPECT_EQ(ObjAnimListSize(), 0u);
}
