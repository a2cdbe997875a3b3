// A skinned model posed by an animation draws the same picture through
// vertex array objects and through their emulation, whose vertices the
// loader recasts for one bone per vertex.

#include "ModelFixtures.h"
#include "core/FileTable.h"
#include "cross/AnimBuffer.h"
#include "cross/Model.h"
#include "cross/ModelCache.h"
#include "opengl/GLState.h"
#include "opengl/ShaderProgram.h"
#include "support/DisplayTestSupport.h"
#include "support/TempDir.h"
#include "support/gl/GLDrawTest.h"
#include "tools/formats/TgaWriter.h"

#include <GL/glew.h>

#include <fstream>
#include <sstream>

namespace
{
class SkinnedDrawTest : public GLDrawTest
{
protected:
    void SetUp() override
    {
        GLDrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const char* program : {"basic", "basic_Non_VAOUniBone"})
            CopyShippedShader(program);
        const std::vector<uint8_t> white(4 * 4 * 4, 255);
        const std::vector<uint8_t> texture = TgaWrite(white.data(), 4, 4, {});
        ASSERT_TRUE(dir.WriteFile("data/arm/white.tga", texture.data(), texture.size()));
        const std::vector<uint8_t> model = ChModelWrite(TwoQuads());
        ASSERT_TRUE(dir.WriteFile("data/arm/arm.chmodel", model.data(), model.size()));
        ChAnim anim = ChainAnim(4, 2, 1);
        anim.animations[0].positionJointCount = 1;
        anim.animations[0].positionMask = 0x2;
        anim.animations[0].positionKeys = {Vec4(0, 0.4f, 0, 0)};
        const std::vector<uint8_t> animBytes = ChAnimWrite(anim);
        ASSERT_TRUE(dir.WriteFile("data/arm/arm.chanim", animBytes.data(), animBytes.size()));
        FileTableMountDataTree(dir.Root().c_str());
        ShaderSetRoot("shaders/GLSL/");
    }

    void TearDown() override
    {
        AnimFreeAll();
        FileWatchInit("");
        FileTableRebuild("no such folder");
        GLDrawTest::TearDown();
    }

    void CopyShippedShader(const char* program)
    {
        const std::string name = std::string("shaders/GLSL/") + program + ".glsl";
        std::ifstream in(std::string(PENDREL_SOURCE_DIR) + "/demo/data/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        ASSERT_TRUE(dir.WriteFile("data/" + name, text.str()));
    }

    // Left quad on joint 0, right quad on joint 1, in clip space.
    static ChModel TwoQuads()
    {
        ChModel model = QuadModel(104, "white.tga");
        ChModelMesh& mesh = model.meshes[0];
        std::vector<ChModelVertex> vertices;
        const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int joint = 0; joint < 2; ++joint)
            for (const auto& corner : corners)
            {
                ChModelVertex vertex;
                vertex.position[0] = (joint ? 0.1f : -0.9f) + corner[0] * 0.8f;
                vertex.position[1] = -0.5f + corner[1] * 0.6f;
                vertex.joints[0] = uint8_t(joint);
                vertex.weights[0] = 255;
                vertices.push_back(vertex);
            }
        ChModelSetVertices(mesh, vertices, true);
        mesh.indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
        mesh.materials[0].ranges[0].count = 12;
        mesh.joints = {{0, "joint0", Mat4Identity()}, {0, "joint1", Mat4Identity()}};
        mesh.joints[1].bind[12] = 1.0f;
        return model;
    }

    std::vector<uint8_t> Draw(bool vertexArrays, const char* programName)
    {
        GLTestUseVertexArrays(vertexArrays);
        Model* model = ModelCache("arm/arm.chmodel");
        AnimBuffer* anim = AnimCache("arm/arm.chanim", 1, 0);
        ShaderProgram* program = ShaderLoad(programName);
        EXPECT_TRUE(model && anim && program);
        std::vector<uint8_t> pixels;
        if (!model || !anim || !program)
            return pixels;
        Mat4 pose[2];
        anim->EvaluateFrame(0, 0, pose);
        float rows[2 * 3 * 4];
        for (int j = 0; j < 2; ++j)
            for (int row = 0; row < 3; ++row)
                for (int column = 0; column < 4; ++column)
                    rows[(j * 3 + row) * 4 + column] = pose[j][column * 4 + row];
        glClear(GL_COLOR_BUFFER_BIT);
        ShaderBind(program);
        ShaderSetUniformVec4Array(program, "bones", 6, rows);
        ShaderSetUniformInt(program, "numjoints", 2);
        const ModelMesh* mesh = model->GetMesh(0);
        GLBindTexture(0, mesh->materials[0].layers[0].texture);
        VertexMapBind(mesh->vertexMap);
        glDrawElements(GL_TRIANGLES, mesh->materials[0].indexCount, GL_UNSIGNED_SHORT, nullptr);
        VertexMapBind(0);
        ShaderBind(nullptr);
        pixels = GLTestReadPixels();
        ShaderRelease(program);
        AnimRelease(anim);
        ModelRelease(model);
        return pixels;
    }

    TempDir dir;
};

bool Lit(const std::vector<uint8_t>& pixels, float x, float y)
{
    const int column = int((x + 1.0f) * 0.5f * kGLTestWidth);
    const int row = int((y + 1.0f) * 0.5f * kGLTestHeight);
    return pixels[(size_t(row) * kGLTestWidth + column) * 4] > 128;
}
} // namespace

TEST_F(SkinnedDrawTest, BothVertexPathsDrawTheSamePose)
{
    const std::vector<uint8_t> arrays = Draw(true, "basic");
    const std::vector<uint8_t> emulated = Draw(false, "basic_Non_VAOUniBone");
    ASSERT_EQ(arrays.size(), emulated.size());
    ASSERT_FALSE(arrays.empty());
    // The left quad stays; the right one is raised by 0.4 by its joint.
    EXPECT_TRUE(Lit(arrays, -0.5f, -0.3f));
    EXPECT_FALSE(Lit(arrays, -0.5f, 0.3f));
    EXPECT_FALSE(Lit(arrays, 0.5f, -0.3f));
    EXPECT_TRUE(Lit(arrays, 0.5f, 0.3f));
    size_t differing = 0;
    for (size_t i = 0; i < arrays.size(); ++i)
        differing += arrays[i] != emulated[i];
    EXPECT_EQ(differing, 0u);
}
