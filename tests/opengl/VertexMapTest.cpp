#include "opengl/VertexMap.h"

#include "support/gl/GLDrawTest.h"
#include "ShippedShaders.h"
#include "opengl/GLBuffer.h"
#include "opengl/GLState.h"
#include "opengl/ShaderProgram.h"
#include "opengl/TextureBuiltins.h"
#include "support/LogCapture.h"

#include <GL/glew.h>

#include <cstring>
#include <type_traits>

namespace
{
const VertexAttribute kPosition = {0, 3, GL_FLOAT, 0};
const VertexAttribute kColour = {1, 4, GL_UNSIGNED_BYTE, 1};
const VertexAttribute kTangent = {3, 3, GL_FLOAT, 0};
const VertexAttribute kBoneIndex = {5, 1, GL_FLOAT, 0};
const VertexAttribute kTexCoord0 = {8, 2, GL_FLOAT, 0};
const VertexAttribute kTexCoord2 = {10, 2, GL_FLOAT, 0};

bool TexCoordArrayOn(int unit)
{
    glClientActiveTexture(GL_TEXTURE0 + unit);
    const bool on = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
    glClientActiveTexture(GL_TEXTURE0);
    return on;
}

bool PixelIsWhite(const std::vector<uint8_t>& pixels, int x, int y)
{
    return memcmp(&pixels[(size_t(y) * kGLTestWidth + x) * 4], "\xff\xff\xff", 3) == 0;
}

bool PixelIsBlack(const std::vector<uint8_t>& pixels, int x, int y)
{
    return memcmp(&pixels[(size_t(y) * kGLTestWidth + x) * 4], "\0\0\0", 3) == 0;
}

// One triangle over the lower left of the screen, tied to joint 0, laid out
// as each vertex path's model vertices are: four bytes of joint indices and
// weights with vertex arrays, one float each in emulation.
struct SkinnedVertexVAO
{
    float position[3], normal[3], uv[2];
    uint8_t joints[4], weights[4];
};

struct SkinnedVertexEmulated
{
    float position[3], normal[3], uv[2];
    float joint, weight;
};

const float kCorners[3][3] = {{-1, -1, 0}, {0, -1, 0}, {-1, 1, 0}};

template <typename Vertex>
VertexMap MakeTriangle(const VertexAttribute* attributes, uint32_t& vertexBuffer, uint32_t& indexBuffer)
{
    Vertex vertices[3] = {};
    for (int i = 0; i < 3; ++i)
    {
        memcpy(vertices[i].position, kCorners[i], sizeof kCorners[i]);
        vertices[i].normal[2] = 1;
    }
    for (Vertex& v : vertices)
    {
        if constexpr (std::is_same_v<Vertex, SkinnedVertexVAO>)
            v.weights[0] = 255;
        else
            v.weight = 1.0f;
    }
    const uint16_t indices[3] = {0, 1, 2};
    vertexBuffer = GLBufferCreate(kGLBufferVertex, sizeof vertices);
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof vertices, vertices);
    indexBuffer = GLBufferCreate(kGLBufferIndex, sizeof indices);
    glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof indices, indices);
    return VertexMap_Create(vertexBuffer, indexBuffer, sizeof(Vertex), 5, attributes);
}
} // namespace

TEST_F(GLDrawTest, BindingTheCurrentMapAgainDoesNothing)
{
    for (const bool vertexArrays : {true, false})
    {
        GLTestUseVertexArrays(vertexArrays);
        const VertexMap map = VertexMap_Create(0, 0, 12, 1, &kPosition);
        ASSERT_NE(map, 0u);
        EXPECT_TRUE(VertexMapBind(map));
        EXPECT_FALSE(VertexMapBind(map));
        EXPECT_EQ(VertexMapGetCurrent(), map);
        VertexMapDestroy(map);
        EXPECT_EQ(VertexMapGetCurrent(), 0u);
    }
}

TEST_F(GLDrawTest, AttributesOutsideTheTwelveLocationsAreRefused)
{
    LogCapture log;
    const VertexAttribute beyond = {12, 3, GL_FLOAT, 0};
    EXPECT_EQ(VertexMap_Create(0, 0, 12, 1, &beyond), 0u);
    const VertexAttribute many[13] = {};
    EXPECT_EQ(VertexMap_Create(0, 0, 12, 13, many), 0u);
    EXPECT_TRUE(log.Contains("do not fit the twelve locations"));
}

TEST_F(GLDrawTest, CreatingAVertexArrayLeavesTheCurrentOneBound)
{
    const VertexMap current = VertexMap_Create(0, 0, 12, 1, &kPosition);
    VertexMapBind(current);
    const VertexMap other = VertexMap_Create(0, 0, 12, 1, &kPosition);
    GLint bound = 0;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(VertexMap(bound), current);
    VertexMapDestroy(other);
    VertexMapDestroy(current);
}

TEST_F(GLDrawTest, EmulatedBindsSwitchOffWhatTheNextMapDoesNotFeed)
{
    GLTestUseVertexArrays(false);
    const VertexAttribute coloured[] = {kPosition, kColour, kTexCoord0};
    const VertexAttribute plain[] = {kPosition, kTexCoord0, kTangent};
    const VertexMap colouredMap = VertexMap_Create(0, 0, 0, 3, coloured);
    const VertexMap plainMap = VertexMap_Create(0, 0, 0, 3, plain);
    VertexMapBind(colouredMap);
    EXPECT_TRUE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_TRUE(VertexMapClientArrayEnabled(1));
    VertexMapBind(plainMap);
    EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(TexCoordArrayOn(0));
    EXPECT_FALSE(VertexMapClientArrayEnabled(3)); // tangents have no array
    VertexMapBind(0);
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_FALSE(TexCoordArrayOn(0));
    VertexMapDestroy(colouredMap);
    VertexMapDestroy(plainMap);
}

TEST_F(GLDrawTest, EmulatedLocationsSharingAnArrayKeepItOn)
{
    GLTestUseVertexArrays(false);
    const VertexAttribute second[] = {kPosition, kTexCoord2};
    const VertexAttribute bones[] = {kPosition, kBoneIndex};
    const VertexMap secondMap = VertexMap_Create(0, 0, 0, 2, second);
    const VertexMap bonesMap = VertexMap_Create(0, 0, 0, 2, bones);
    VertexMapBind(secondMap);
    EXPECT_TRUE(TexCoordArrayOn(2));
    VertexMapBind(bonesMap);
    EXPECT_TRUE(TexCoordArrayOn(2));
    VertexMapBind(0);
    VertexMapDestroy(secondMap);
    VertexMapDestroy(bonesMap);
}

TEST_F(GLDrawTest, SkinnedModelsDrawOnBothPathsAndFollowTheirJoint)
{
    TextureBuiltinsCreate();
    const VertexAttribute withArrays[] = {
        kPosition, {2, 3, GL_FLOAT, 0}, kTexCoord0, {5, 4, GL_UNSIGNED_BYTE, 0}, {6, 4, GL_UNSIGNED_BYTE, 1}};
    const VertexAttribute emulated[] = {
        kPosition, {2, 3, GL_FLOAT, 0}, kTexCoord0, kBoneIndex, {6, 1, GL_FLOAT, 0}};
    struct Path
    {
        bool vertexArrays;
        const char* program;
    } paths[] = {{true, "basic"}, {false, "basic_Non_VAOUniBone"}};
    const ShippedShaders shaders;
    for (const Path& path : paths)
    {
        GLTestUseVertexArrays(path.vertexArrays);
        uint32_t vertexBuffer = 0, indexBuffer = 0;
        const VertexMap map = path.vertexArrays
                                  ? MakeTriangle<SkinnedVertexVAO>(withArrays, vertexBuffer, indexBuffer)
                                  : MakeTriangle<SkinnedVertexEmulated>(emulated, vertexBuffer, indexBuffer);
        ShaderProgram* program = shaders.Load(path.program);
        ASSERT_TRUE(program);
        ShaderBind(program);
        GLBindTexture(0, TextureBuiltin(kTextureDefaultWhite));
        VertexMapBind(map);

        glClear(GL_COLOR_BUFFER_BIT);
        ShaderSetUniformInt(program, "numjoints", 0);
        glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, nullptr);
        std::vector<uint8_t> pixels = GLTestReadPixels();
        EXPECT_TRUE(PixelIsWhite(pixels, 8, 8)) << path.program;
        EXPECT_TRUE(PixelIsBlack(pixels, 40, 8)) << path.program;

        // Joint 0 moves one unit to the right: rows of a 3 x 4 matrix.
        const float bones[12] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0};
        ShaderSetUniformVec4Array(program, "bones", 3, bones);
        ShaderSetUniformInt(program, "numjoints", 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_SHORT, nullptr);
        pixels = GLTestReadPixels();
        EXPECT_TRUE(PixelIsBlack(pixels, 8, 8)) << path.program;
        EXPECT_TRUE(PixelIsWhite(pixels, 40, 8)) << path.program;

        VertexMapBind(0);
        VertexMapDestroy(map);
        GLBufferDelete(vertexBuffer);
        GLBufferDelete(indexBuffer);
        ShaderBind(nullptr);
        ShaderRelease(program);
    }
    TextureBuiltinsDestroy();
}
