#include "tools/formats/ModelWriter.h"

#include "tools/formats/ByteWriter.h"

namespace
{
constexpr uint32_t kGLUnsignedByte = 0x1401;
constexpr uint32_t kGLFloat = 0x1406;

void WriteMaterial(ByteWriter& out, const ChModelMaterial& material, uint32_t version)
{
    out.U32(material.flags);
    out.U32(material.word2);
    out.U32(0);
    out.U32(0);
    if (version >= 102)
        out.Text(material.name, 64);
    if (version < 100 && (material.flags & 0x40))
        out.Text(material.name, 64);
    for (bool present : material.present)
        out.U8(present ? 1 : 0);
    for (int i = 0; i < 4; ++i)
    {
        if (!material.present[i])
            continue;
        const ChModelLayer& layer = material.layers[i];
        out.Text(layer.name, 64);
        out.F32(layer.scaleU);
        out.F32(layer.scaleV);
        out.F32(layer.offsetU);
        out.F32(layer.offsetV);
        out.U32(layer.word);
        out.U32(layer.wrapFlags);
    }
    out.U32(uint32_t(material.ranges.size()));
    for (size_t i = 0; i < material.ranges.size(); ++i)
    {
        if (i == 0)
        {
            out.U16(material.ranges[i].first);
            out.U16(material.ranges[i].count);
            out.U8(material.ranges[i].kind);
            continue;
        }
        out.U32(material.ranges[i].first);
        out.U32(material.ranges[i].count);
        out.U32(material.ranges[i].kind);
    }
}

void WriteMesh(ByteWriter& out, const ChModelMesh& mesh, uint32_t version)
{
    const ChModelNode headNode = mesh.nodes.empty() ? ChModelNode() : mesh.nodes[0];
    if (version < 101)
        out.Text(headNode.name, 128);
    out.U32(mesh.flags);
    out.U32(0);
    out.U32(0);
    out.U32(uint32_t(mesh.sortOrder));
    if (version < 100)
        out.U32(0);
    out.U32(uint32_t(mesh.joints.size()));
    for (const ChModelJoint& joint : mesh.joints)
    {
        out.U32(joint.word);
        out.Text(joint.name, 64);
        out.Matrix(joint.bind);
    }
    if (version >= 103)
    {
        out.U32(uint32_t(mesh.sockets.size()));
        for (const ChModelSocket& socket : mesh.sockets)
        {
            out.Text(socket.name, 128);
            out.U32(socket.joint);
            out.Matrix(socket.matrix);
        }
    }
    if (version < 101)
        out.Matrix(headNode.matrix);
    for (int i = 0; i < 4; ++i)
        out.F32(0.0f); // centre and radius: the reader makes its own
    out.U32(mesh.vertexCount);
    out.U32(uint32_t(mesh.attributes.size()));
    for (const VertexAttribute& attribute : mesh.attributes)
    {
        out.U32(attribute.location);
        out.U32(attribute.components);
        out.U32(attribute.type);
        out.U32(attribute.normalised);
    }
    out.U32(mesh.stride);
    out.Raw(mesh.vertices.data(), mesh.vertices.size());
    out.U32(uint32_t(mesh.indices.size()));
    for (uint16_t index : mesh.indices)
        out.U16(index);
    out.U32(uint32_t(mesh.materials.size()));
    for (const ChModelMaterial& material : mesh.materials)
        WriteMaterial(out, material, version);
    if (version >= 101)
    {
        out.U32(uint32_t(mesh.nodes.size()));
        for (const ChModelNode& node : mesh.nodes)
        {
            out.Text(node.name, 128);
            out.Matrix(node.matrix);
        }
    }
}
} // namespace

std::vector<uint8_t> ChModelWrite(const ChModel& model)
{
    ByteWriter out;
    out.Text("PENDRELMODEL", 12);
    out.U32(model.version);
    if (model.version > 6)
        for (int i = 0; i < 3; ++i)
            out.U32(0);
    for (float value : model.centre)
        out.F32(value);
    out.F32(model.radius);
    for (int i = 0; i < 6; ++i)
        out.F32(0.0f);
    out.U32(uint32_t(model.meshes.size()));
    for (const ChModelMesh& mesh : model.meshes)
        WriteMesh(out, mesh, model.version);
    if (model.version >= 104)
    {
        out.U32(uint32_t(model.spheres.size() / 4));
        for (size_t i = 0; i + 3 < model.spheres.size(); i += 4)
            for (size_t k = 0; k < 4; ++k)
                out.F32(model.spheres[i + k]);
    }
    return std::move(out.Bytes());
}

void ChModelSetVertices(ChModelMesh& mesh, const std::vector<ChModelVertex>& vertices, bool skinned)
{
    mesh.attributes = {{0, 3, kGLFloat, 0}, {2, 3, kGLFloat, 0}, {8, 2, kGLFloat, 0}};
    if (skinned)
    {
        mesh.attributes.push_back({5, 4, kGLUnsignedByte, 0});
        mesh.attributes.push_back({6, 4, kGLUnsignedByte, 1});
    }
    mesh.stride = skinned ? 40 : 32;
    mesh.vertexCount = uint32_t(vertices.size());
    ByteWriter out;
    for (const ChModelVertex& vertex : vertices)
    {
        out.Raw(vertex.position, sizeof vertex.position);
        out.Raw(vertex.normal, sizeof vertex.normal);
        out.Raw(vertex.uv, sizeof vertex.uv);
        if (skinned)
        {
            out.Raw(vertex.joints, 4);
            out.Raw(vertex.weights, 4);
        }
    }
    mesh.vertices = std::move(out.Bytes());
}

ChModelMaterial ChModelTexturedMaterial(const std::string& texture, uint16_t first, uint16_t count)
{
    ChModelMaterial material;
    material.name = texture;
    material.present[0] = true;
    material.layers[0].name = texture;
    material.ranges.push_back({first, count, 0});
    return material;
}
