// The model file reader: what each version holds, and damaged files refused
// with one report before anything of them is used.

#include "cross/ModelFile.h"
#include "ModelFixtures.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>

namespace
{
bool Parse(const std::vector<uint8_t>& bytes, ModelFile& file)
{
    return ModelFileParse(bytes.data(), bytes.size(), false, "props/m.chmodel", file);
}

struct VersionCase
{
    uint32_t version;
    size_t sockets;
    size_t spheres;
    const char* materialName;
};

const VersionCase kVersions[] = {
    {7, 0, 0, ""},           {99, 0, 0, ""},          {100, 0, 0, ""},         {101, 0, 0, ""},
    {102, 0, 0, "tree.tga"}, {103, 1, 0, "tree.tga"}, {104, 1, 2, "tree.tga"}, {250, 1, 2, "tree.tga"},
};
} // namespace

TEST(ModelFile, EachVersionReadsWhatItHolds)
{
    for (const VersionCase& row : kVersions)
    {
        SCOPED_TRACE(row.version);
        LogCapture log;
        ModelFile file;
        ASSERT_TRUE(Parse(ChModelWrite(QuadModel(row.version)), file));
        EXPECT_TRUE(log.Lines().empty());
        ASSERT_EQ(file.meshes.size(), 1u);
        const ModelFileMesh& mesh = file.meshes[0];
        EXPECT_EQ(mesh.flags, 0x11u);
        EXPECT_EQ(mesh.sortOrder, 7);
        ASSERT_EQ(mesh.nodes.size(), 1u);
        EXPECT_STREQ(mesh.nodes[0].name, "blade");
        EXPECT_EQ(mesh.nodes[0].matrix[13], 2.0f);
        ASSERT_EQ(mesh.joints.size(), 1u);
        EXPECT_STREQ(mesh.joints[0].name, "root");
        EXPECT_EQ(mesh.joints[0].word, 3u);
        ASSERT_EQ(mesh.sockets.size(), row.sockets);
        if (row.sockets)
        {
            EXPECT_STREQ(mesh.sockets[0].name, "hand");
            EXPECT_EQ(mesh.sockets[0].matrix[12], 5.0f);
        }
        EXPECT_EQ(file.spheres.size(), row.spheres);
        ASSERT_EQ(mesh.materials.size(), 1u);
        EXPECT_STREQ(mesh.materials[0].name, row.materialName);
        EXPECT_STREQ(mesh.materials[0].layers[0].name, "tree.tga");
        EXPECT_EQ(mesh.materials[0].indexCount, 6);
        EXPECT_EQ(mesh.indices.size(), 6u);
        EXPECT_EQ(mesh.vertexCount, 4u);
        EXPECT_EQ(file.radius, 5.0f);
    }
}

TEST(ModelFile, VersionSixAndBelowAreRefusedAsOld)
{
    for (uint32_t version : {0u, 6u})
    {
        LogCapture log;
        ModelFile file;
        EXPECT_FALSE(Parse(ChModelWrite(QuadModel(version)), file));
        ASSERT_EQ(log.Lines().size(), 1u);
        char expected[200];
        snprintf(expected, sizeof expected,
                 "Old model format (version %03u) of props/m.chmodel no longer supported. (006 and lower "
                 "unsupported)\n",
                 version);
        EXPECT_EQ(log.Lines()[0], expected);
    }
}

TEST(ModelFile, OldMaterialsSkipTheirNameWhenFlagged)
{
    ChModel model = QuadModel(99);
    model.meshes[0].materials[0].flags = 0x40;
    ModelFile file;
    ASSERT_TRUE(Parse(ChModelWrite(model), file));
    EXPECT_STREQ(file.meshes[0].materials[0].layers[0].name, "tree.tga");
    EXPECT_STREQ(file.meshes[0].nodes[0].name, "blade");
}

TEST(ModelFile, BoundsComeFromTheVertices)
{
    ModelFile file;
    ASSERT_TRUE(Parse(ChModelWrite(QuadModel(104)), file));
    EXPECT_FLOAT_EQ(file.meshes[0].centre.x, 2.0f);
    EXPECT_FLOAT_EQ(file.meshes[0].centre.y, 0.0f);
    EXPECT_FLOAT_EQ(file.meshes[0].radius, std::sqrt(8.0f) / 2.0f);

    ChModel negative = QuadModel(104);
    std::vector<ChModelVertex> vertices(3);
    vertices[0].position[0] = -5.0f;
    vertices[1].position[0] = -3.0f;
    vertices[2].position[0] = -4.0f;
    ChModelSetVertices(negative.meshes[0], vertices, false);
    negative.meshes[0].indices = {0, 1, 2};
    negative.meshes[0].materials[0].ranges[0].count = 3;
    ASSERT_TRUE(Parse(ChModelWrite(negative), file));
    EXPECT_FLOAT_EQ(file.meshes[0].centre.x, -4.0f);
    EXPECT_FLOAT_EQ(file.meshes[0].radius, 1.0f);
}

TEST(ModelFile, OnlyTheFirstDrawRangeIsKept)
{
    ChModel model = QuadModel(104);
    model.meshes[0].materials[0].ranges = {{3, 3, 1}, {0, 6, 0}, {0, 60000, 9}};
    ModelFile file;
    ASSERT_TRUE(Parse(ChModelWrite(model), file));
    const ModelMaterial& material = file.meshes[0].materials[0];
    EXPECT_EQ(material.firstIndex, 3);
    EXPECT_EQ(material.indexCount, 3);
    EXPECT_EQ(material.primitiveKind, kModelTriangleStrip);
    ASSERT_EQ(file.meshes[0].nodes.size(), 1u);
    EXPECT_STREQ(file.meshes[0].nodes[0].name, "blade");
}

TEST(ModelFile, NamesAreCutAtTheirField)
{
    ChModel model = QuadModel(104);
    model.meshes[0].joints[0].name = std::string(64, 'j');
    model.meshes[0].sockets[0].name = std::string(128, 's');
    ModelFile file;
    ASSERT_TRUE(Parse(ChModelWrite(model), file));
    const ModelFileMesh& mesh = file.meshes[0];
    EXPECT_EQ(strlen(mesh.joints[0].name), 63u);
    EXPECT_EQ(strlen(mesh.sockets[0].name), 127u);
    EXPECT_EQ(mesh.sockets[0].matrix[12], 5.0f);
    EXPECT_STREQ(mesh.nodes[0].name, "blade");
}

TEST(ModelFile, DamagedFilesAreRefusedWithOneReport)
{
    const std::pair<const char*, std::function<void(ChModelMesh&)>> faults[] = {
        {"thirteen attributes", [](ChModelMesh& m) { m.attributes.resize(13, m.attributes[0]); }},
        {"location 12", [](ChModelMesh& m) { m.attributes[1].location = 12; }},
        {"type below GL_BYTE", [](ChModelMesh& m) { m.attributes[1].type = 0x13FF; }},
        {"type past GL_FLOAT", [](ChModelMesh& m) { m.attributes[1].type = 0x1407; }},
        {"no components", [](ChModelMesh& m) { m.attributes[1].components = 0; }},
        {"a million components", [](ChModelMesh& m) { m.attributes[1].components = 1000000; }},
        {"stride short of the attributes", [](ChModelMesh& m) { m.stride = 28; }},
        {"index past the vertices", [](ChModelMesh& m) { m.indices[4] = 4; }},
        {"draw range past the indices",
         [](ChModelMesh& m) {
             m.materials[0].ranges[0] = {4, 3, 0};
         }},
        {"primitive kind 3", [](ChModelMesh& m) { m.materials[0].ranges[0].kind = 3; }},
        {"socket joint 128", [](ChModelMesh& m) { m.sockets[0].joint = 128; }},
        {"vertices past the end", [](ChModelMesh& m) { m.vertexCount = 0x40000000; }},
        {"four billion vertices of no bytes",
         [](ChModelMesh& m) {
             m.attributes.clear();
             m.stride = 0;
             m.vertices.clear();
             m.vertexCount = 0xFFFFFFF0u;
         }},
    };
    for (const auto& fault : faults)
    {
        SCOPED_TRACE(fault.first);
        ChModel model = QuadModel(104);
        fault.second(model.meshes[0]);
        const std::vector<uint8_t> bytes = ChModelWrite(model);
        LogCapture log;
        ModelFile file;
        EXPECT_FALSE(Parse(bytes, file));
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find("Model props/m.chmodel is damaged"), std::string::npos)
            << log.Lines()[0];
        EXPECT_TRUE(file.meshes.empty());
    }
}

TEST(ModelFile, CountsPastTheEndAreRefused)
{
    // Where a version 104 file keeps its mesh count and its first mesh's joint count.
    const size_t kMeshCountOffset = 12 + 4 + 12 + 16 + 24;
    const size_t kJointCountOffset = kMeshCountOffset + 4 + 16;
    for (size_t offset : {kMeshCountOffset, kJointCountOffset})
    {
        std::vector<uint8_t> bytes = ChModelWrite(QuadModel(104));
        memset(bytes.data() + offset, 0xFF, 4);
        LogCapture log;
        ModelFile file;
        EXPECT_FALSE(Parse(bytes, file)) << offset;
        EXPECT_EQ(log.Lines().size(), 1u) << offset;
    }
}

TEST(ModelFile, EveryTruncationIsRefused)
{
    for (uint32_t version : {99u, 104u})
    {
        const std::vector<uint8_t> bytes = ChModelWrite(QuadModel(version));
        for (size_t size = 0; size < bytes.size(); ++size)
        {
            LogCapture log;
            ModelFile file;
            EXPECT_FALSE(ModelFileParse(bytes.data(), size, false, "m", file)) << size;
            EXPECT_EQ(log.Lines().size(), 1u) << size;
        }
    }
}

TEST(ModelFile, EmulationRecastsTheByteAttributes)
{
    ChModelMesh written;
    std::vector<ChModelVertex> vertices(2);
    vertices[1].joints[0] = 7;
    vertices[1].joints[1] = 9;
    vertices[1].weights[0] = 255;
    vertices[1].weights[1] = 51;
    ChModelSetVertices(written, vertices, true);
    // Texture coordinates 1 as two bytes, after the rest.
    written.attributes.push_back({9, 2, 0x1401, 1});
    std::vector<uint8_t> packed;
    for (uint32_t v = 0; v < 2; ++v)
    {
        packed.insert(packed.end(), written.vertices.begin() + v * 40,
                      written.vertices.begin() + (v + 1) * 40);
        packed.push_back(uint8_t(v ? 255 : 0));
        packed.push_back(51);
        packed.push_back(0xEE); // padding the stride covers
        packed.push_back(0xEE);
    }
    written.vertices = packed;
    written.stride = 44;

    ModelFileMesh mesh;
    mesh.vertexCount = 2;
    mesh.attributes = written.attributes;
    mesh.stride = written.stride;
    mesh.vertices = written.vertices;
    ModelConvertForEmulation(mesh);

    // position 12 + normal 12 + uv 8 + bone 4 + weight 4 + uv1 8
    ASSERT_EQ(mesh.stride, 48u);
    ASSERT_EQ(mesh.vertices.size(), 96u);
    const VertexAttribute expected[] = {{0, 3, 0x1406, 0}, {2, 3, 0x1406, 0}, {8, 2, 0x1406, 0},
                                        {5, 1, 0x1406, 0}, {6, 1, 0x1406, 0}, {9, 2, 0x1406, 0}};
    for (size_t a = 0; a < 6; ++a)
    {
        EXPECT_EQ(mesh.attributes[a].location, expected[a].location);
        EXPECT_EQ(mesh.attributes[a].components, expected[a].components);
        EXPECT_EQ(mesh.attributes[a].type, expected[a].type);
        EXPECT_EQ(mesh.attributes[a].normalised, expected[a].normalised);
    }
    float values[4];
    memcpy(values, mesh.vertices.data() + 48 + 32, sizeof values);
    EXPECT_EQ(values[0], 7.0f);
    EXPECT_EQ(values[1], 1.0f);
    EXPECT_EQ(values[2], 1.0f);
    EXPECT_FLOAT_EQ(values[3], 0.2f);
    EXPECT_EQ(memcmp(mesh.vertices.data() + 48, written.vertices.data() + 44, 32), 0);
}
