#include "opengl/GLCheckError.h"

#include "core/LogError.h"

#include <GL/glew.h>

namespace
{
constexpr int kReportedInARow = 4;
}

const char* GLErrorText(unsigned code)
{
    switch (code)
    {
    case GL_INVALID_ENUM:
        return "Invalid Enum";
    case GL_INVALID_VALUE:
        return "Invalid Value";
    case GL_INVALID_OPERATION:
        return "Invalid Operation";
    case GL_STACK_OVERFLOW:
        return "Stack Overflow";
    case GL_STACK_UNDERFLOW:
        return "Stack Underflow";
    case GL_OUT_OF_MEMORY:
        return "Out of memory";
    default:
        return "Unrecognized error.\n";
    }
}

unsigned GLCheckError(int* counter, const char* function, const char* file, int line)
{
    const GLenum code = glGetError();
    if (code == GL_NO_ERROR)
    {
        if (counter)
            *counter = 0;
        return 0;
    }
    int count = 0;
    if (counter)
    {
        // Held just past the limit, so a site that fails forever never wraps
        // round into reporting again.
        if (*counter <= kReportedInARow)
            ++*counter;
        count = *counter;
    }
    if (count > kReportedInARow)
        return code;
    const char* text = count == kReportedInARow ? "errors continue..." : GLErrorText(code);
    LogError("%s(%d): %s() - OpenGL: %s \n", file ? file : "UnspecifiedFile", line,
             function ? function : "UnspecifiedFunction", text);
    return code;
}
