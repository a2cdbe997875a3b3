#include "opengl/ShaderProgram.h"

#include "support/gl/GLDrawTest.h"
#include "ShippedShaders.h"
#include "support/LogCapture.h"

#include <GL/glew.h>

#include <cstring>
#include <memory>

namespace
{
const char* const kVertex = "#version 120\nattribute vec4 va_color;\nvarying vec4 c;\n"
                            "void main() { gl_Position = gl_Vertex; c = va_color; }\n";
const char* const kFragment = "//!!FS\n#version 120\nuniform sampler2D Tex0;\nuniform sampler2D Tex2;\n"
                              "uniform sampler2D Tex3;\nuniform float scale;\nvarying vec4 c;\n"
                              "void main() { gl_FragColor = c * scale * texture2D(Tex0, vec2(0.5)) "
                              "* texture2D(Tex2, vec2(0.5)) * texture2D(Tex3, vec2(0.5)); }\n";

// Records outside the file table are freed by their one release.
struct ProgramDeleter
{
    void operator()(ShaderProgram* program) const { ShaderRelease(program); }
};
using ProgramPtr = std::unique_ptr<ShaderProgram, ProgramDeleter>;

ProgramPtr Build(const char* vertex, const char* fragment)
{
    ProgramPtr program(new ShaderProgram);
    program->name = "test";
    Set_ShaderProgram_FromStrings(program.get(), vertex, fragment);
    return program;
}

GLint UsedProgram()
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

GLint SamplerUnit(const ShaderProgram& program, const char* name)
{
    GLint unit = -1;
    glGetUniformiv(program.program, glGetUniformLocation(program.program, name), &unit);
    return unit;
}

GLint LinkStatus(const ShaderProgram& program)
{
    GLint status = 0;
    glGetProgramiv(program.program, GL_LINK_STATUS, &status);
    return status;
}
} // namespace

TEST(ShaderSplit, SplitsAtTheMarkerDroppingTheCharacterBefore)
{
    char text[] = "vertex\n//!!FS\nfragment";
    const char* vertex = nullptr;
    const char* fragment = nullptr;
    ASSERT_TRUE(ShaderSplitSource(text, &vertex, &fragment));
    EXPECT_STREQ(vertex, "vertex");
    EXPECT_STREQ(fragment, "//!!FS\nfragment");

    char first[] = "//!!FS whole";
    ASSERT_TRUE(ShaderSplitSource(first, &vertex, &fragment));
    EXPECT_STREQ(vertex, "//!!FS whole");
    EXPECT_STREQ(fragment, "//!!FS whole");

    char none[] = "void main() {}";
    EXPECT_FALSE(ShaderSplitSource(none, &vertex, &fragment));
}

TEST_F(GLDrawTest, ProgramBindsAttributesAndSetsSamplersOnBind)
{
    ProgramPtr program = Build(kVertex, kFragment);
    EXPECT_TRUE(LinkStatus(*program));
    EXPECT_EQ(glGetAttribLocation(program->program, "va_color"), 1);
    EXPECT_TRUE(ShaderBind(program.get()));
    EXPECT_EQ(UsedProgram(), GLint(program->program));
    EXPECT_EQ(SamplerUnit(*program, "Tex0"), 0);
    EXPECT_EQ(SamplerUnit(*program, "Tex2"), 2);
    EXPECT_EQ(SamplerUnit(*program, "Tex3"), 3);
    EXPECT_FALSE(ShaderBind(program.get()));
    EXPECT_TRUE(ShaderBind(nullptr));
    EXPECT_EQ(UsedProgram(), 0);
    EXPECT_EQ(ShaderGetCurrent(), nullptr);
}

TEST_F(GLDrawTest, SettingAUniformKeepsTheCurrentProgramInUse)
{
    ProgramPtr current = Build(kVertex, kFragment);
    ProgramPtr other = Build(kVertex, kFragment);
    ShaderBind(current.get());
    ShaderSetUniformFloat(other.get(), "scale", 0.25f);
    ShaderSetUniformInt(other.get(), "Tex0", 3);
    EXPECT_EQ(UsedProgram(), GLint(current->program));
    GLfloat scale = 0;
    glGetUniformfv(other->program, glGetUniformLocation(other->program, "scale"), &scale);
    EXPECT_EQ(scale, 0.25f);
    EXPECT_EQ(SamplerUnit(*other, "Tex0"), 3);
    ShaderSetUniformFloat(current.get(), "no such uniform", 1.0f);
    ShaderSetUniformVec3(nullptr, "scale", &scale);
    EXPECT_EQ(UsedProgram(), GLint(current->program));
}

TEST_F(GLDrawTest, RebuildingTheCurrentProgramKeepsItCurrentWithSamplersSet)
{
    ProgramPtr program = Build(kVertex, kFragment);
    ShaderBind(program.get());
    ShaderSetUniformInt(program.get(), "Tex2", 5);
    const GLuint before = program->program;
    Set_ShaderProgram_FromStrings(program.get(), kVertex, kFragment);
    EXPECT_NE(program->program, before);
    EXPECT_EQ(ShaderGetCurrent(), program.get());
    EXPECT_EQ(UsedProgram(), GLint(program->program));
    EXPECT_EQ(SamplerUnit(*program, "Tex2"), 2);
}

TEST_F(GLDrawTest, CompileAndLinkFailuresAreReportedAndTheProgramStillMade)
{
    LogCapture log;
    ProgramPtr program = Build("#version 120\nvoid main() { gl_Position = nonsense; }\n", kFragment);
    EXPECT_NE(program->program, 0u);
    EXPECT_TRUE(log.Contains("Failed to compile glsl shader 'test':"));
    EXPECT_TRUE(log.Contains("Failed to link glsl shader 'test':"));

    ProgramPtr missing(new ShaderProgram);
    EXPECT_FALSE(Set_ShaderProgram_FromStrings(missing.get(), kVertex, nullptr));
    EXPECT_EQ(missing->program, 0u);
}

namespace
{
struct ShippedProgram
{
    const char* name;
    bool vertexArrays; // loaded on the path with vertex array objects
    bool emulation;    // loaded on the emulated path
    const char* uniforms[10];
};

// Every program the renderer loads, with the uniforms the frame sets on it.
const ShippedProgram kShippedPrograms[] = {
    {"hud", true, false, {"Tex0", "Tex1", "ReverseHorizontal", "ReverseVertical", "TextureOffset"}},
    {"hud_Non_VAO", false, true, {"Tex0", "Tex1", "ReverseHorizontal", "ReverseVertical", "TextureOffset"}},
    {"fx", true, false, {"Tex0"}},
    {"fx_Non_VAO", false, true, {"Tex0"}},
    {"basic",
     true,
     false,
     {"Tex0", "bones", "numjoints", "useLight", "l_direction", "l_diffuse", "l_ambient"}},
    {"basic16", true, false, {"Tex0", "bones", "numjoints", "alpha"}},
    {"basic16ActorFade",
     true,
     false,
     {"Tex0", "Tex1", "bones", "numjoints", "alpha", "l_diffuse", "l_ambient"}},
    {"basic_Non_VAOUniBone", false, true, {"Tex0", "bones", "numjoints", "alpha", "useLight", "l_direction"}},
    {"basicStatic_Non_VAO", false, true, {"Tex0", "useLight", "l_direction", "l_diffuse", "l_ambient"}},
    {"basic16_Non_VAO", false, true, {"Tex0", "bones", "numjoints", "alpha"}},
    {"ssao", true, false, {"Tex0", "Tex1"}},
    {"blurX", true, false, {"Tex0"}},
    {"blurY", true, false, {"Tex0"}},
    {"point", true, false, {"Tex0", "Tex1"}},
    {"directional", true, false, {"Tex0", "l_direction", "l_diffuse", "l_ambient"}},
    {"mix", true, true, {"Tex0", "Tex1", "Tex2", "Tex3", "aspect", "l_direction", "l_diffuse", "l_ambient", "l_point"}},
    {"copy", true, true, {"Tex0"}},
    {"sample", true, true, {"Tex0"}},
};
} // namespace

TEST_F(GLDrawTest, EveryShippedProgramCompilesAndLinksOnItsVertexPaths)
{
    const ShippedShaders shaders;
    for (const bool vertexArrays : {true, false})
    {
        GLTestUseVertexArrays(vertexArrays);
        for (const ShippedProgram& shipped : kShippedPrograms)
        {
            if (!(vertexArrays ? shipped.vertexArrays : shipped.emulation))
                continue;
            LogCapture log;
            ProgramPtr program(shaders.Load(shipped.name));
            ASSERT_TRUE(program) << shipped.name;
            EXPECT_TRUE(LinkStatus(*program)) << shipped.name;
            EXPECT_TRUE(log.Text().empty()) << shipped.name << ": " << log.Text();
            for (const char* uniform : shipped.uniforms)
            {
                if (uniform)
                {
                    EXPECT_GE(glGetUniformLocation(program->program, uniform), 0)
                        << shipped.name << " " << uniform;
                }
            }
            EXPECT_TRUE(ShaderBind(program.get()));
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << shipped.name;
        }
    }
}
