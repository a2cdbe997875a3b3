#include "opengl/GLCaps.h"

#include "core/DateStamp.h"
#include "core/FixedString.h"
#include "opengl/GLInfoLog.h"

#include <GL/glew.h>
#include <cstring>
#include <string>

namespace
{
GLCapability g_rows[kGLCapCount] = {
    {"Frame buffer/SSAO/deferredlighting", 0, 1},
    {"Vertex array objects/default vertex attributes", 0, 1},
};
bool g_wimpy = false;
bool g_computed = false;

constexpr double kNeededVersion = 3.0;

const GLCapability kNoRow = {"", 0, 0};

bool ValidIndex(int index)
{
    return index >= 0 && index < kGLCapCount;
}

struct GLStringRow
{
    GLenum name;
    const char* label;
};

const GLStringRow kLoggedStrings[] = {
    {GL_VENDOR, "GL_VENDOR\t\t\t\t\t"},       {GL_RENDERER, "GL_RENDERER\t\t\t\t"},
    {GL_VERSION, "GL_VERSION\t\t\t\t\t"},     {GL_SHADING_LANGUAGE_VERSION, "GL_SHADING_LANGUAGE_VERSION"},
    {GL_EXTENSIONS, "GL_EXTENSIONS\t\t\t\t"},
};
constexpr int kLoggedStringCount = sizeof kLoggedStrings / sizeof kLoggedStrings[0];

std::string GLStringCopy(GLenum name)
{
    const GLubyte* text = glGetString(name);
    return text ? reinterpret_cast<const char*>(text) : "";
}

void WriteDriverStrings(const std::string (&values)[kLoggedStringCount])
{
    for (int i = 0; i < kLoggedStringCount; ++i)
    {
        GLInfoLogWrite("\n");
        GLInfoLogWrite(kLoggedStrings[i].label);
        GLInfoLogWrite("\n");
        GLInfoLogWrite(values[i].c_str());
        GLInfoLogWrite("\n");
    }
}

void WriteRow(const GLCapability& row)
{
    FixedString256 line;
    line.Format("%s %s: hardware %s, client %s (default) \n",
                row.hardware && row.client ? "Using" : "Not using", row.name,
                row.hardware ? "does" : "does not", row.client ? "does" : "does not");
    GLInfoLogWrite(line);
}
} // namespace

double GLVersionNumber(const char* version)
{
    if (!version)
        return 0.0;
    double number = 0.0;
    const char* c = version;
    for (; *c >= '0' && *c <= '9'; ++c)
        number = number * 10.0 + (*c - '0');
    if (*c == '.')
    {
        double scale = 0.1;
        for (++c; *c >= '0' && *c <= '9'; ++c, scale *= 0.1)
            number += (*c - '0') * scale;
    }
    return number;
}

bool GLHasExtension(const char* extensions, const char* name)
{
    const size_t length = strlen(name);
    if (!extensions || length == 0)
        return false;
    for (const char* at = strstr(extensions, name); at; at = strstr(at + 1, name))
    {
        const bool startsWord = at == extensions || at[-1] == ' ';
        const bool endsWord = at[length] == ' ' || at[length] == 0;
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

void GLCapsDecide(const char* version, const char* extensions, bool wimpy, uint8_t hardware[kGLCapCount])
{
    const bool modern = GLVersionNumber(version) >= kNeededVersion;
    hardware[kGLCapDeferred] = modern && GLHasExtension(extensions, "GL_EXT_framebuffer_object") &&
                               GLHasExtension(extensions, "GL_EXT_packed_depth_stencil") &&
                               GLHasExtension(extensions, "GL_ARB_texture_non_power_of_two");
    hardware[kGLCapVertexArrayObjects] = modern && GLHasExtension(extensions, "GL_ARB_vertex_array_object");
    if (wimpy)
    {
        for (int i = 0; i < kGLCapCount; ++i)
            hardware[i] = 0;
    }
}

void GLCapsSetWimpy()
{
    g_wimpy = true;
}

void GLCapsInit()
{
    GLInfoLogWrite(FormatDateStamp());
    GLInfoLogWrite("\n");
    std::string values[kLoggedStringCount];
    for (int i = 0; i < kLoggedStringCount; ++i)
        values[i] = GLStringCopy(kLoggedStrings[i].name);
    WriteDriverStrings(values);
    GLInfoLogWrite("\n");

    if (!g_computed)
    {
        uint8_t hardware[kGLCapCount];
        GLCapsDecide(values[2].c_str(), values[4].c_str(), g_wimpy, hardware);
        for (int i = 0; i < kGLCapCount; ++i)
            g_rows[i].hardware = hardware[i];
        if (g_wimpy)
            GLInfoLogWrite("Using wimpy mode");
        g_computed = true;
    }
    for (const GLCapability& row : g_rows)
        WriteRow(row);
}

void GLCapsSetClient(int index, bool flag)
{
    if (ValidIndex(index))
        g_rows[index].client = flag ? 1 : 0;
}

bool GLCapsUsable(int index)
{
    return ValidIndex(index) && g_rows[index].hardware && g_rows[index].client;
}

bool GLCapsIsSupported(int index)
{
    return ValidIndex(index) && g_rows[index].hardware;
}

const GLCapability& GLCapsRow(int index)
{
    return ValidIndex(index) ? g_rows[index] : kNoRow;
}

void GLCapsReset()
{
    for (GLCapability& row : g_rows)
    {
        row.hardware = 0;
        row.client = 1;
    }
    g_wimpy = false;
    g_computed = false;
}
