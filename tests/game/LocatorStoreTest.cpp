// Locator files written by our writer, loaded through the file table into
// the store, and paths filled from them.

#include "core/Path.h"
#include "game/LocatorStore.h"
#include "game/PathSetPointsByName.h"
#include "game/StreamListener.h"
#include "support/DataTreeFixture.h"
#include "tools/formats/LocatorWriter.h"

#include <cmath>
#include <cstring>
#include <string>

namespace
{
constexpr uint32_t kSpawn = 7;
constexpr uint32_t kTree = 9;

bool Near(const Vec3& a, const Vec3& b)
{
    return std::fabs(a.x - b.x) < 1e-5f && std::fabs(a.y - b.y) < 1e-5f && std::fabs(a.z - b.z) < 1e-5f;
}

// Two spawns and a tree, a square path and a two-point path.
LocatorFileSpec Level(uint32_t version = 6)
{
    LocatorFileSpec spec;
    spec.version = version;
    spec.locators.push_back(LocatorAt(kSpawn, "spawn_a", Vec3(1, 2, 3), {0.5f, 1.5f, 2.5f}, {"knight"}));
    spec.locators.push_back(LocatorAt(kTree, "oak", Vec3(4, 0, 4)));
    spec.locators.push_back(LocatorAt(kSpawn, "spawn_b", Vec3(-1, 0, -2), {}, {"archer", "wagon"}));
    LocatorAddPath(spec, "square", {Vec3(0, 0, 0), Vec3(10, 0, 0), Vec3(10, 0, 10), Vec3(0, 0, 10)});
    LocatorAddPath(spec, "hop", {Vec3(5, 5, 5), Vec3(6, 5, 5)});
    return spec;
}

class LocatorStoreTest : public DataTreeTest
{
protected:
    void TearDown() override
    {
        LocatorsClear();
        DataTreeTest::TearDown();
    }

    // Writes the file below data/ and mounts the tree again; the name is the table's.
    std::string Put(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(dir.WriteFile("data/" + name, bytes.data(), bytes.size()));
        Mount();
        return name;
    }
};

TEST_F(LocatorStoreTest, VersionFiveGivesLocatorsWithoutAttributes)
{
    ASSERT_TRUE(LocatorsLoad(Put("levels/old.loc", LocatorWrite(Level(5))).c_str()));
    EXPECT_TRUE(m_log.Empty()) << m_log.Text();
    ASSERT_EQ(LocatorCount(), 3);
    const LocatorRecord& spawn = *LocatorGet(0);
    EXPECT_EQ(LocatorGetType(spawn), kSpawn);
    EXPECT_STREQ(LocatorGetName(spawn), "spawn_a");
    EXPECT_TRUE(Near(LocatorGetPosition(spawn), Vec3(1, 2, 3)));
    EXPECT_EQ(LocatorGetExtraAttributeCount(spawn), 0u);
    EXPECT_EQ(LocatorNumericAttributeCount(spawn), 0u);
    EXPECT_EQ(LocatorStringAttributeCount(spawn), 0u);
    float value = 0;
    EXPECT_FALSE(LocatorGetNumericAttribute(spawn, 0, &value));
    EXPECT_EQ(LocatorGetStringAttribute(spawn, 0), nullptr);
    EXPECT_EQ(LocatorPathCount(), 2);
}

TEST_F(LocatorStoreTest, VersionSixKeepsOnlyTheCountedAttributes)
{
    LocatorFileSpec spec = Level();
    spec.locators[0].numericCount = 2; // three slots written, two counted
    spec.locators[0].extraCount = 77;
    LocatorSpec many = LocatorAt(kTree, "many", Vec3(0, 0, 0));
    for (int i = 0; i < 16; ++i)
    {
        many.numeric.push_back(float(i));
        many.strings.push_back("s" + std::to_string(i));
    }
    many.numericCount = 40; // more than the file has slots for
    many.stringCount = 0xFFFFFFFFu;
    spec.locators.push_back(many);
    ASSERT_TRUE(LocatorsLoad(Put("levels/v6.loc", LocatorWrite(spec)).c_str()));

    const LocatorRecord& spawn = *LocatorGet(0);
    EXPECT_EQ(LocatorGetExtraAttributeCount(spawn), 77u);
    ASSERT_EQ(LocatorNumericAttributeCount(spawn), 2u);
    float value = 0;
    ASSERT_TRUE(LocatorGetNumericAttribute(spawn, 1, &value));
    EXPECT_EQ(value, 1.5f);
    for (const int bad : {2, 16, -1})
        EXPECT_FALSE(LocatorGetNumericAttribute(spawn, bad, &value)) << bad;
    ASSERT_EQ(LocatorStringAttributeCount(spawn), 1u);
    EXPECT_STREQ(LocatorGetStringAttribute(spawn, 0), "knight");
    EXPECT_EQ(LocatorGetStringAttribute(spawn, 1), nullptr);
    EXPECT_EQ(LocatorGetStringAttribute(spawn, -1), nullptr);

    const LocatorRecord& clamped = *LocatorGet(3);
    EXPECT_EQ(LocatorNumericAttributeCount(clamped), 16u);
    EXPECT_EQ(LocatorStringAttributeCount(clamped), 16u);
    ASSERT_TRUE(LocatorGetNumericAttribute(clamped, 15, &value));
    EXPECT_EQ(value, 15.0f);
    EXPECT_STREQ(LocatorGetStringAttribute(clamped, 15), "s15");
}

TEST_F(LocatorStoreTest, NamesFillTheirWholeFieldAndNoMore)
{
    LocatorFileSpec spec = Level();
    const std::string name64(64, 'n');
    const std::string string32(32, 'q');
    spec.locators[0].name = name64 + "tail";
    spec.locators[0].strings = {string32 + "tail"};
    spec.paths[0].name = name64 + "tail";
    ASSERT_TRUE(LocatorsLoad(Put("levels/names.loc", LocatorWrite(spec)).c_str()));
    EXPECT_EQ(std::string(LocatorGetName(*LocatorGet(0))), name64);
    EXPECT_EQ(std::string(LocatorGetStringAttribute(*LocatorGet(0), 0)), string32);
    EXPECT_NE(LocatorPathFindByName(name64.c_str()), nullptr);
}

TEST_F(LocatorStoreTest, FindByTypeCountsInLoadOrder)
{
    ASSERT_TRUE(LocatorsLoad(Put("levels/a.loc", LocatorWrite(Level())).c_str()));
    struct Case
    {
        uint32_t type;
        int n;
        const char* name; // null: none
    } const cases[] = {
        {kSpawn, 0, "spawn_a"}, {kSpawn, 1, "spawn_b"}, {kSpawn, 2, nullptr},
        {kTree, 0, "oak"},      {kSpawn, -1, nullptr},  {12345, 0, nullptr},
    };
    for (const Case& c : cases)
    {
        const LocatorRecord* found = LocatorFindByType(c.type, c.n);
        if (!c.name)
            EXPECT_EQ(found, nullptr) << c.type << " " << c.n;
        else
            EXPECT_STREQ(found ? LocatorGetName(*found) : "<none>", c.name) << c.type << " " << c.n;
    }
}

TEST_F(LocatorStoreTest, SecondFilePathsPointAtTheirOwnPoints)
{
    LocatorFileSpec second;
    LocatorAddPath(second, "flight", {Vec3(100, 0, 0), Vec3(100, 0, 50), Vec3(100, 9, 50)});
    second.locators.push_back(LocatorAt(kSpawn, "spawn_c", Vec3(7, 7, 7)));
    const std::string first = Put("levels/a.loc", LocatorWrite(Level()));
    const std::string other = Put("levels/b.loc", LocatorWrite(second));

    // Created from the last name down to the first: b, then a.
    const char* names[] = {first.c_str(), other.c_str()};
    ASSERT_TRUE(LocatorsCreate(names, 2));
    EXPECT_STREQ(LocatorGetName(*LocatorFindByType(kSpawn, 0)), "spawn_c");
    const LocatorPath* flight = LocatorPathFindByName("flight");
    const LocatorPath* hop = LocatorPathFindByName("hop");
    ASSERT_NE(flight, nullptr);
    ASSERT_NE(hop, nullptr);
    EXPECT_EQ(flight->first, 0u);
    EXPECT_EQ(hop->first, 3u + 4u);
    EXPECT_TRUE(Near(*PathPointGet(hop->first), Vec3(5, 5, 5)));

    Path path;
    ASSERT_TRUE(PathSetPointsByName(path, "flight"));
    ASSERT_EQ(path.GetPointCount(), 3);
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 59.0f);
    ASSERT_TRUE(PathSetPointsByName(path, "square"));
    EXPECT_FLOAT_EQ(path.GetTotalDistance(), 30.0f);
    EXPECT_TRUE(Near(path.GetPosAtDistance(15.0f, false).position, Vec3(10, 0, 5)));
    EXPECT_TRUE(m_log.Empty()) << m_log.Text();
}

TEST_F(LocatorStoreTest, PathsIterateInLoadOrder)
{
    ASSERT_TRUE(LocatorsLoad(Put("levels/a.loc", LocatorWrite(Level())).c_str()));
    ASSERT_TRUE(LocatorsLoad("levels/a.loc"));
    std::string names;
    for (const LocatorPath* path = LocatorPathFirst(); path; path = LocatorPathNext())
        names += std::string(path->name) + " ";
    EXPECT_EQ(names, "square hop square hop ");
    EXPECT_EQ(LocatorPathNext(), nullptr);
    EXPECT_EQ(LocatorPathFindByName("hop")->first, 4u); // the first of the two
}

struct DamageCase
{
    const char* label;
    LocatorFault fault;
    const char* report;
};

TEST_F(LocatorStoreTest, DamagedFilesAppendNothing)
{
    const DamageCase cases[] = {
        {"magic", LocatorFault::kMagic, "Locator file levels/bad.loc bad header.\n"},
        {"old version", LocatorFault::kOldVersion, "Old locale format (version 004) for levels/bad.loc.\n"},
        {"header cut", LocatorFault::kHeaderCut, "is damaged"},
        {"locator count", LocatorFault::kLocatorCount, "is damaged"},
        {"point count", LocatorFault::kPointCount, "is damaged"},
        {"cut", LocatorFault::kCut, "is damaged"},
        {"336-byte records", LocatorFault::kShortRecords, "is damaged"},
    };
    ASSERT_TRUE(LocatorsLoad(Put("levels/good.loc", LocatorWrite(Level())).c_str()));
    for (const DamageCase& c : cases)
    {
        m_log.Clear();
        const std::string name = Put("levels/bad.loc", LocatorDamage(LocatorWrite(Level()), c.fault));
        EXPECT_FALSE(LocatorsLoad(name.c_str())) << c.label;
        EXPECT_TRUE(m_log.Contains(c.report)) << c.label << ": " << m_log.Text();
        EXPECT_EQ(m_log.Lines().size(), 1u) << c.label;
        EXPECT_EQ(LocatorCount(), 3) << c.label;
        EXPECT_EQ(LocatorPathCount(), 2) << c.label;
        EXPECT_EQ(GetLocatorStore().points.size(), 6u) << c.label;
    }
    m_log.Clear();
    EXPECT_FALSE(LocatorsLoad("levels/missing.loc"));
    EXPECT_EQ(m_log.Text(), "Append locators levels/missing.loc failed.\n");
}

// Bytes after the counted records are another tool's padding: the records
// load as from the bare file, whatever the padding holds or however long.
TEST_F(LocatorStoreTest, BytesAfterTheCountedRecordsAreIgnored)
{
    const size_t bare = LocatorWrite(Level()).size();
    const struct
    {
        const char* label;
        std::vector<uint8_t> padding;
    } cases[] = {
        {"one zero byte", std::vector<uint8_t>(1, 0)},
        {"to a 512-byte block", std::vector<uint8_t>(512 - bare % 512, 0xCD)},
        {"a whole record's worth", std::vector<uint8_t>(720, 0x41)},
    };
    for (const auto& c : cases)
    {
        LocatorsClear();
        m_log.Clear();
        LocatorFileSpec spec = Level();
        spec.padding = c.padding;
        ASSERT_TRUE(LocatorsLoad(Put("levels/padded.loc", LocatorWrite(spec)).c_str())) << c.label << m_log.Text();
        EXPECT_TRUE(m_log.Empty()) << c.label << ": " << m_log.Text();
        ASSERT_EQ(LocatorCount(), 3) << c.label;
        EXPECT_STREQ(LocatorGetName(*LocatorGet(2)), "spawn_b") << c.label;
        EXPECT_STREQ(LocatorGetStringAttribute(*LocatorGet(2), 1), "wagon") << c.label;
        EXPECT_EQ(LocatorPathCount(), 2) << c.label;
        ASSERT_EQ(GetLocatorStore().points.size(), 6u) << c.label;
        EXPECT_TRUE(Near(GetLocatorStore().points[5], Vec3(6, 5, 5))) << c.label;
    }
    // Padding does not make up for a record the counts claim and the file lacks.
    m_log.Clear();
    LocatorFileSpec spec = Level();
    spec.padding.assign(100, 0);
    EXPECT_FALSE(LocatorsLoad(Put("levels/bad.loc", LocatorDamage(LocatorWrite(spec), LocatorFault::kLocatorCount)).c_str()));
    EXPECT_TRUE(m_log.Contains("is damaged")) << m_log.Text();
}

TEST_F(LocatorStoreTest, APathPastItsFilesPointsIsLeftOut)
{
    LocatorFileSpec spec = Level();
    spec.paths.insert(spec.paths.begin(), LocatorPathSpec{"overrun", 4, 3}); // 6 points in all
    spec.paths.push_back(LocatorPathSpec{"wraps", 0xFFFFFFFFu, 2});
    ASSERT_TRUE(LocatorsLoad(Put("levels/a.loc", LocatorWrite(spec)).c_str()));
    EXPECT_EQ(LocatorPathCount(), 2);
    EXPECT_EQ(LocatorPathFindByName("overrun"), nullptr);
    EXPECT_EQ(LocatorPathFindByName("wraps"), nullptr);
    EXPECT_NE(LocatorPathFindByName("hop"), nullptr);
    EXPECT_EQ(m_log.Lines().size(), 2u) << m_log.Text();
    EXPECT_TRUE(m_log.Contains("overrun"));
}

TEST_F(LocatorStoreTest, AReferenceKeptAcrossAClearAnswersNull)
{
    const std::string name = Put("levels/a.loc", LocatorWrite(Level()));
    ASSERT_TRUE(LocatorsLoad(name.c_str()));
    ASSERT_EQ(FileTableFindEntry(name.c_str())->kind, uint32_t(kResourceLocators));

    LocatorRef ref;
    LocatorRefInit(ref);
    EXPECT_EQ(LocatorGetNative(ref), nullptr);
    LocatorRefSet(ref, LocatorFindByType(kSpawn, 1));
    ASSERT_NE(LocatorGetNative(ref), nullptr);
    EXPECT_STREQ(LocatorGetName(*LocatorGetNative(ref)), "spawn_b");

    LocatorRef copy = ref;
    LocatorsClear();
    EXPECT_EQ(LocatorGetNative(copy), nullptr);
    EXPECT_EQ(LocatorCount(), 0);
    EXPECT_EQ(LocatorPathCount(), 0);
    EXPECT_EQ(FileTableFindEntry(name.c_str())->kind, uint32_t(kResourceGone));
    EXPECT_TRUE(GetLocatorStore().fileName.IsEmpty());

    // Loaded again at the same place, the old reference still finds nothing.
    ASSERT_TRUE(LocatorsLoad(name.c_str()));
    EXPECT_EQ(LocatorGetNative(copy), nullptr);

    const LocatorRecord outside = *LocatorGet(0);
    LocatorRefSet(ref, &outside);
    EXPECT_EQ(LocatorGetNative(ref), nullptr);
    LocatorRefSet(ref, nullptr);
    EXPECT_EQ(LocatorGetNative(ref), nullptr);
}

TEST_F(LocatorStoreTest, ReloadReadsEveryFileAgainInOrder)
{
    LocatorFileSpec second;
    second.locators.push_back(LocatorAt(kSpawn, "from_b", Vec3(0, 0, 0)));
    const std::string a = Put("levels/a.loc", LocatorWrite(Level()));
    const std::string b = Put("levels/b.loc", LocatorWrite(second));
    ASSERT_TRUE(LocatorsLoad(a.c_str()));
    ASSERT_TRUE(LocatorsLoad(b.c_str()));
    LocatorRef ref;
    LocatorRefSet(ref, LocatorGet(0));

    LocatorFileSpec changed = Level();
    changed.locators.erase(changed.locators.begin());
    Put(a, LocatorWrite(changed));
    ASSERT_TRUE(LocatorsReload());
    ASSERT_EQ(LocatorCount(), 3);
    EXPECT_STREQ(LocatorGetName(*LocatorGet(0)), "oak");
    EXPECT_STREQ(LocatorGetName(*LocatorGet(2)), "from_b");
    EXPECT_EQ(LocatorGetNative(ref), nullptr);
    EXPECT_STREQ(GetLocatorStore().fileName, "levels/b.loc");

    // A file that fails on reload leaves what was loaded in place, stays
    // remembered and comes back once mended.
    LocatorRefSet(ref, LocatorGet(2));
    Put(a, LocatorDamage(LocatorWrite(Level()), LocatorFault::kCut));
    EXPECT_FALSE(LocatorsReload());
    ASSERT_EQ(LocatorCount(), 3);
    EXPECT_STREQ(LocatorGetName(*LocatorGet(0)), "oak");
    EXPECT_STREQ(LocatorGetName(*LocatorGetNative(ref)), "from_b");
    Put(a, LocatorWrite(Level()));
    ASSERT_TRUE(LocatorsReload());
    EXPECT_EQ(LocatorCount(), 4);
}

TEST_F(LocatorStoreTest, AChangedLocatorFileReloadsTheStore)
{
    const std::string name = Put("levels/a.loc", LocatorWrite(Level()));
    ASSERT_TRUE(LocatorsLoad(name.c_str()));
    LocatorFileSpec changed;
    changed.locators.push_back(LocatorAt(kTree, "birch", Vec3(0, 0, 0)));
    ASSERT_TRUE(dir.WriteFile("data/" + name, LocatorWrite(changed).data(), LocatorWrite(changed).size()));

    StreamListener listener(nullptr);
    listener.FileChanged(name.c_str(), *FileTableFindEntry(name.c_str()));
    ASSERT_EQ(LocatorCount(), 1);
    EXPECT_STREQ(LocatorGetName(*LocatorGet(0)), "birch");
    EXPECT_EQ(LocatorPathCount(), 0);
}

// A changed file grown past any locator file's size (past 4 GiB too, where a
// 32-bit size would see a small file) is refused unread under hot reload,
// with one report naming it, and the locators loaded before stay.
TEST_F(LocatorStoreTest, AChangedFileRefusedForItsSizeLeavesTheLocatorsInPlace)
{
    const std::vector<uint8_t> level = LocatorWrite(Level());
    const std::string name = Put("levels/a.loc", level);
    ASSERT_TRUE(LocatorsLoad(name.c_str()));
    const int count = LocatorCount();
    LocatorRef ref;
    LocatorRefSet(ref, LocatorGet(0));
    StreamListener listener(nullptr);
    for (const uint64_t size : {kLocatorFileBound.bytes + 1, uint64_t((1ull << 32) + level.size())})
    {
        SCOPED_TRACE(size);
        ASSERT_TRUE(dir.Resize("data/" + name, size));
        m_log.Clear();
        listener.FileChanged(name.c_str(), *FileTableFindEntry(name.c_str()));
        ASSERT_EQ(m_log.Lines().size(), 1u) << m_log.Text();
        EXPECT_NE(m_log.Lines()[0].find(name), std::string::npos) << m_log.Text();
        EXPECT_EQ(LocatorCount(), count);
        EXPECT_NE(LocatorGetNative(ref), nullptr);
    }
}

TEST_F(LocatorStoreTest, PathPointsOutOfRangeAreReported)
{
    ASSERT_TRUE(LocatorsLoad(Put("levels/a.loc", LocatorWrite(Level())).c_str()));
    ASSERT_NE(PathPointGet(5), nullptr);
    for (const int i : {6, -1})
    {
        m_log.Clear();
        EXPECT_EQ(PathPointGet(i), nullptr);
        EXPECT_EQ(m_log.Text(),
                  "Try to get a path point (" + std::to_string(i) + ") which is out-of-range (0 to 5)\n");
    }
}

TEST_F(LocatorStoreTest, SetPointsByNameOfAnUnknownNameLeavesThePathEmpty)
{
    ASSERT_TRUE(LocatorsLoad(Put("levels/a.loc", LocatorWrite(Level())).c_str()));
    Path path;
    ASSERT_TRUE(PathSetPointsByName(path, "hop"));
    EXPECT_EQ(path.GetPointCount(), 2);
    EXPECT_FALSE(PathSetPointsByName(path, "Hop"));
    EXPECT_EQ(path.GetPointCount(), 0);
    EXPECT_EQ(m_log.Text(), "Could not load path of name: Hop");
}

TEST_F(LocatorStoreTest, SetPointsByNameStopsAtThePathsCapacity)
{
    LocatorFileSpec spec;
    std::vector<Vec3> points;
    for (int i = 0; i < Path::kMaxPoints + 10; ++i)
        points.push_back(Vec3(float(i), 0, 0));
    LocatorAddPath(spec, "long", points);
    ASSERT_TRUE(LocatorsLoad(Put("levels/long.loc", LocatorWrite(spec)).c_str()));
    Path path;
    EXPECT_FALSE(PathSetPointsByName(path, "long"));
    EXPECT_EQ(path.GetPointCount(), Path::kMaxPoints);
    EXPECT_EQ(m_log.Lines().size(), 1u) << m_log.Text();
}
} // namespace
