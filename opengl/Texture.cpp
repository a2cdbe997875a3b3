#include "opengl/Texture.h"

uint32_t TextureGLName(const Texture* texture) { return texture ? texture->m_glName : 0; }
