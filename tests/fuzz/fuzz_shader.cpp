// Shader program files: the whole file split at the fragment marker into its two sources, as a load
// does before handing them to GL.
#include "FuzzTarget.h"

#include "opengl/ShaderProgram.h"

#include <cstring>
#include <vector>

FUZZ_TARGET(shader)(const uint8_t* data, size_t size)
{
    std::vector<char> text(data, data + size);
    text.push_back(0);
    const char* vertex = nullptr;
    const char* fragment = nullptr;
    if (ShaderSplitSource(text.data(), &vertex, &fragment))
    {
        // Both sources must be zero-ended inside the file's own copy.
        const char* end = text.data() + text.size();
        if (vertex + strlen(vertex) >= end || fragment + strlen(fragment) >= end)
            __builtin_trap();
    }
    return 0;
}
