#include "opengl/VertexMap.h"

#include "core/LogError.h"
#include "opengl/GLCaps.h"
#include "opengl/GLCheckError.h"

#include <GL/glew.h>

#include <cstdlib>

namespace
{
struct EmulatedMap
{
    uint32_t vertexBuffer;
    uint32_t indexBuffer;
    int attributeCount;
    VertexAttribute attributes[kVertexMapMaxAttributes];
    uint32_t offsets[kVertexMapMaxAttributes];
    uint32_t stride;
};

// The fixed-function arrays that emulation feeds. Bone indices and weights
// share the client units of texture coordinates 2 and 3.
enum ClientArray
{
    kArrayNone = -1,
    kArrayVertex,
    kArrayColour,
    kArrayNormal,
    kArrayTexCoord0,
    kArrayTexCoord1,
    kArrayTexCoord2,
    kArrayTexCoord3,
    kClientArrayCount,
};

const ClientArray kArrayOfLocation[kVertexMapMaxAttributes] = {
    kArrayVertex,    kArrayColour, kArrayNormal,    kArrayNone,      kArrayNone,      kArrayTexCoord2,
    kArrayTexCoord3, kArrayNone,   kArrayTexCoord0, kArrayTexCoord1, kArrayTexCoord2, kArrayTexCoord3,
};

VertexMap g_current = 0;
bool g_enabledBefore[kClientArrayCount];

const void* Offset(uint32_t bytes)
{
    return reinterpret_cast<const void*>(uintptr_t(bytes));
}

GLenum ClientState(ClientArray array)
{
    switch (array)
    {
    case kArrayVertex:
        return GL_VERTEX_ARRAY;
    case kArrayColour:
        return GL_COLOR_ARRAY;
    case kArrayNormal:
        return GL_NORMAL_ARRAY;
    default:
        return GL_TEXTURE_COORD_ARRAY;
    }
}

void SelectClientUnit(ClientArray array)
{
    if (array >= kArrayTexCoord0)
        glClientActiveTexture(GL_TEXTURE0 + (array - kArrayTexCoord0));
}

void EnableArray(ClientArray array, const VertexAttribute& attribute, GLsizei stride, uint32_t offset)
{
    SelectClientUnit(array);
    glEnableClientState(ClientState(array));
    const GLint components = GLint(attribute.components);
    switch (array)
    {
    case kArrayVertex:
        glVertexPointer(components, attribute.type, stride, Offset(offset));
        break;
    case kArrayColour:
        glColorPointer(components, attribute.type, stride, Offset(offset));
        break;
    case kArrayNormal:
        glNormalPointer(attribute.type, stride, Offset(offset));
        break;
    default:
        glTexCoordPointer(components, attribute.type, stride, Offset(offset));
        break;
    }
}

void DisableArray(ClientArray array)
{
    SelectClientUnit(array);
    glDisableClientState(ClientState(array));
}

// Arrays are switched off by what they feed, not by location: locations 5
// and 10 share one array, and a map that uses either keeps it on.
void BindEmulated(const EmulatedMap* map)
{
    bool enabledNow[kClientArrayCount] = {};
    if (map)
    {
        glBindBuffer(GL_ARRAY_BUFFER, map->vertexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, map->indexBuffer);
        for (int i = 0; i < map->attributeCount; ++i)
        {
            const VertexAttribute& attribute = map->attributes[i];
            const ClientArray array = kArrayOfLocation[attribute.location];
            if (array == kArrayNone)
                continue;
            enabledNow[array] = true;
            EnableArray(array, attribute, GLsizei(map->stride), map->offsets[i]);
        }
    }
    for (int array = 0; array < kClientArrayCount; ++array)
    {
        if (g_enabledBefore[array] && !enabledNow[array])
            DisableArray(ClientArray(array));
        g_enabledBefore[array] = enabledNow[array];
    }
    glClientActiveTexture(GL_TEXTURE0);
}

bool ValidAttributes(int count, const VertexAttribute* attributes)
{
    if (count < 0 || count > kVertexMapMaxAttributes || (count > 0 && !attributes))
        return false;
    for (int i = 0; i < count; ++i)
        if (attributes[i].location >= kVertexMapMaxAttributes)
            return false;
    return true;
}

VertexMap CreateVertexArray(uint32_t vertexBuffer, uint32_t indexBuffer, uint32_t stride, int count,
                            const VertexAttribute* attributes)
{
    GLuint name = 0;
    glGenVertexArrays(1, &name);
    glBindVertexArray(name);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer);
    uint32_t offset = 0;
    for (int i = 0; i < count; ++i)
    {
        const VertexAttribute& attribute = attributes[i];
        glVertexAttribPointer(attribute.location, GLint(attribute.components), attribute.type,
                              attribute.normalised ? GL_TRUE : GL_FALSE, GLsizei(stride), Offset(offset));
        glEnableVertexAttribArray(attribute.location);
        offset += attribute.components * VertexComponentSize(attribute.type);
    }
    // Back to the map the current-map record names, so the record stays true.
    glBindVertexArray(GLuint(g_current));
    GL_CHECK_ERROR("VertexMap_Create");
    return name;
}

VertexMap CreateEmulated(uint32_t vertexBuffer, uint32_t indexBuffer, int count,
                         const VertexAttribute* attributes)
{
    EmulatedMap* map = static_cast<EmulatedMap*>(calloc(1, sizeof(EmulatedMap)));
    map->vertexBuffer = vertexBuffer;
    map->indexBuffer = indexBuffer;
    map->attributeCount = count;
    for (int i = 0; i < count; ++i)
    {
        map->attributes[i] = attributes[i];
        map->offsets[i] = map->stride;
        map->stride += attributes[i].components * VertexComponentSize(attributes[i].type);
    }
    return reinterpret_cast<VertexMap>(map);
}
} // namespace

uint32_t VertexComponentSize(uint32_t type)
{
    switch (type)
    {
    case GL_BYTE:
    case GL_UNSIGNED_BYTE:
        return 1;
    case GL_SHORT:
    case GL_UNSIGNED_SHORT:
    case GL_2_BYTES:
        return 2;
    case GL_INT:
    case GL_UNSIGNED_INT:
    case GL_FLOAT:
        return 4;
    default:
        return 0;
    }
}

VertexMap VertexMap_Create(uint32_t vertexBuffer, uint32_t indexBuffer, uint32_t stride, int attributeCount,
                           const VertexAttribute* attributes)
{
    if (!ValidAttributes(attributeCount, attributes))
    {
        LogError("VertexMap_Create - %d attributes do not fit the twelve locations.\n", attributeCount);
        return 0;
    }
    if (GLCapsUsable(kGLCapVertexArrayObjects))
        return CreateVertexArray(vertexBuffer, indexBuffer, stride, attributeCount, attributes);
    return CreateEmulated(vertexBuffer, indexBuffer, attributeCount, attributes);
}

void VertexMapDestroy(VertexMap map)
{
    if (map == 0)
        return;
    if (map == g_current)
        VertexMapBind(0);
    if (GLCapsUsable(kGLCapVertexArrayObjects))
    {
        const GLuint name = GLuint(map);
        glDeleteVertexArrays(1, &name);
    }
    else
        free(reinterpret_cast<EmulatedMap*>(map));
}

bool VertexMapBind(VertexMap map)
{
    if (map == g_current)
        return false;
    g_current = map;
    if (GLCapsUsable(kGLCapVertexArrayObjects))
        glBindVertexArray(GLuint(map));
    else
        BindEmulated(reinterpret_cast<const EmulatedMap*>(map));
    return true;
}

VertexMap VertexMapGetCurrent()
{
    return g_current;
}

bool VertexMapClientArrayEnabled(int location)
{
    if (location < 0 || location >= kVertexMapMaxAttributes || kArrayOfLocation[location] == kArrayNone)
        return false;
    return g_enabledBefore[kArrayOfLocation[location]];
}
