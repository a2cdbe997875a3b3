#include "opengl/ShaderProgram.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/pd_ifstream.h"
#include "opengl/GLCheckError.h"
#include "opengl/PrimBatch.h"
#include "opengl/ResourceCache.h"

#include <GL/glew.h>

#include <cstring>
#include <memory>
#include <vector>

namespace
{
const char* g_root = "";
ShaderProgram* g_current = nullptr;

const char* const kAttributeNames[kShaderAttributeCount] = {
    nullptr,     "va_color", "va_normal",    "va_tangent",   "va_bitangent", "va_paletteindex",
    "va_weight", "va_misc",  "va_texcoord0", "va_texcoord1", "va_texcoord2", "va_texcoord3",
};

const char* const kMarker = "//!!FS";

// Reports a failed compile or link with GL's log; the object is kept either way.
void CheckBuild(GLuint object, GLenum statusName, void (*getIv)(GLuint, GLenum, GLint*),
                void (*getLog)(GLuint, GLsizei, GLsizei*, GLchar*), const char* failure, const char* name)
{
    GLint length = 0, status = 0;
    getIv(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 0) + 1, 0);
    if (length > 0)
        getLog(object, length + 1, nullptr, log.data());
    getIv(object, statusName, &status);
    if (status)
        return;
    LogError(failure, name);
    LogError("%s", log.data());
}

GLuint Compile(GLenum kind, const char* source, const char* name)
{
    const GLuint shader = glCreateShader(kind);
    const GLint length = GLint(strlen(source));
    glShaderSource(shader, 1, &source, &length);
    glCompileShader(shader);
    CheckBuild(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog,
               "Failed to compile glsl shader '%s':\n", name);
    return shader;
}

GLuint CurrentGLProgram()
{
    return g_current ? g_current->program : 0;
}

// The uniform's location with the program in use; -1 (and GL left alone)
// when the program has no such uniform.
GLint UseForUniform(ShaderProgram* program, const char* name)
{
    if (!program || program->program == 0)
        return -1;
    const GLint location = glGetUniformLocation(program->program, name);
    if (location >= 0 && program->program != CurrentGLProgram())
        glUseProgram(program->program);
    return location;
}

void RestoreCurrent(const ShaderProgram* program)
{
    if (program->program != CurrentGLProgram())
        glUseProgram(CurrentGLProgram());
}

// The whole file with a terminating zero; false after one report when it
// does not open (in the caller's words) or cannot be read whole.
bool ReadShaderFile(const char* path, const char* openFailure, std::vector<uint8_t>& text)
{
    pd_ifstream stream(path, kOpenTable, 0, kInReadBinary);
    if (!stream.IsOpen())
    {
        LogError(openFailure, path);
        return false;
    }
    if (!StreamReadAll(stream, kShaderFileBound, text))
        return false;
    text.push_back(0);
    return true;
}

// Reads and builds; the record's GL objects change only when the file holds
// both shaders.
bool BuildFromFile(ShaderProgram* program, const char* path, const char* openFailure)
{
    std::vector<uint8_t> text;
    if (!ReadShaderFile(path, openFailure, text))
        return false;
    const char* vertex = nullptr;
    const char* fragment = nullptr;
    if (!ShaderSplitSource(reinterpret_cast<char*>(text.data()), &vertex, &fragment))
    {
        LogError("Shader '%s' has no \"%s\" line before its fragment shader.\n", path, kMarker);
        return false;
    }
    return Set_ShaderProgram_FromStrings(program, vertex, fragment);
}

void SetSamplers(const ShaderProgram& program)
{
    // Units 0 to 3: every unit a frame pass binds its targets to.
    static const char* const kSamplers[] = {"Tex0", "Tex1", "Tex2", "Tex3"};
    for (int unit = 0; unit < 4; ++unit)
    {
        const GLint location = glGetUniformLocation(program.program, kSamplers[unit]);
        if (location >= 0)
            glUniform1i(location, unit);
    }
}
} // namespace

const char* ShaderAttributeName(int location)
{
    return location >= 0 && location < kShaderAttributeCount ? kAttributeNames[location] : nullptr;
}

void ShaderSetRoot(const char* path)
{
    g_root = path ? path : "";
}

const char* ShaderGetRoot()
{
    return g_root;
}

ShaderProgram* ShaderLoad(const char* name)
{
    FixedString128 path;
    path.Format("%s%s.glsl", g_root, name);
    // Cut to the record, the path would open (and cache) some other file.
    if (strlen(g_root) + strlen(name) + strlen(".glsl") > static_cast<size_t>(FixedString128::kCapacity))
    {
        LogError("Open shader '%.100s' failed: the name is too long.\n", name);
        return nullptr;
    }
    if (void* cached = ResourceCacheFind(path, kResourceShader))
        return static_cast<ShaderProgram*>(cached);
    auto program = std::make_unique<ShaderProgram>();
    program->name = name;
    if (!BuildFromFile(program.get(), path, "Open shader '%s' failed."))
    {
        ShaderDeleteGL(program.get());
        return nullptr;
    }
    program->name = path;
    ResourceCacheStore(path, program.get(), kResourceShader);
    return program.release();
}

bool ShaderReload(ShaderProgram* program, const char* path)
{
    return program && BuildFromFile(program, path, "Open (reload) shader '%s' failed.");
}

void ShaderRelease(ShaderProgram* program)
{
    if (!program || !ResourceCacheRelease(program->name, program))
        return;
    if (g_current == program)
        ShaderBind(nullptr);
    ShaderDeleteGL(program);
    delete program;
}

bool ShaderSplitSource(char* text, const char** vertexSource, const char** fragmentSource)
{
    char* marker = strstr(text, kMarker);
    if (!marker)
        return false;
    if (marker > text)
        marker[-1] = 0;
    *vertexSource = text;
    *fragmentSource = marker;
    return true;
}

void ShaderDeleteGL(ShaderProgram* program)
{
    if (!program)
        return;
    glDeleteShader(program->vertexShader);
    glDeleteShader(program->fragmentShader);
    glDeleteProgram(program->program);
    program->vertexShader = 0;
    program->fragmentShader = 0;
    program->program = 0;
}

bool Set_ShaderProgram_FromStrings(ShaderProgram* program, const char* vertexSource,
                                   const char* fragmentSource)
{
    if (!program)
        return false;
    if (!vertexSource || !fragmentSource)
    {
        LogError("Shader '%s' lacks its vertex or fragment source.\n", program->name.c_str());
        return false;
    }
    ShaderDeleteGL(program);
    program->program = glCreateProgram();
    program->vertexShader = Compile(GL_VERTEX_SHADER, vertexSource, program->name);
    program->fragmentShader = Compile(GL_FRAGMENT_SHADER, fragmentSource, program->name);
    glAttachShader(program->program, program->vertexShader);
    glAttachShader(program->program, program->fragmentShader);
    for (int location = 1; location < kShaderAttributeCount; ++location)
        glBindAttribLocation(program->program, GLuint(location), kAttributeNames[location]);
    glLinkProgram(program->program);
    CheckBuild(program->program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog,
               "Failed to link glsl shader '%s':\n", program->name);
    GL_CHECK_ERROR("Set_ShaderProgram_FromStrings");
    if (g_current == program)
    {
        g_current = nullptr;
        ShaderBind(program);
    }
    return true;
}

bool ShaderBind(ShaderProgram* program)
{
    if (program == g_current)
        return false;
    // Batched vertices belong to the program they were added under.
    PrimFlush();
    g_current = program;
    glUseProgram(CurrentGLProgram());
    if (program)
        SetSamplers(*program);
    return true;
}

ShaderProgram* ShaderGetCurrent()
{
    return g_current;
}

void ShaderUnbindGL()
{
    glUseProgram(0);
}

namespace
{
// Sets one uniform through `set` with the program in use for the moment.
template <typename Set> void SetUniform(ShaderProgram* program, const char* name, Set set)
{
    // Batched vertices are drawn with the values current when they were added.
    PrimFlush();
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    set(location);
    RestoreCurrent(program);
}
} // namespace

void ShaderSetUniformInt(ShaderProgram* program, const char* name, int value)
{
    SetUniform(program, name, [value](GLint location) { glUniform1i(location, value); });
}

void ShaderSetUniformFloat(ShaderProgram* program, const char* name, float value)
{
    SetUniform(program, name, [value](GLint location) { glUniform1f(location, value); });
}

void ShaderSetUniformVec2(ShaderProgram* program, const char* name, const float* values)
{
    SetUniform(program, name, [values](GLint location) { glUniform2fv(location, 1, values); });
}

void ShaderSetUniformVec3(ShaderProgram* program, const char* name, const float* values)
{
    SetUniform(program, name, [values](GLint location) { glUniform3fv(location, 1, values); });
}

void ShaderSetUniformVec4Array(ShaderProgram* program, const char* name, int count, const float* values)
{
    SetUniform(program, name, [count, values](GLint location) { glUniform4fv(location, count, values); });
}
