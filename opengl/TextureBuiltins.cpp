#include "opengl/TextureBuiltins.h"

#include "opengl/Image.h"
#include "opengl/Texture.h"

#include <GL/glew.h>

#include <cstring>

namespace
{
constexpr int kSide = 4;
constexpr int kTexels = kSide * kSide;

Texture* g_builtins[kTextureBuiltinCount];

void Fill(uint8_t* texels, const uint8_t rgba[4])
{
    for (int i = 0; i < kTexels; ++i)
        memcpy(texels + i * 4, rgba, 4);
}

void FillCheck(uint8_t* texels)
{
    static const uint8_t kColours[4][4] = {
        {255, 255, 0, 255}, {0, 0, 191, 255}, {64, 64, 255, 255}, {191, 191, 64, 255}};
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            memcpy(texels + (y * kSide + x) * 4, kColours[(y / 2) * 2 + x / 2], 4);
}

void FillSsaoRandom(uint8_t* texels)
{
    static const uint8_t kGreys[kTexels] = {16, 207, 64, 255, 143, 80,  191, 128,
                                            48, 239, 32, 223, 175, 112, 159, 96};
    for (int i = 0; i < kTexels; ++i)
        memset(texels + i * 4, kGreys[i], 4);
}

Texture* Make(const char* name, const uint8_t* texels)
{
    Image image;
    image.Wrap(kImageFormatRGBA, kSide, kSide, const_cast<uint8_t*>(texels));
    Texture* texture = new Texture;
    texture->Upload(image, false);
    // Linear filtering without mip levels.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    texture->m_name = name;
    return texture;
}
} // namespace

void TextureBuiltinsCreate()
{
    static const uint8_t kBlack[4] = {0, 0, 0, 255}, kWhite[4] = {255, 255, 255, 255},
                         kClear[4] = {0, 0, 0, 0};
    uint8_t texels[kTexels * 4];
    TextureBuiltinsDestroy();
    Fill(texels, kBlack);
    g_builtins[kTextureDefaultBlack] = Make("* default black", texels);
    Fill(texels, kWhite);
    g_builtins[kTextureDefaultWhite] = Make("* default white", texels);
    Fill(texels, kClear);
    g_builtins[kTextureDefaultClear] = Make("* default clear", texels);
    FillCheck(texels);
    g_builtins[kTextureDefaultCheck] = Make("* default check", texels);
    FillSsaoRandom(texels);
    g_builtins[kTextureSsaoRandom] = Make("* ssao random  ", texels);
}

void TextureBuiltinsDestroy()
{
    for (Texture*& texture : g_builtins)
    {
        delete texture;
        texture = nullptr;
    }
}

Texture* TextureBuiltin(TextureBuiltinId id)
{
    return id >= 0 && id < kTextureBuiltinCount ? g_builtins[id] : nullptr;
}
