#include "tools/formats/TerrainWriter.h"

#include "tools/formats/ByteWriter.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace
{
constexpr size_t kHeaderBytes = 12;
constexpr size_t kChannelNameBytes = 8;

void WriteChannels(ByteWriter& out, const std::vector<TerrainFileChannel>& channels)
{
    for (const TerrainFileChannel& channel : channels)
    {
        out.U32(channel.type);
        out.Text(channel.name, kChannelNameBytes);
        for (uint32_t value : channel.values)
            out.U32(value);
    }
}

Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c)
{
    Vec3 n = Vec3Cross(b - a, c - a);
    const float length = Vec3Length(n);
    return length > 0.0f ? n * (1.0f / length) : Vec3(0.0f, 0.0f, 0.0f);
}

class TreeBuilder
{
public:
    TreeBuilder(const TerrainMesh& mesh, uint32_t leafFaces, TerrainFile& file)
        : m_mesh(mesh), m_leafFaces(std::max(1u, leafFaces)), m_file(file)
    {
        m_order.resize(mesh.triangles.size());
        std::iota(m_order.begin(), m_order.end(), 0u);
        for (const auto& t : mesh.triangles)
            m_centres.push_back((mesh.vertices[t[0]] + mesh.vertices[t[1]] + mesh.vertices[t[2]]) * (1.0f / 3.0f));
    }

    void Build() { Node(0, uint32_t(m_order.size())); }
    const std::vector<uint32_t>& Order() const { return m_order; }

private:
    uint32_t Node(uint32_t first, uint32_t count)
    {
        Vec3 lo(1e30f, 1e30f, 1e30f), hi(-1e30f, -1e30f, -1e30f);
        for (uint32_t i = first; i < first + count; ++i)
            for (uint32_t corner : m_mesh.triangles[m_order[i]])
            {
                const Vec3& v = m_mesh.vertices[corner];
                lo = Vec3(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
                hi = Vec3(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
            }
        if (count == 0)
            lo = hi = Vec3(0.0f, 0.0f, 0.0f);
        const Vec3 centre = (lo + hi) * 0.5f, half = hi - centre;
        const uint32_t number = uint32_t(m_file.nodes.size());
        m_file.nodes.push_back({{centre.x, centre.y, centre.z}, {half.x, half.y, half.z}, count, first, 0, 0});
        if (count <= m_leafFaces)
            return number;

        const int axis = (half.x >= half.y && half.x >= half.z) ? 0 : (half.y >= half.z ? 1 : 2);
        const auto key = [&](uint32_t face) {
            const Vec3& c = m_centres[face];
            return axis == 0 ? c.x : (axis == 1 ? c.y : c.z);
        };
        const uint32_t half_count = count / 2;
        std::nth_element(m_order.begin() + first, m_order.begin() + first + half_count,
                         m_order.begin() + first + count, [&](uint32_t a, uint32_t b) { return key(a) < key(b); });
        const uint32_t left = Node(first, half_count);
        const uint32_t right = Node(first + half_count, count - half_count);
        m_file.nodes[number].leftChild = left;
        m_file.nodes[number].rightChild = right;
        return number;
    }

    const TerrainMesh& m_mesh;
    uint32_t m_leafFaces;
    TerrainFile& m_file;
    std::vector<uint32_t> m_order;
    std::vector<Vec3> m_centres;
};
} // namespace

std::vector<uint8_t> TerrainFileWrite(const TerrainFile& file)
{
    ByteWriter out;
    out.Text(file.header, kHeaderBytes);
    out.U32(file.version);
    out.U32(uint32_t(file.nodes.size()));
    for (const TerrainFileNode& node : file.nodes)
    {
        for (float value : node.center)
            out.F32(value);
        for (float value : node.halfExtent)
            out.F32(value);
        out.U32(node.itemCount);
        out.U32(node.firstItem);
        out.U32(node.leftChild);
        out.U32(node.rightChild);
    }
    out.U32(uint32_t(file.vertices.size()));
    out.U32(uint32_t(file.vertexChannels.size()));
    for (const Vec3& v : file.vertices)
    {
        out.F32(v.x);
        out.F32(v.y);
        out.F32(v.z);
    }
    WriteChannels(out, file.vertexChannels);
    out.U32(uint32_t(file.faces.size()));
    out.U32(uint32_t(file.faceChannels.size()));
    for (const TerrainFileFace& face : file.faces)
    {
        out.U32(face.i0);
        out.U32(face.i1);
        out.U32(face.i2);
        out.F32(face.normal.x);
        out.F32(face.normal.y);
        out.F32(face.normal.z);
    }
    WriteChannels(out, file.faceChannels);
    return std::move(out.Bytes());
}

void TerrainMesh::AddTriangle(const Vec3& a, const Vec3& b, const Vec3& c, uint32_t kind)
{
    const uint32_t base = uint32_t(vertices.size());
    vertices.insert(vertices.end(), {a, b, c});
    triangles.push_back({base, base + 1, base + 2});
    surfaceKinds.push_back(kind);
}

void TerrainMesh::AddQuad(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, uint32_t kind)
{
    AddTriangle(a, b, c, kind);
    AddTriangle(a, c, d, kind);
}

TerrainFile TerrainFileBuild(const TerrainMesh& mesh, uint32_t leafFaces)
{
    TerrainFile file;
    file.vertices = mesh.vertices;
    file.vertexChannels = mesh.vertexChannels;
    TreeBuilder builder(mesh, leafFaces, file);
    builder.Build();
    TerrainFileChannel kinds;
    kinds.name = "surface";
    for (uint32_t face : builder.Order())
    {
        const auto& t = mesh.triangles[face];
        file.faces.push_back(
            {t[0], t[1], t[2], FaceNormal(mesh.vertices[t[0]], mesh.vertices[t[1]], mesh.vertices[t[2]])});
        kinds.values.push_back(face < mesh.surfaceKinds.size() ? mesh.surfaceKinds[face] : 0);
    }
    if (mesh.writeSurfaceKinds)
        file.faceChannels.push_back(kinds);
    return file;
}

TerrainMesh TerrainHeightfield(int columns, int rows, float cellSize, const std::function<float(float, float)>& height,
                               uint32_t kind)
{
    TerrainMesh mesh;
    const float x0 = -0.5f * float(columns) * cellSize, z0 = -0.5f * float(rows) * cellSize;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
        {
            const float x = x0 + float(c) * cellSize, z = z0 + float(r) * cellSize;
            mesh.vertices.push_back(Vec3(x, height(x, z), z));
        }
    const auto at = [columns](int c, int r) { return uint32_t(r * (columns + 1) + c); };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
        {
            // Seen from above (+y), (c, r+1) -> (c+1, r+1) -> (c+1, r) turns counter-clockwise.
            mesh.triangles.push_back({at(c, r), at(c, r + 1), at(c + 1, r + 1)});
            mesh.triangles.push_back({at(c, r), at(c + 1, r + 1), at(c + 1, r)});
            mesh.surfaceKinds.insert(mesh.surfaceKinds.end(), {kind, kind});
        }
    return mesh;
}
