#pragma once
// A GL texture with its name (the file path, or a built-in name).

#include "core/FixedString.h"

#include <cstdint>

class Texture
{
public:
    FixedString128 m_name;
    int m_width = 0;
    int m_height = 0;
    uint32_t m_glName = 0;
    uint32_t m_glTarget = 0x0DE1; // GL_TEXTURE_2D
    uint32_t m_glInternalFormat = 0;
};

// The GL name, 0 for a null texture.
uint32_t TextureGLName(const Texture* texture);
