// The terrain collision file: read whole, every count checked against the
// bytes left and every index against what it names before anything is kept.

#include "game/Terrain.h"

#include "core/ByteReader.h"
#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StreamBytes.h"
#include "core/pd_ifstream.h"

#include <cstring>
#include <utility>

namespace
{
constexpr uint32_t kOldestVersion = 2;
constexpr size_t kHeaderBytes = 12;
constexpr uint64_t kNodeBytes = 40;
constexpr uint64_t kVertexBytes = 12;
constexpr uint64_t kFaceBytes = 24;
constexpr uint64_t kChannelHeadBytes = 12;

bool IsKnownChannel(uint32_t type)
{
    return type == kTerrainChannelFloat || type == kTerrainChannelLong;
}

class TerrainFileReader
{
public:
    TerrainFileReader(const char* path, const uint8_t* bytes, size_t size) : m_path(path), m_in(bytes, size)
    {
    }

    bool Read(TerrainData& data)
    {
        m_in.Skip(kHeaderBytes);
        const uint32_t version = m_in.U32();
        if (!m_in.Ok())
            return Damaged("it ends inside its header");
        if (version < kOldestVersion)
        {
            LogError("Old terrain format (version %03d) of %s no longer supported.\n", int(version), m_path);
            return false;
        }
        return ReadNodes(data.tree) && ReadVertices(data) &&
               ReadChannels(data.vertexChannels, data.vertexChannelCount, m_vertexChannels, data.vertices.size(),
                            "vertex") &&
               ReadFaces(data) &&
               ReadChannels(data.faceChannels, data.faceChannelCount, m_faceChannels, data.faces.size(), "face") &&
               CheckTree(data);
    }

private:
    bool Damaged(const char* why)
    {
        LogError("Terrain %s is damaged: %s.\n", m_path, why);
        return false;
    }

    // A count of records that the bytes left cannot hold refuses the file
    // before anything is sized by it.
    bool CountFits(uint32_t count, uint64_t recordBytes)
    {
        return m_in.Ok() && m_in.Holds(count, recordBytes);
    }

    bool ReadNodes(TerrainTree& tree)
    {
        const uint32_t count = m_in.U32();
        if (!CountFits(count, kNodeBytes))
            return Damaged("its tree node count exceeds the file");
        tree.nodes.resize(count);
        for (TerrainTreeNode& node : tree.nodes)
        {
            m_in.F32s(node.center, 3);
            m_in.F32s(node.halfExtent, 3);
            node.itemCount = m_in.U32();
            node.firstItem = m_in.U32();
            node.leftChild = m_in.U32();
            node.rightChild = m_in.U32();
        }
        return true;
    }

    bool ReadVertices(TerrainData& data)
    {
        const uint32_t count = m_in.U32();
        m_vertexChannels = m_in.U32();
        if (!CountFits(count, kVertexBytes))
            return Damaged("its vertex count exceeds the file");
        data.vertices.resize(count);
        for (Vec3& v : data.vertices)
            m_in.F32s(&v.x, 3);
        return true;
    }

    bool ReadFaces(TerrainData& data)
    {
        const uint32_t count = m_in.U32();
        m_faceChannels = m_in.U32();
        if (!CountFits(count, kFaceBytes))
            return Damaged("its face count exceeds the file");
        data.faces.resize(count);
        const size_t vertexCount = data.vertices.size();
        for (TerrainFace& face : data.faces)
        {
            face.i0 = m_in.U32();
            face.i1 = m_in.U32();
            face.i2 = m_in.U32();
            m_in.F32s(&face.normal.x, 3);
            if (face.i0 >= vertexCount || face.i1 >= vertexCount || face.i2 >= vertexCount)
                return Damaged("a face names a vertex that does not exist");
        }
        return m_in.Ok() || Damaged("it ends inside its faces");
    }

    bool ReadChannels(TerrainDataChannel (&slots)[kTerrainChannelSlots], uint32_t& kept, uint32_t count,
                      size_t valueCount, const char* kind)
    {
        if (!CountFits(count, kChannelHeadBytes))
            return Damaged("its channel count exceeds the file");
        if (count > kTerrainChannelSlots)
            LogError("Terrain %s has %u %s channels; at most %d are kept.\n", m_path, count, kind,
                     kTerrainChannelSlots);
        kept = count > kTerrainChannelSlots ? kTerrainChannelSlots : count;
        for (uint32_t c = 0; c < count; ++c)
        {
            TerrainDataChannel scratch;
            TerrainDataChannel& channel = c < kTerrainChannelSlots ? slots[c] : scratch;
            channel.type = m_in.U32();
            m_in.Bytes(channel.name, sizeof channel.name);
            if (!IsKnownChannel(channel.type))
                return Damaged("a data channel has an unknown type");
            if (!CountFits(uint32_t(valueCount), 4))
                return Damaged("a data channel exceeds the file");
            channel.data.resize(valueCount);
            for (uint32_t& value : channel.data)
                value = m_in.U32();
        }
        return m_in.Ok() || Damaged("it ends inside a data channel");
    }

    bool CheckTree(const TerrainData& data)
    {
        const char* why = TerrainTreeCheck(data.tree, data.faces.size());
        return why ? Damaged(why) : true;
    }

    const char* m_path;
    ByteReader m_in;
    uint32_t m_vertexChannels = 0;
    uint32_t m_faceChannels = 0;
};

} // namespace

namespace
{
bool ReadTerrainFile(const char* path, TerrainData& data)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError("Open terrain %s failed.\n", path);
        return false;
    }
    std::vector<uint8_t> bytes;
    if (!StreamReadAll(stream, kTerrainFileBound, bytes))
        return false;
    return TerrainParse(bytes.data(), bytes.size(), path, data);
}
} // namespace

bool TerrainParse(const uint8_t* bytes, size_t size, const char* path, TerrainData& data)
{
    return TerrainFileReader(path, bytes, size).Read(data);
}

bool TerrainLoad(Terrain& terrain, const char* path)
{
    if (!path || strlen(path) > size_t(FixedString128::kCapacity))
    {
        LogError("Terrain path %s is too long.\n", path ? path : "(none)");
        return false;
    }
    TerrainData data;
    if (!ReadTerrainFile(path, data))
        return false;
    // The path may be the terrain's own name, which the clear empties.
    const FixedString128 name(path);
    TerrainClear(terrain);
    terrain.m_data = std::move(data);
    terrain.m_name = name;
    FileTableSetResource(name, &terrain, kResourceTerrainCollision);
    return true;
}

void TerrainClear(Terrain& terrain)
{
    if (!terrain.m_name.IsEmpty())
    {
        // Another terrain may have loaded the same file since: its record stays.
        FileTableEntry* entry = FileTableFindEntry(terrain.m_name);
        if (entry && entry->resource == &terrain)
            FileTableSetResource(terrain.m_name, nullptr, kResourceGone);
    }
    terrain.m_data = TerrainData();
    terrain.m_name.Clear();
}
