#include "opengl/ShaderProgram.h"

#include "core/LogError.h"
#include "opengl/GLCheckError.h"

#include <GL/glew.h>

#include <cstring>
#include <vector>

namespace
{
const char* g_root = "";
ShaderProgram* g_current = nullptr;

const char* const kAttributeNames[kShaderAttributeCount] = {
    nullptr,           "va_color",        "va_normal",       "va_tangent",
    "va_bitangent",    "va_paletteindex", "va_weight",       "va_misc",
    "va_texcoord0",    "va_texcoord1",    "va_texcoord2",    "va_texcoord3",
};

const char* const kMarker = "//!!FS";

void ReportLog(GLint length, const std::vector<char>& log, const char* failure, const char* name)
{
    LogError(failure, name);
    LogError("%s", length > 0 ? log.data() : "");
}

void CheckShader(GLuint shader, const char* name)
{
    GLint length = 0, status = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 0) + 1, 0);
    if (length > 0)
        glGetShaderInfoLog(shader, length + 1, nullptr, log.data());
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (!status)
        ReportLog(length, log, "Failed to compile glsl shader '%s':\n", name);
}

void CheckProgram(GLuint program, const char* name)
{
    GLint length = 0, status = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(size_t(length > 0 ? length : 0) + 1, 0);
    if (length > 0)
        glGetProgramInfoLog(program, length + 1, nullptr, log.data());
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (!status)
        ReportLog(length, log, "Failed to link glsl shader '%s':\n", name);
}

GLuint Compile(GLenum kind, const char* source, const char* name)
{
    const GLuint shader = glCreateShader(kind);
    const GLint length = GLint(strlen(source));
    glShaderSource(shader, 1, &source, &length);
    glCompileShader(shader);
    CheckShader(shader, name);
    return shader;
}

GLuint CurrentGLProgram() { return g_current ? g_current->program : 0; }

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

void SetSamplers(const ShaderProgram& program)
{
    static const char* const kSamplers[] = {"Tex0", "Tex1", "Tex2"};
    for (int unit = 0; unit < 3; ++unit)
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

void ShaderSetRoot(const char* path) { g_root = path ? path : ""; }

const char* ShaderGetRoot() { return g_root; }

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

bool Set_ShaderProgram_FromStrings(ShaderProgram* program, const char* vertexSource, const char* fragmentSource)
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
    CheckProgram(program->program, program->name);
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
    g_current = program;
    glUseProgram(CurrentGLProgram());
    if (program)
        SetSamplers(*program);
    return true;
}

ShaderProgram* ShaderGetCurrent() { return g_current; }

void ShaderUnbindGL() { glUseProgram(0); }

void ShaderSetUniformInt(ShaderProgram* program, const char* name, int value)
{
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    glUniform1i(location, value);
    RestoreCurrent(program);
}

void ShaderSetUniformFloat(ShaderProgram* program, const char* name, float value)
{
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    glUniform1f(location, value);
    RestoreCurrent(program);
}

void ShaderSetUniformVec2(ShaderProgram* program, const char* name, const float* values)
{
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    glUniform2fv(location, 1, values);
    RestoreCurrent(program);
}

void ShaderSetUniformVec3(ShaderProgram* program, const char* name, const float* values)
{
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    glUniform3fv(location, 1, values);
    RestoreCurrent(program);
}

void ShaderSetUniformVec4Array(ShaderProgram* program, const char* name, int count, const float* values)
{
    const GLint location = UseForUniform(program, name);
    if (location < 0)
        return;
    glUniform4fv(location, count, values);
    RestoreCurrent(program);
}
