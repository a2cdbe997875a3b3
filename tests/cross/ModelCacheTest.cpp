// Models through the file table: loading with a real GL context, the
// texture search, sharing and release, the buffer-model table and masks,
// and reloads that keep the record.

#include "cross/ModelCache.h"
#include "ModelFixtures.h"
#include "core/FileTable.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "cross/ModelScriptAPI.h"
#include "cross/ObjAnim.h"
#include "cross/UVAnim.h"
#include "opengl/GLCaps.h"
#include "opengl/Texture.h"
#include "support/LogCapture.h"
#include "support/TempDir.h"
#include "support/gl/GLDrawTest.h"
#include "tools/formats/DdsWriter.h"
#include "tools/formats/SideAnimWriter.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>

#include <cstring>
#include <memory>
#include <string>

namespace
{
class ModelCacheTest : public GLDrawTest
{
protected:
    void TearDown() override
    {
        for (int row = 0; row < kBufferModelRows; ++row)
            ModelBufferModelSetPath(row, "");
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLDrawTest::TearDown();
    }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(dir->WriteFile("data/" + name, bytes.data(), bytes.size()));
    }

    // An empty tree in place of the last one.
    void Fresh()
    {
        FileTableRebuild("no such folder");
        dir.reset(new TempDir);
    }

    void WriteTga(const std::string& name)
    {
        const std::vector<uint8_t> pixels(4 * 4 * 4, 200);
        Write(name, TgaWrite(pixels.data(), 4, 4, {}));
    }

    void WriteDds(const std::string& name)
    {
        const std::vector<uint8_t> pixels(8 * 8 * 4, 90);
        Write(name, DdsWrite(DxtFormat::DXT1, pixels.data(), 8, 8));
    }

    // A UV track for the quad's layer and object tracks for its node "blade"
    // and for a node it lacks, beside the model.
    void WriteSideFiles(const std::string& model)
    {
        UVSideFile uv;
        uv.tracks.push_back({"tree.tga", {}, 0, {0, 0, 0.5f, 0}});
        ObjSideFile obj;
        obj.tracks.push_back({"blade", {}, 0, {Mat4Identity()}});
        obj.tracks.push_back({"other", {}, 0, {Mat4Identity()}});
        Write(model + "uvanim", UVSideWrite(uv));
        Write(model + "objanim", ObjSideWrite(obj));
    }

    void Mount() { FileTableMountDataTree(dir->Root().c_str()); }

    const FileTableEntry& Entry(const char* name) { return *FileTableFindEntry(name); }

    std::unique_ptr<TempDir> dir{new TempDir};
};

struct SearchCase
{
    const char* what;
    const char* layer;
    const char* present; // the one texture file in the tree
    const char* found;   // the texture's name, or null
};

const SearchCase kSearches[] = {
    {"beside the model", "tree.tga", "props/set01/tree.tga", "props/set01/tree.tga"},
    {"below the model", "tree.tga", "props/set01/leaves/tree.tga", "props/set01/leaves/tree.tga"},
    {"as .dds two folders below the parent", "tree.tga", "props/x/y/tree.dds", "props/x/y/tree.dds"},
    {"with a folder in its name", "leaves/tree.tga", "props/set01/leaves/tree.tga",
     "props/set01/leaves/tree.tga"},
    {"pattern characters taken literally", "a+b.tga", "props/deep/a+b.tga", "props/deep/a+b.tga"},
    {"a dot matches only a dot", "tree.tga", "props/set01/tree_tga", nullptr},
    {"not under a look-alike folder", "tree.tga", "otherprops/tree.tga", nullptr},
    {"missing", "tree.tga", "textures/bark.tga", nullptr},
};
} // namespace

TEST_F(ModelCacheTest, LayerTexturesAreFoundBesideUpAndBelow)
{
    for (const SearchCase& row : kSearches)
    {
        SCOPED_TRACE(row.what);
        Fresh();
        Write("props/set01/m.chmodel", ChModelWrite(QuadModel(104, row.layer)));
        if (strstr(row.present, ".dds"))
            WriteDds(row.present);
        else
            WriteTga(row.present);
        Mount();
        LogCapture log;
        Model* model = ModelCache("props/set01/m.chmodel");
        ASSERT_TRUE(model);
        Texture* texture = model->GetMaterialRecord(0, 0)->layers[0].texture;
        if (row.found)
        {
            ASSERT_TRUE(texture);
            EXPECT_STREQ(texture->m_name, row.found);
            EXPECT_TRUE(log.Lines().empty()) << log.Lines()[0];
        }
        else
        {
            EXPECT_EQ(texture, nullptr);
            ASSERT_EQ(log.Lines().size(), 1u);
            EXPECT_EQ(log.Lines()[0], std::string("Could not find texture ") + row.layer +
                                          " for model props/set01/m.chmodel\n");
        }
        ModelRelease(model);
        if (row.found)
        {
            EXPECT_EQ(Entry(row.found).kind, kResourceGone);
        }
    }
}

TEST_F(ModelCacheTest, LoadsShareOneRecordUntilTheLastRelease)
{
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    Mount();
    Model* first = ModelCache("props/m.chmodel");
    ASSERT_TRUE(first);
    EXPECT_EQ(ModelCache("props/m.chmodel"), first);
    EXPECT_EQ(Entry("props/m.chmodel").kind, kResourceBufferModel);
    EXPECT_EQ(Entry("props/m.chmodel").refCount, 2u);
    EXPECT_STREQ(first->m_name, "props/m.chmodel");
    EXPECT_EQ(Entry("props/tree.tga").refCount, 1u);

    ASSERT_EQ(Model::GetMeshCount(first), 1);
    const ModelMesh* mesh = first->GetMesh(0);
    EXPECT_NE(mesh->vertexMap, 0u);
    EXPECT_NE(mesh->vertexBuffer, 0u);
    EXPECT_NE(mesh->indexBuffer, 0u);
    EXPECT_EQ(mesh->sortOrder, 7);
    EXPECT_EQ(first->GetSocketIndexByName(0, "hand"), 0);
    EXPECT_EQ(first->GetSocketIndexByName(0, "foot"), -1);
    EXPECT_EQ(first->GetSocketJoint(0, 0), 0);
    EXPECT_EQ(first->GetSocketJoint(0, 1), -1);
    EXPECT_EQ(first->GetSocket(0, 1), nullptr);
    EXPECT_EQ(Model::GetSphereCount(first), 2);
    EXPECT_EQ(first->GetSpheres()[1].w, 4.0f);
    EXPECT_EQ(Model::GetSphereCount(nullptr), -1);
    EXPECT_EQ(Model::GetMeshCount(nullptr), 0);

    ModelRelease(first);
    EXPECT_EQ(Entry("props/m.chmodel").resource, first);
    ModelRelease(first);
    EXPECT_EQ(Entry("props/m.chmodel").kind, kResourceGone);
    EXPECT_EQ(Entry("props/m.chmodel").resource, nullptr);
    EXPECT_EQ(Entry("props/tree.tga").kind, kResourceGone);
}

TEST_F(ModelCacheTest, VersionHundredHasOneHeadNodeAndNoSpheres)
{
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(100)));
    Mount();
    Model* model = ModelCache("props/m.chmodel");
    ASSERT_TRUE(model);
    EXPECT_EQ(Model::GetSphereCount(model), 0);
    EXPECT_EQ(model->GetSpheres(), nullptr);
    EXPECT_EQ(model->GetMesh(0)->GetSocketCount(), 0);
    ASSERT_EQ(model->GetMesh(0)->GetNodeCount(), 1);
    EXPECT_STREQ(model->GetMesh(0)->nodes[0].name, "blade");
    ModelRelease(model);
}

TEST_F(ModelCacheTest, MaterialTextureNamesSplitAtTheBar)
{
    Write("props/m.chmodel", ChModelWrite(QuadModel(104, "a|b")));
    Mount();
    LogCapture log;
    Model* model = ModelCache("props/m.chmodel");
    ASSERT_TRUE(model);
    FixedString64 first, second;
    ASSERT_TRUE(model->GetMaterialTextureNames(0, 0, first, second));
    EXPECT_STREQ(first, "a");
    EXPECT_STREQ(second, "b");
    EXPECT_FALSE(model->GetMaterialTextureNames(0, 1, first, second));
    ModelRelease(model);
}

TEST_F(ModelCacheTest, TableRowsFollowTheModelAndMasksReachOnlyLoadedRows)
{
    ModelBufferModelSetPath(3, "props/m.chmodel");
    ModelBufferModelSetPath(9, "props/m.chmodel");
    ModelBufferModelSetPath(5, "props/other.chmodel");
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    Write("props/free.chmodel", ChModelWrite(QuadModel(104)));
    Mount();
    Model* model = ModelCache("props/m.chmodel");
    Model* loose = ModelCache("props/free.chmodel");
    ASSERT_TRUE(model && loose);
    const BufferModelRow* rows = ModelBufferModelTable();
    EXPECT_EQ(rows[3].model, model);
    EXPECT_EQ(rows[9].model, model);
    EXPECT_EQ(rows[5].model, nullptr);
    for (int row = 0; row < kBufferModelRows; ++row)
        EXPECT_NE(rows[row].model, loose) << row;

    ModelBufferModelMask("props/other.chmodel");
    ModelBufferModelMask("props/free.chmodel");
    EXPECT_EQ(loose->m_mask, 0);
    ModelBufferModelMask("props/m.chmodel");
    EXPECT_EQ(model->m_mask, 1);
    ModelBufferModelsUnmaskAll();
    EXPECT_EQ(model->m_mask, 0);

    ModelRelease(model);
    EXPECT_EQ(rows[3].model, nullptr);
    EXPECT_EQ(rows[9].model, nullptr);
    ModelRelease(loose);
}

TEST_F(ModelCacheTest, TheFoliageModelGetsTheStaticBucket)
{
    int bucket = 0;
    ModelSetFoliageShaderBucket(reinterpret_cast<ShaderBucket*>(&bucket));
    Write(kFoliageModelName, ChModelWrite(QuadModel(104)));
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    Mount();
    LogCapture log;
    Model* foliage = ModelCache(kFoliageModelName);
    Model* other = ModelCache("props/m.chmodel");
    ASSERT_TRUE(foliage && other);
    EXPECT_EQ(foliage->m_shaderBucket, reinterpret_cast<ShaderBucket*>(&bucket));
    EXPECT_EQ(other->m_shaderBucket, nullptr);
    ModelRelease(foliage);
    ModelRelease(other);
    ModelSetFoliageShaderBucket(nullptr);
}

TEST_F(ModelCacheTest, FailedLoadsReportAndLeaveNothingBehind)
{
    std::vector<uint8_t> truncated = ChModelWrite(QuadModel(104));
    truncated.resize(truncated.size() / 2);
    Write("props/bad.chmodel", truncated);
    WriteSideFiles("props/bad.chmodel");
    Write("props/old.chmodel", ChModelWrite(QuadModel(6)));
    const std::string longName = "props/" + std::string(130, 'x') + ".chmodel";
    Write(longName, ChModelWrite(QuadModel(104)));
    Mount();

    const std::pair<const char*, const char*> cases[] = {
        {"props/bad.chmodel", "Model props/bad.chmodel is damaged"},
        {"props/old.chmodel", "Old model format (version 006) of props/old.chmodel"},
        {"props/none.chmodel", "Open model props/none.chmodel failed.\n"},
        {longName.c_str(), "is too long"},
    };
    for (const auto& row : cases)
    {
        SCOPED_TRACE(row.first);
        LogCapture log;
        EXPECT_EQ(ModelCache(row.first), nullptr);
        ASSERT_EQ(log.Lines().size(), 1u);
        EXPECT_NE(log.Lines()[0].find(row.second), std::string::npos) << log.Lines()[0];
        EXPECT_EQ(UVAnimListSize(), 0u);
        EXPECT_EQ(ObjAnimListSize(), 0u);
    }
    EXPECT_EQ(Entry("props/bad.chmodel").resource, nullptr);
}

TEST_F(ModelCacheTest, SideTracksAreTiedByNameAndLeaveWithTheModel)
{
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    WriteSideFiles("props/m.chmodel");
    Mount();
    Model* model = ModelCache("props/m.chmodel");
    ASSERT_TRUE(model);
    ASSERT_TRUE(model->GetUVAnims() && model->GetObjAnims());
    EXPECT_EQ(UVAnimListSize(), 1u);
    EXPECT_EQ(ObjAnimListSize(), 1u);
    EXPECT_EQ(model->GetMaterialRecord(0, 0)->layers[0].uvAnim, &model->GetUVAnims()->tracks[0]);
    EXPECT_EQ(model->GetMesh(0)->nodes[0].objAnim, &model->GetObjAnims()->tracks[0]);
    ModelRelease(model);
    EXPECT_EQ(UVAnimListSize(), 0u);
    EXPECT_EQ(ObjAnimListSize(), 0u);
}

TEST_F(ModelCacheTest, ReloadKeepsTheRecordAndADamagedFileKeepsTheOldModel)
{
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    WriteSideFiles("props/m.chmodel");
    Mount();
    Model* model = ModelCache("props/m.chmodel");
    ASSERT_TRUE(model);
    UVAnimSet* firstSet = model->GetUVAnims();

    ChModel twoMeshes = QuadModel(104);
    twoMeshes.meshes.push_back(twoMeshes.meshes[0]);
    Write("props/m.chmodel", ChModelWrite(twoMeshes));
    ASSERT_TRUE(ModelReload(model, "props/m.chmodel"));
    EXPECT_EQ(Model::GetMeshCount(model), 2);
    EXPECT_EQ(UVAnimListSize(), 1u);
    EXPECT_NE(model->GetUVAnims(), firstSet);
    EXPECT_EQ(Entry("props/tree.tga").refCount, 2u);

    std::vector<uint8_t> truncated = ChModelWrite(QuadModel(104));
    truncated.resize(truncated.size() - 9);
    Write("props/m.chmodel", truncated);
    const UVAnimSet* keptSet = model->GetUVAnims();
    LogCapture log;
    EXPECT_FALSE(ModelReload(model, "props/m.chmodel"));
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(Model::GetMeshCount(model), 2);
    EXPECT_EQ(model->GetUVAnims(), keptSet);
    EXPECT_EQ(UVAnimListSize(), 1u);
    EXPECT_EQ(ModelCache("props/m.chmodel"), model);
    ModelRelease(model);
    ModelRelease(model);
    EXPECT_EQ(Entry("props/tree.tga").kind, kResourceGone);
}

TEST_F(ModelCacheTest, TheEmulatedPathUploadsRecastVertices)
{
    ChModel model = QuadModel(104);
    std::vector<ChModelVertex> vertices(4);
    for (ChModelVertex& vertex : vertices)
        vertex.weights[0] = 255;
    ChModelSetVertices(model.meshes[0], vertices, true);
    Write("props/skin.chmodel", ChModelWrite(model));
    Mount();
    LogCapture log;
    GLTestUseVertexArrays(false);
    Model* loaded = ModelCache("props/skin.chmodel");
    ASSERT_TRUE(loaded);
    // 32 bytes of floats, then one float each for the joint and the weight.
    float jointAndWeight[2] = {-1.0f, -1.0f};
    glBindBuffer(GL_ARRAY_BUFFER, loaded->GetMesh(0)->vertexBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 32, sizeof jointAndWeight, jointAndWeight);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(jointAndWeight[0], 0.0f);
    EXPECT_EQ(jointAndWeight[1], 1.0f);
    ModelRelease(loaded);
    GLTestUseVertexArrays(true);
}

namespace
{
bool RunScript(HSQUIRRELVM vm, const char* code)
{
    if (SQ_FAILED(sq_compilebuffer(vm, code, SQInteger(strlen(code)), "test", SQTrue)))
        return false;
    sq_pushroottable(vm);
    const bool ran = SQ_SUCCEEDED(sq_call(vm, 1, SQFalse, SQTrue));
    sq_pop(vm, 1);
    return ran;
}
} // namespace

TEST_F(ModelCacheTest, ScriptsCacheModelsAndAnimationsAndMaskTableModels)
{
    ModelBufferModelSetPath(12, "props/m.chmodel");
    WriteTga("props/tree.tga");
    Write("props/m.chmodel", ChModelWrite(QuadModel(104)));
    Write("props/arm.chanim", ChAnimWrite(ChainAnim(4, 2, 3)));
    Mount();
    HSQUIRRELVM vm = sq_open(1024);
    RegisterModelScriptAPI(vm);
    ASSERT_TRUE(RunScript(vm,
                          "CacheModel(\"props/m.chmodel\"); CacheAnim(\"props/arm.chanim\");"
                          "MaskBufferModel(\"props/m.chmodel\"); MaskBufferModel(\"props/none.chmodel\");"));
    Model* model = ModelBufferModelTable()[12].model;
    ASSERT_TRUE(model);
    EXPECT_EQ(model->m_mask, 1);
    EXPECT_EQ(Entry("props/m.chmodel").refCount, 1u);
    // The script's animation stays cached with no holder left.
    EXPECT_EQ(Entry("props/arm.chanim").kind, kResourceAnimation);
    EXPECT_EQ(Entry("props/arm.chanim").refCount, 0u);
    ASSERT_TRUE(RunScript(vm, "UnMaskBufferModels();"));
    EXPECT_EQ(model->m_mask, 0);
    sq_close(vm);
    ModelRelease(model);
    AnimFreeAll();
}
