// UV and object side files: versions, the per-frame update, start delays,
// and damaged files refused without a trace in the live lists.

#include "core/Random.h"
#include "cross/ObjAnim.h"
#include "cross/UVAnim.h"
#include "tools/formats/SideAnimWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
std::unique_ptr<UVAnimSet> ParseUV(const UVSideFile& file)
{
    const std::vector<uint8_t> bytes = UVSideWrite(file);
    return UVAnimParse(bytes.data(), bytes.size(), false);
}

std::unique_ptr<ObjAnimSet> ParseObj(const ObjSideFile& file)
{
    const std::vector<uint8_t> bytes = ObjSideWrite(file);
    return ObjAnimParse(bytes.data(), bytes.size(), false);
}

// Four keys whose u is the key's number.
UVSideTrack CountingTrack(const char* name, int keys = 4)
{
    UVSideTrack track;
    track.name = name;
    for (int k = 0; k < keys; ++k)
    {
        track.keys.push_back(float(k));
        track.keys.push_back(0.5f);
    }
    return track;
}

Mat4 Translation(float x)
{
    Mat4 m = Mat4Identity();
    m[12] = x;
    return m;
}
} // namespace

TEST(UVAnim, VersionsDecideWhereKeyCountsComeFrom)
{
    UVSideFile shared;
    shared.version = 0.0f;
    shared.tracks = {CountingTrack("a", 3), CountingTrack("b", 3)};
    std::unique_ptr<UVAnimSet> set = ParseUV(shared);
    ASSERT_TRUE(set);
    ASSERT_EQ(set->tracks.size(), 2u);
    EXPECT_EQ(set->tracks[1].keys.size(), 3u);
    EXPECT_STREQ(set->tracks[1].name, "b");

    UVSideFile own;
    own.tracks = {CountingTrack("a", 2), CountingTrack("b", 5)};
    set = ParseUV(own);
    ASSERT_TRUE(set);
    EXPECT_EQ(set->tracks[0].keys.size(), 2u);
    EXPECT_EQ(set->tracks[1].keys.size(), 5u);

    UVSideFile other;
    other.version = 2.0f;
    other.tracks = {CountingTrack("a", 0), CountingTrack("b", 0)};
    set = ParseUV(other);
    ASSERT_TRUE(set);
    EXPECT_TRUE(set->tracks[0].keys.empty());
    EXPECT_STREQ(set->tracks[1].name, "b");
    float u = -1, v = -1;
    UVAnimGetUV(&set->tracks[0], u, v);
    EXPECT_EQ(u, 0.0f);
    EXPECT_EQ(v, 0.0f);
    UVAnimGetUV(nullptr, u, v);
    EXPECT_EQ(u, 0.0f);
}

TEST(UVAnim, RateTenWithFourKeysFollowsTheSceneTime)
{
    UVSideFile file;
    file.rate = 10.0f;
    file.tracks = {CountingTrack("water"), CountingTrack("empty", 0)};
    std::unique_ptr<UVAnimSet> set = ParseUV(file);
    ASSERT_TRUE(set);
    UVAnimEnter(set.get());
    EXPECT_EQ(UVAnimListSize(), 1u);
    UVAnimTrack* track = UVAnimFind(set.get(), "water");
    ASSERT_TRUE(track);
    EXPECT_EQ(UVAnimFind(set.get(), "river"), nullptr);
    const std::pair<float, float> cases[] = {{0.25f, 2.0f}, {0.4f, 0.0f}, {0.39f, 3.0f}, {-0.15f, 3.0f}};
    for (const auto& row : cases)
    {
        UVAnimUpdateAll(row.first);
        float u = -1, v = -1;
        UVAnimGetUV(track, u, v);
        EXPECT_EQ(u, row.second) << row.first;
        EXPECT_EQ(v, 0.5f);
    }
    set.reset();
    EXPECT_EQ(UVAnimListSize(), 0u);
}

TEST(UVAnim, DamagedFilesGiveNoSet)
{
    struct Fault
    {
        const char* what;
        float count;
    };
    const Fault faults[] = {{"negative", -2.0f}, {"not a number", NAN}, {"past the file", 9.0f}};
    for (const Fault& fault : faults)
    {
        UVSideFile file;
        file.tracks = {CountingTrack("a")};
        file.tracks[0].keyCount = fault.count;
        EXPECT_EQ(ParseUV(file), nullptr) << fault.what;
        file.version = 0.0f;
        file.sharedKeyCount = fault.count;
        EXPECT_EQ(ParseUV(file), nullptr) << fault.what << ", shared";
    }
    UVSideFile none;
    EXPECT_EQ(ParseUV(none), nullptr) << "no tracks";
    std::vector<uint8_t> bytes = UVSideWrite(UVSideFile{1.0f, 10.0f, {}, {CountingTrack("a")}});
    bytes[0] = 'v';
    EXPECT_EQ(UVAnimParse(bytes.data(), bytes.size(), false), nullptr) << "magic";
    bytes[0] = 'U';
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_EQ(UVAnimParse(bytes.data(), size, false), nullptr) << size;
    EXPECT_EQ(UVAnimListSize(), 0u);
}

TEST(ObjAnim, KeysByFrameOrByTheCurrentKey)
{
    ObjSideFile file;
    file.rate = 10.0f;
    file.tracks.push_back({"blade", {}, 0, {Translation(0), Translation(1), Translation(2)}});
    file.tracks.push_back({"none", {}, 0, {}});
    std::unique_ptr<ObjAnimSet> set = ParseObj(file);
    ASSERT_TRUE(set);
    ObjAnimEnter(set.get());
    ObjAnimTrack* track = ObjAnimFind(set.get(), "blade");
    ASSERT_TRUE(track);
    Mat4 m;
    ASSERT_TRUE(ObjAnimGetMatrix(track, m, 4));
    EXPECT_EQ(m[12], 1.0f);
    ObjAnimUpdateAll(0.25f);
    ASSERT_TRUE(ObjAnimGetMatrix(track, m, -1));
    EXPECT_EQ(m[12], 2.0f);
    EXPECT_FALSE(ObjAnimGetMatrix(nullptr, m, 0));
    EXPECT_FALSE(ObjAnimGetMatrix(ObjAnimFind(set.get(), "none"), m, 0));
}

TEST(ObjAnim, ADelayedTrackKeepsKeyZeroUntilItsDelayRunsOut)
{
    RandSeed(1234);
    const float delay = float(Rand() % 70 + 50) / 100.0f;
    RandSeed(1234);
    ObjSideFile file;
    file.rate = 10.0f;
    file.tracks.push_back(
        {"blade", {}, 0x1, {Translation(0), Translation(1), Translation(2), Translation(3)}});
    std::unique_ptr<ObjAnimSet> set = ParseObj(file);
    ASSERT_TRUE(set);
    ObjAnimEnter(set.get());
    ObjAnimTrack& track = set->tracks[0];
    EXPECT_EQ(track.startDelay, delay);
    ASSERT_GE(delay, 0.5f);
    ASSERT_LE(delay, 1.19f);

    // The delay runs down by the scene time passed in, not by the frame step.
    ObjAnimUpdateAll(0.1f);
    EXPECT_EQ(track.currentKey, 0);
    EXPECT_FLOAT_EQ(track.startDelay, delay - 0.1f);
    ObjAnimUpdateAll(0.2f);
    EXPECT_EQ(track.currentKey, 0);
    EXPECT_FLOAT_EQ(track.startDelay, delay - 0.3f);
    ObjAnimUpdateAll(0.3f);
    EXPECT_EQ(track.currentKey, 0);
    EXPECT_EQ(track.startDelay, 0.0f);
    ObjAnimUpdateAll(0.4f);
    EXPECT_EQ(track.currentKey, 0);
    ObjAnimUpdateAll(0.5f);
    EXPECT_EQ(track.currentKey, 1);
}

TEST(ObjAnim, DamagedFilesGiveNoSet)
{
    for (float count : {-1.0f, NAN, 5.0f})
    {
        ObjSideFile file;
        file.tracks.push_back({"blade", count, 0, {Translation(0)}});
        EXPECT_EQ(ParseObj(file), nullptr) << count;
    }
    ObjSideFile good;
    good.tracks.push_back({"blade", {}, 0, {Translation(0)}});
    const std::vector<uint8_t> bytes = ObjSideWrite(good);
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_EQ(ObjAnimParse(bytes.data(), size, false), nullptr) << size;
    EXPECT_EQ(ObjAnimListSize(), 0u);
}
