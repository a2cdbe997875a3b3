// The terrain collision reader: what a sound file yields, how a reload
// replaces the data of the same record, and the damaged files it refuses
// while keeping what it had.

#include "TerrainFixture.h"

#include "core/FileTable.h"

#include <cstring>
#include <functional>

namespace
{
TerrainFile TwoLeafGround()
{
    TerrainMesh mesh = FlatGround(10.0f);
    mesh.AddTriangle(Vec3(20, 1, 0), Vec3(20, 1, 5), Vec3(25, 1, 0), 3);
    return TerrainFileBuild(mesh, 2);
}

TerrainFileChannel Channel(uint32_t type, const char* name, std::vector<uint32_t> values)
{
    TerrainFileChannel channel;
    channel.type = type;
    channel.name = name;
    channel.values = std::move(values);
    return channel;
}

// A tree of `depth` inner nodes, each with a leaf on the left and the next
// inner node on the right, ending in a leaf: its walk holds one entry more
// per level.
std::vector<TerrainFileNode> Chain(int depth)
{
    std::vector<TerrainFileNode> nodes;
    for (int i = 0; i < depth; ++i)
    {
        const uint32_t here = uint32_t(nodes.size());
        nodes.push_back({{0, 0, 0}, {100, 100, 100}, 0, 0, here + 1, here + 2});
        nodes.push_back({{0, 0, 0}, {100, 100, 100}, 0, 0, 0, 0});
    }
    nodes.push_back({{0, 0, 0}, {100, 100, 100}, 2, 0, 0, 0});
    return nodes;
}
} // namespace

TEST_F(TerrainFileTest, ReadsFacesVerticesChannelsAndRecordsItselfOnTheEntry)
{
    TerrainFile file = TwoLeafGround();
    file.vertexChannels.push_back(Channel(kTerrainFileFloat, "height", std::vector<uint32_t>(9, 0x3F800000)));
    file.vertexChannels.push_back(Channel(kTerrainFileLong, "sound", {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, file));
    EXPECT_TRUE(m_log.Empty()) << m_log.Text();
    EXPECT_STREQ(terrain.m_name, "ground.chterrain");
    EXPECT_EQ(terrain.m_data.faces.size(), 3u);
    EXPECT_EQ(terrain.m_data.vertices.size(), 9u);
    EXPECT_EQ(terrain.m_data.tree.nodes.size(), file.nodes.size());
    EXPECT_EQ(terrain.m_data.vertexChannelCount, 2u);
    EXPECT_EQ(terrain.m_data.vertexChannels[0].type, kTerrainChannelFloat);
    EXPECT_EQ(memcmp(terrain.m_data.vertexChannels[0].name, "height\0\0", 8), 0);
    EXPECT_TRUE(terrain.HasFaceChannels());
    // The face order is the file's: the tree sorted it.
    for (size_t f = 0; f < file.faces.size(); ++f)
    {
        EXPECT_EQ(terrain.m_data.faces[f].i0, file.faces[f].i0);
        EXPECT_EQ(terrain.SurfaceKind(uint32_t(f)), file.faceChannels[0].values[f]);
    }
    EXPECT_EQ(TerrainVertexChannelValue(terrain, 4), 5u);
    EXPECT_EQ(TerrainVertexChannelValue(terrain, 9), 0u);
    const FileTableEntry* entry = FileTableFindEntry("ground.chterrain");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->kind, kResourceTerrainCollision);
    EXPECT_EQ(entry->resource, &terrain);
}

TEST_F(TerrainFileTest, VertexChannelValueIsZeroWithoutChannelOne)
{
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, TwoLeafGround()));
    EXPECT_EQ(TerrainVertexChannelValue(terrain, 0), 0u);
}

TEST_F(TerrainFileTest, ReloadReplacesTheDataOfTheSameRecordAndClearMarksTheEntryGone)
{
    Write("a.chterrain", TwoLeafGround());
    Write("b.chterrain", TerrainFileBuild(FlatGround(3.0f, 2.0f)));
    Terrain terrain;
    ASSERT_TRUE(TerrainLoad(terrain, "a.chterrain"));
    ASSERT_TRUE(TerrainLoad(terrain, "b.chterrain"));
    EXPECT_EQ(terrain.m_data.faces.size(), 2u);
    EXPECT_EQ(FileTableFindEntry("a.chterrain")->kind, kResourceGone);
    EXPECT_EQ(FileTableFindEntry("b.chterrain")->resource, &terrain);
    // A hot reload passes the terrain's own name.
    ASSERT_TRUE(TerrainLoad(terrain, terrain.m_name));
    EXPECT_STREQ(terrain.m_name, "b.chterrain");

    TerrainClear(terrain);
    EXPECT_TRUE(terrain.m_name.IsEmpty());
    EXPECT_TRUE(terrain.m_data.faces.empty());
    EXPECT_TRUE(terrain.m_data.tree.Empty());
    EXPECT_EQ(FileTableFindEntry("b.chterrain")->kind, kResourceGone);
    EXPECT_EQ(FileTableFindEntry("b.chterrain")->resource, nullptr);
}

TEST_F(TerrainFileTest, ChannelsPastTheEighthAreReportedAndSkipped)
{
    TerrainFile file = TwoLeafGround();
    for (uint32_t c = 0; c < 10; ++c)
        file.vertexChannels.push_back(Channel(kTerrainFileLong, "v", std::vector<uint32_t>(9, c)));
    Terrain terrain;
    ASSERT_TRUE(Load(terrain, file));
    EXPECT_TRUE(m_log.Contains("10 vertex channels; at most 8")) << m_log.Text();
    EXPECT_EQ(terrain.m_data.vertexChannelCount, 8u);
    EXPECT_EQ(terrain.m_data.vertexChannels[7].data[0], 7u);
    // The skipped channels' values were read past, not taken for faces.
    EXPECT_EQ(terrain.m_data.faces.size(), 3u);
    EXPECT_EQ(terrain.SurfaceKind(0), file.faceChannels[0].values[0]);
}

struct DamagedCase
{
    const char* name;
    std::function<void(TerrainFile&)> damage;
    const char* report;
};

TEST_F(TerrainFileTest, DamagedFilesAreRefusedWithAReportAndTheOldDataStays)
{
    const DamagedCase cases[] = {
        {"old version", [](TerrainFile& f) { f.version = 1; },
         "Old terrain format (version 001) of bad.chterrain no longer supported.\n"},
        {"no nodes", [](TerrainFile& f) { f.nodes.clear(); }, "no tree nodes"},
        {"face past the vertices", [](TerrainFile& f) { f.faces[1].i2 = 9; }, "names a vertex"},
        {"leaf past the faces", [](TerrainFile& f) { f.nodes.back().itemCount = 9; }, "past the end"},
        {"leaf range wrapping", [](TerrainFile& f) { f.nodes.back().firstItem = 0xFFFFFFFF; }, "past the end"},
        {"child out of range", [](TerrainFile& f) { f.nodes[0].rightChild = 99; }, "does not exist"},
        {"inner node without a right child", [](TerrainFile& f) { f.nodes[0].rightChild = 0; }, "does not exist"},
        {"both children the same", [](TerrainFile& f) { f.nodes[0].rightChild = f.nodes[0].leftChild; },
         "reached twice"},
        {"child loops to its parent",
         [](TerrainFile& f) {
             f.nodes[1] = f.nodes[0];
         },
         "reached twice"},
        {"deeper than the walk's stack", [](TerrainFile& f) { f.nodes = Chain(64); }, "too deep"},
        {"unknown channel type",
         [](TerrainFile& f) { f.vertexChannels.push_back(Channel(0x12345678, "odd", {})); }, "unknown type"},
        {"unknown face channel type", [](TerrainFile& f) { f.faceChannels[0].type = 0; }, "unknown type"},
    };
    Write("good.chterrain", TwoLeafGround());
    for (const DamagedCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        TerrainFile file = TwoLeafGround();
        c.damage(file);
        Write("bad.chterrain", file);
        Terrain terrain;
        ASSERT_TRUE(TerrainLoad(terrain, "good.chterrain"));
        m_log.Clear();
        EXPECT_FALSE(TerrainLoad(terrain, "bad.chterrain"));
        EXPECT_TRUE(m_log.Contains(c.report)) << m_log.Text();
        EXPECT_STREQ(terrain.m_name, "good.chterrain");
        EXPECT_EQ(terrain.m_data.faces.size(), 3u);
    }
}

TEST_F(TerrainFileTest, ChainsThatFitTheStackLoad)
{
    TerrainFile file = TwoLeafGround();
    file.nodes = Chain(62);
    Terrain terrain;
    EXPECT_TRUE(Load(terrain, file)) << m_log.Text();
}

TEST_F(TerrainFileTest, EveryCutOfASoundFileIsRefusedWithoutHarm)
{
    TerrainFile file = TwoLeafGround();
    file.vertexChannels.push_back(Channel(kTerrainFileLong, "sound", std::vector<uint32_t>(9, 1)));
    const std::vector<uint8_t> bytes = TerrainFileWrite(file);
    for (size_t size = 0; size < bytes.size(); ++size)
    {
        WriteBytes("cut.chterrain", std::vector<uint8_t>(bytes.begin(), bytes.begin() + long(size)));
        Terrain terrain;
        m_log.Clear();
        EXPECT_FALSE(TerrainLoad(terrain, "cut.chterrain")) << size;
        EXPECT_TRUE(m_log.Contains("cut.chterrain")) << size;
        EXPECT_TRUE(terrain.m_data.faces.empty());
    }
}

TEST_F(TerrainFileTest, HugeCountsAreRefusedBeforeAnythingIsSized)
{
    const std::vector<uint8_t> sound = TerrainFileWrite(TwoLeafGround());
    const size_t countOffsets[] = {16, 20 + 40 * TwoLeafGround().nodes.size()};
    for (size_t offset : countOffsets)
    {
        std::vector<uint8_t> bytes = sound;
        const uint32_t huge = 0x7FFFFFFF;
        memcpy(bytes.data() + offset, &huge, 4);
        WriteBytes("huge.chterrain", bytes);
        Terrain terrain;
        m_log.Clear();
        EXPECT_FALSE(TerrainLoad(terrain, "huge.chterrain")) << offset;
        EXPECT_TRUE(m_log.Contains("exceeds the file")) << m_log.Text();
    }
}

TEST_F(TerrainFileTest, MissingFileAndOverlongPathAreReported)
{
    Mount();
    Terrain terrain;
    EXPECT_FALSE(TerrainLoad(terrain, "nothere.chterrain"));
    EXPECT_TRUE(m_log.Contains("Open terrain nothere.chterrain failed.\n"));
    const std::string longName(200, 'a');
    EXPECT_FALSE(TerrainLoad(terrain, longName.c_str()));
    EXPECT_TRUE(m_log.Contains("too long"));
}
