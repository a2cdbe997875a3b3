#include "opengl/GLBuffer.h"

#include "core/LogError.h"

#include <GL/glew.h>

namespace
{
bool TargetOf(int kind, GLenum& target)
{
    if (kind == kGLBufferVertex)
        target = GL_ARRAY_BUFFER;
    else if (kind == kGLBufferIndex)
        target = GL_ELEMENT_ARRAY_BUFFER;
    else
    {
        LogError("Pendrel GL unknown buffer kind %d\n", kind);
        return false;
    }
    return true;
}
} // namespace

uint32_t GLBufferCreate(int kind, size_t size)
{
    GLenum target;
    if (!TargetOf(kind, target))
        return 0;
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, static_cast<GLsizeiptr>(size), nullptr, GL_STATIC_DRAW);
    return name;
}

void GLBufferDelete(uint32_t name)
{
    const GLuint buffer = name;
    glDeleteBuffers(1, &buffer);
}

void* GLBufferMap(int kind, uint32_t name)
{
    GLenum target;
    if (!TargetOf(kind, target))
        return nullptr;
    glBindBuffer(target, name);
    return glMapBuffer(target, GL_WRITE_ONLY);
}

bool GLBufferUnmap(int kind, uint32_t name)
{
    GLenum target;
    if (!TargetOf(kind, target))
        return false;
    glBindBuffer(target, name);
    return glUnmapBuffer(target) == GL_TRUE;
}
