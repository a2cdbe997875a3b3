#include "cross/ModelFile.h"

#include "core/ByteReader.h"
#include "core/LogError.h"

#include <cfloat>
#include <cmath>
#include <cstring>

namespace
{
constexpr uint32_t kGLByte = 0x1400;
constexpr uint32_t kGLFloat = 0x1406;
constexpr uint32_t kGLUnsignedByte = 0x1401;
constexpr uint32_t kMaxComponents = 4;
constexpr size_t kHeaderTagBytes = 12;
constexpr size_t kNodeNameBytes = 128;
constexpr size_t kJointNameBytes = 64;
constexpr size_t kMaterialNameBytes = 64;
constexpr size_t kLayerNameBytes = 64;
constexpr size_t kMatrixBytes = 64;
constexpr uint32_t kMaterialOldNameFlag = 0x40;
// The least a record of each kind can take, so a count can be checked
// against the bytes left before anything is made for it.
constexpr size_t kJointBytes = 4 + kJointNameBytes + kMatrixBytes;
constexpr size_t kSocketBytes = kNodeNameBytes + 4 + kMatrixBytes;
constexpr size_t kNodeBytes = kNodeNameBytes + kMatrixBytes;
constexpr size_t kLeastMaterialBytes = 4 * 4 + 4 + 4;
constexpr size_t kLeastMeshBytes = 4 * 4 + 4 + 16 + 4 + 4 + 4 + 4 + 4;
constexpr size_t kSkippedRangeBytes = 12;

class ModelFileReader
{
public:
    ModelFileReader(ByteReader& in, uint32_t version) : m_in(in), m_version(version) {}

    const char* Fault() const { return m_fault; }

    bool ReadMesh(ModelFileMesh& mesh)
    {
        ModelNode headNode;
        if (m_version < kModelNodeListVersion)
            ReadName(headNode.name.data(), sizeof(headNode.name), kNodeNameBytes);
        mesh.flags = m_in.U32();
        m_in.Skip(8);
        mesh.sortOrder = int32_t(m_in.U32());
        if (m_version < kModelMeshNodeVersion)
            m_in.Skip(4);
        if (!ReadJoints(mesh) || !ReadSockets(mesh))
            return false;
        if (m_version < kModelNodeListVersion)
        {
            ReadMatrix(headNode.matrix);
            mesh.nodes.push_back(headNode);
        }
        m_in.Skip(16); // centre and radius, made again from the vertices
        if (!ReadVertices(mesh) || !ReadIndices(mesh) || !ReadMaterials(mesh))
            return false;
        if (m_version >= kModelNodeListVersion && !ReadNodes(mesh))
            return false;
        return m_in.Ok() || Fail("it ends inside a mesh");
    }

    bool ReadSpheres(ModelFile& file)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, 16))
            return Fail("its sphere count passes the end");
        file.spheres.resize(count);
        for (Vec4& sphere : file.spheres)
            m_in.F32s(&sphere.x, 4);
        return true;
    }

    void ReadMatrix(Mat4& matrix) { m_in.F32s(matrix.m, 16); }

    bool Fail(const char* fault)
    {
        if (!m_fault)
            m_fault = fault;
        return false;
    }

private:
    void ReadName(char* out, size_t capacity, size_t field) { m_in.Text(out, capacity, field); }

    bool ReadJoints(ModelFileMesh& mesh)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, kJointBytes))
            return Fail("its joint count passes the end");
        mesh.joints.resize(count);
        for (ModelJoint& joint : mesh.joints)
        {
            joint.word = m_in.U32();
            ReadName(joint.name.data(), sizeof(joint.name), kJointNameBytes);
            ReadMatrix(joint.bind);
        }
        return true;
    }

    bool ReadSockets(ModelFileMesh& mesh)
    {
        if (m_version < kModelSocketVersion)
            return true;
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, kSocketBytes))
            return Fail("its socket count passes the end");
        mesh.sockets.resize(count);
        for (ModelSocket& socket : mesh.sockets)
        {
            ReadName(socket.name.data(), sizeof(socket.name), kNodeNameBytes);
            const uint32_t joint = m_in.U32();
            if (joint >= kModelMaxSocketJoint)
                return Fail("a socket names a joint past 127");
            socket.joint = int32_t(joint);
            ReadMatrix(socket.matrix);
        }
        return true;
    }

    bool ReadAttributes(ModelFileMesh& mesh, uint32_t& packedSize)
    {
        const uint32_t count = m_in.U32();
        if (count > uint32_t(kVertexMapMaxAttributes))
            return Fail("it has more than twelve vertex attributes");
        packedSize = 0;
        mesh.attributes.resize(count);
        for (VertexAttribute& attribute : mesh.attributes)
        {
            attribute.location = m_in.U32();
            attribute.components = m_in.U32();
            attribute.type = m_in.U32();
            attribute.normalised = m_in.U32() != 0 ? 1 : 0;
            if (!m_in.Ok())
                return Fail("it ends inside the vertex layout");
            if (attribute.location >= uint32_t(kVertexMapMaxAttributes))
                return Fail("a vertex attribute has a location past 11");
            if (attribute.type < kGLByte || attribute.type > kGLFloat)
                return Fail("a vertex attribute has an unknown component type");
            if (attribute.components == 0 || attribute.components > kMaxComponents)
                return Fail("a vertex attribute has no or too many components");
            packedSize += attribute.components * VertexComponentSize(attribute.type);
        }
        return true;
    }

    void SwapVertices(ModelFileMesh& mesh)
    {
        for (uint32_t v = 0; v < mesh.vertexCount; ++v)
        {
            uint8_t* vertex = mesh.vertices.data() + size_t(v) * mesh.stride;
            for (const VertexAttribute& attribute : mesh.attributes)
            {
                const uint32_t size = VertexComponentSize(attribute.type);
                for (uint32_t c = 0; c < attribute.components; ++c, vertex += size)
                    for (uint32_t a = 0, b = size - 1; a < b; ++a, --b)
                        std::swap(vertex[a], vertex[b]);
            }
        }
    }

    bool ReadVertices(ModelFileMesh& mesh)
    {
        mesh.vertexCount = m_in.U32();
        uint32_t packedSize = 0;
        if (!ReadAttributes(mesh, packedSize))
            return false;
        mesh.stride = m_in.U32();
        if (!m_in.Ok())
            return Fail("it ends inside the vertex layout");
        if (mesh.stride < packedSize)
            return Fail("its vertex stride is smaller than its attributes");
        // Vertices of no bytes would pass any size check, however many the count claims.
        if (mesh.stride == 0 && mesh.vertexCount > 0)
            return Fail("its vertices have no bytes");
        if (!m_in.Holds(mesh.vertexCount, mesh.stride))
            return Fail("its vertices pass the end");
        // Straight from the file's bytes: no zeroing before the copy.
        const size_t size = size_t(mesh.vertexCount) * mesh.stride;
        const uint8_t* bytes = m_in.Take(size);
        if (!bytes)
            return Fail("its vertices pass the end");
        mesh.vertices.assign(bytes, bytes + size);
        if (m_in.Swap())
            SwapVertices(mesh);
        ComputeBounds(mesh);
        return true;
    }

    // From the first three floats of every vertex.
    static void ComputeBounds(ModelFileMesh& mesh)
    {
        mesh.centre = Vec3(0.0f, 0.0f, 0.0f);
        mesh.radius = 0.0f;
        if (mesh.vertexCount == 0 || mesh.stride < 12)
            return;
        float low[3] = {FLT_MAX, FLT_MAX, FLT_MAX};
        float high[3] = {-FLT_MAX, -FLT_MAX, -FLT_MAX};
        for (uint32_t v = 0; v < mesh.vertexCount; ++v)
        {
            float position[3];
            memcpy(position, mesh.vertices.data() + size_t(v) * mesh.stride, sizeof(position));
            for (int k = 0; k < 3; ++k)
            {
                low[k] = ModelFileMin(low[k], position[k]);
                high[k] = ModelFileMax(high[k], position[k]);
            }
        }
        mesh.centre = Vec3((low[0] + high[0]) * 0.5f, (low[1] + high[1]) * 0.5f, (low[2] + high[2]) * 0.5f);
        const float dx = high[0] - low[0], dy = high[1] - low[1], dz = high[2] - low[2];
        mesh.radius = 0.5f * std::sqrt(dx * dx + dy * dy + dz * dz);
    }

    bool ReadIndices(ModelFileMesh& mesh)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, 2))
            return Fail("its indices pass the end");
        mesh.indices.resize(count);
        if (m_in.Swap())
            for (uint16_t& index : mesh.indices)
                index = m_in.U16();
        else if (count > 0)
            memcpy(mesh.indices.data(), m_in.Take(size_t(count) * 2), size_t(count) * 2);
        for (const uint16_t index : mesh.indices)
            if (index >= mesh.vertexCount)
                return Fail("an index is past the vertices");
        return true;
    }

    bool ReadLayer(ModelTextureLayer& layer)
    {
        ReadName(layer.name.data(), sizeof(layer.name), kLayerNameBytes);
        layer.scaleU = m_in.F32();
        layer.scaleV = m_in.F32();
        layer.offsetU = m_in.F32();
        layer.offsetV = m_in.F32();
        layer.word = m_in.U32();
        layer.wrapFlags = m_in.U32();
        return m_in.Ok() || Fail("it ends inside a texture layer");
    }

    bool ReadDrawRanges(ModelMaterial& material, size_t indexCount)
    {
        const uint32_t ranges = m_in.U32();
        if (ranges == 0)
            return m_in.Ok() || Fail("it ends inside a material");
        material.firstIndex = m_in.U16();
        material.indexCount = m_in.U16();
        material.primitiveKind = m_in.U8();
        if (!m_in.Ok() || !m_in.Holds(ranges - 1, kSkippedRangeBytes))
            return Fail("its draw ranges pass the end");
        m_in.Skip(size_t(ranges - 1) * kSkippedRangeBytes);
        if (size_t(material.firstIndex) + material.indexCount > indexCount)
            return Fail("a draw range passes the indices");
        if (material.primitiveKind > kModelTriangleFan)
            return Fail("a draw range has an unknown primitive kind");
        return true;
    }

    bool ReadMaterial(ModelMaterial& material, size_t indexCount)
    {
        material.flags = m_in.U32();
        material.word2 = m_in.U32();
        m_in.Skip(8);
        if (m_version >= kModelMaterialNameVersion)
            ReadName(material.name.data(), sizeof(material.name), kMaterialNameBytes);
        if (m_version < kModelMeshNodeVersion && (material.flags & kMaterialOldNameFlag))
            m_in.Skip(kMaterialNameBytes);
        for (uint8_t& present : material.layerPresent)
            present = m_in.U8() != 0 ? 1 : 0;
        if (!m_in.Ok())
            return Fail("it ends inside a material");
        for (int layer = 0; layer < kModelTextureLayers; ++layer)
            if (material.layerPresent[layer] && !ReadLayer(material.layers[layer]))
                return false;
        return ReadDrawRanges(material, indexCount);
    }

    bool ReadMaterials(ModelFileMesh& mesh)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, kLeastMaterialBytes))
            return Fail("its material count passes the end");
        mesh.materials.resize(count);
        for (ModelMaterial& material : mesh.materials)
            if (!ReadMaterial(material, mesh.indices.size()))
                return false;
        return true;
    }

    bool ReadNodes(ModelFileMesh& mesh)
    {
        const uint32_t count = m_in.U32();
        if (!m_in.Holds(count, kNodeBytes))
            return Fail("its node count passes the end");
        mesh.nodes.resize(count);
        for (ModelNode& node : mesh.nodes)
        {
            ReadName(node.name.data(), sizeof(node.name), kNodeNameBytes);
            ReadMatrix(node.matrix);
        }
        return true;
    }

    ByteReader& m_in;
    uint32_t m_version;
    const char* m_fault = nullptr;
};

bool ReadModel(ByteReader& in, ModelFile& out, ModelFileReader& reader)
{
    in.Skip(12); // three words not used
    const float x = in.F32(), y = in.F32(), z = in.F32();
    out.centre = Vec3(x, y, z);
    out.radius = in.F32();
    in.Skip(24);
    const uint32_t meshCount = in.U32();
    if (!in.Ok())
        return reader.Fail("it ends inside its header");
    if (!in.Holds(meshCount, kLeastMeshBytes))
        return reader.Fail("its mesh count passes the end");
    out.meshes.resize(meshCount);
    for (ModelFileMesh& mesh : out.meshes)
        if (!reader.ReadMesh(mesh))
            return false;
    if (out.version >= kModelSphereVersion && !reader.ReadSpheres(out))
        return false;
    return in.Ok() || reader.Fail("it ends inside its spheres");
}
} // namespace

bool ModelFileParse(const uint8_t* bytes, size_t size, bool swap, const char* path, ModelFile& out)
{
    out = ModelFile();
    ByteReader in(bytes, size, swap);
    in.Skip(kHeaderTagBytes);
    out.version = in.U32();
    if (!in.Ok())
    {
        LogError("Model %s is damaged: it ends inside its header.\n", path);
        return false;
    }
    if (out.version <= kModelOldestVersion)
    {
        LogError("Old model format (version %03d) of %s no longer supported. (%03d and lower unsupported)\n",
                 int(out.version), path, int(kModelOldestVersion));
        return false;
    }
    ModelFileReader reader(in, out.version);
    if (ReadModel(in, out, reader))
        return true;
    LogError("Model %s is damaged: %s.\n", path, reader.Fault() ? reader.Fault() : "it ends early");
    out = ModelFile();
    return false;
}

namespace
{
struct Recast
{
    uint32_t location;
    uint32_t components; // of unsigned bytes in the file
    uint32_t newComponents;
    float divisor;
};

const Recast kRecasts[] = {
    {9, 2, 2, 255.0f}, // texture coordinates 1
    {5, 4, 1, 1.0f},   // bone indices: the first only
    {6, 4, 1, 255.0f}, // bone weights: the first only
};

const Recast* RecastOf(const VertexAttribute& attribute)
{
    if (attribute.type != kGLUnsignedByte)
        return nullptr;
    for (const Recast& recast : kRecasts)
        if (attribute.location == recast.location && attribute.components == recast.components)
            return &recast;
    return nullptr;
}
} // namespace

void ModelConvertForEmulation(ModelFileMesh& mesh)
{
    std::vector<VertexAttribute> converted = mesh.attributes;
    std::vector<const Recast*> recasts(mesh.attributes.size());
    uint32_t newStride = 0;
    for (size_t a = 0; a < mesh.attributes.size(); ++a)
    {
        recasts[a] = RecastOf(mesh.attributes[a]);
        if (recasts[a])
            converted[a] = {mesh.attributes[a].location, recasts[a]->newComponents, kGLFloat, 0};
        newStride += converted[a].components * VertexComponentSize(converted[a].type);
    }
    std::vector<uint8_t> vertices(size_t(mesh.vertexCount) * newStride);
    for (uint32_t v = 0; v < mesh.vertexCount; ++v)
    {
        const uint8_t* from = mesh.vertices.data() + size_t(v) * mesh.stride;
        uint8_t* to = vertices.data() + size_t(v) * newStride;
        for (size_t a = 0; a < mesh.attributes.size(); ++a)
        {
            const uint32_t oldSize =
                mesh.attributes[a].components * VertexComponentSize(mesh.attributes[a].type);
            const uint32_t newSize = converted[a].components * VertexComponentSize(converted[a].type);
            if (recasts[a])
                for (uint32_t c = 0; c < recasts[a]->newComponents; ++c)
                {
                    const float value = float(from[c]) / recasts[a]->divisor;
                    memcpy(to + c * sizeof(float), &value, sizeof(float));
                }
            else
                memcpy(to, from, oldSize);
            from += oldSize;
            to += newSize;
        }
    }
    mesh.attributes = converted;
    mesh.stride = newStride;
    mesh.vertices = std::move(vertices);
}
