#include "opengl/Texture.h"

#include "core/FileTable.h"
#include "core/LogError.h"
#include "core/StringUtil.h"
#include "core/pd_ifstream.h"
#include "opengl/GLCheckError.h"
#include "opengl/GLState.h"
#include "opengl/Image.h"
#include "opengl/ImageLoader.h"
#include "opengl/ResourceCache.h"
#include "opengl/TextureBuiltins.h"

#include <GL/glew.h>

#include <cstring>
#include <memory>

namespace
{
// Loaded textures whose sides are not powers of two, until the next report.
std::vector<FixedString128> g_nonPowerOfTwoNames;

struct UploadFormat
{
    GLint internalFormat;
    GLenum externalFormat;
};

bool UncompressedFormat(uint32_t format, UploadFormat& out)
{
    switch (format)
    {
    case kImageFormatLuminance:
        out = {GL_LUMINANCE8, GL_LUMINANCE};
        return true;
    case kImageFormatRGB:
        out = {GL_RGB, GL_RGB};
        return true;
    case kImageFormatRGBA:
        out = {GL_RGBA, GL_RGBA};
        return true;
    case kImageFormatBGR:
        out = {GL_RGB, GL_BGR};
        return true;
    case kImageFormatBGRA:
        out = {GL_RGBA, GL_BGRA};
        return true;
    default:
        return false;
    }
}

GLenum CompressedFormat(uint32_t format)
{
    switch (format)
    {
    case kImageFormatDXT1:
        return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
    case kImageFormatDXT3:
        return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
    case kImageFormatDXT5:
        return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
    default:
        return 0;
    }
}

void UploadUncompressed(const Image& image, const UploadFormat& format, bool generateMips)
{
    glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, generateMips ? GL_TRUE : GL_FALSE);
    // Our rows are packed: a 3-byte pixel row of odd width ends off GL's
    // default 4-byte alignment.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, format.internalFormat, GLsizei(image.width), GLsizei(image.height), 0,
                 format.externalFormat, GL_UNSIGNED_BYTE, image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}

// A chain that a file cut short stops above 1 x 1; the level limit keeps GL
// from waiting for the levels that are not there.
void UploadCompressed(const Image& image, GLenum format)
{
    GLint level = 0;
    for (const Image* mip = &image; mip; mip = mip->nextMip, ++level)
        glCompressedTexImage2D(GL_TEXTURE_2D, level, format, GLsizei(mip->width), GLsizei(mip->height), 0,
                               GLsizei(mip->size), mip->pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level - 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, level == 1 ? GL_LINEAR : GL_LINEAR_MIPMAP_LINEAR);
}

void DeleteGLTexture(Texture& texture)
{
    if (texture.m_glName == 0)
        return;
    GLBindTextureForget(&texture);
    const GLuint name = texture.m_glName;
    glDeleteTextures(1, &name);
    texture.m_glName = 0;
}

float g_readBuffer[kTextureReadPixelsCapacity];

bool IsBuiltin(const Texture* texture)
{
    for (int id = 0; id < kTextureBuiltinCount; ++id)
        if (TextureBuiltin(TextureBuiltinId(id)) == texture)
            return true;
    return false;
}

// A ".chtex" file has no reader: no texture is made from it.
bool IsUnsupportedTexturePath(const char* path)
{
    FixedString256 lower(path);
    StringToLower(lower.data());
    return lower.EndsWith(".chtex");
}

Texture* LoadUncached(const char* path)
{
    if (IsUnsupportedTexturePath(path))
        return nullptr;
    const std::unique_ptr<Image> image(ImageLoader::new_MemoryImage(path, kOpenTable));
    if (!image)
        return nullptr;
    auto texture = std::make_unique<Texture>();
    if (!texture->Upload(*image, true))
        return nullptr;
    texture->m_name = path;
    return texture.release();
}
} // namespace

Texture::~Texture()
{
    DeleteGLTexture(*this);
}

bool Texture::Upload(const Image& image, bool generateMips)
{
    DeleteGLTexture(*this);
    static uint64_t uploads = 0;
    m_uploadSerial = ++uploads;
    m_width = int(image.width);
    m_height = int(image.height);
    GLuint name = 0;
    glGenTextures(1, &name);
    m_glName = name;
    GLBindTexture(0, this);
    UploadFormat uncompressed;
    const GLenum compressed = CompressedFormat(image.format);
    bool uploaded = true;
    if (UncompressedFormat(image.format, uncompressed))
    {
        UploadUncompressed(image, uncompressed, generateMips);
        m_glInternalFormat = uint32_t(uncompressed.internalFormat);
    }
    else if (compressed != 0)
    {
        UploadCompressed(image, compressed);
        m_glInternalFormat = compressed;
    }
    else
        uploaded = false;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    GL_CHECK_ERROR("Texture::Upload");
    return uploaded;
}

void Texture::SetNearestFilter()
{
    GLBindTexture(0, this);
    GLSelectTextureUnit(0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
}

void Texture::SetClampToEdge()
{
    GLBindTexture(0, this);
    GLSelectTextureUnit(0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

bool Texture::Reload(Texture* texture, const char* path)
{
    const std::unique_ptr<Image> image(texture ? ImageLoader::new_MemoryImage(path, kOpenTable) : nullptr);
    if (!image)
    {
        LogError("Could not reload texture from file: %s\n", path);
        return false;
    }
    texture->Upload(*image, true);
    return true;
}

float Texture::ReadPixels(Texture* texture, float u, float v)
{
    if (!texture || !(u >= 0.0f && u <= 1.0f && v >= 0.0f && v <= 1.0f))
        return 0.0f;
    const int64_t texels = int64_t(texture->m_width) * texture->m_height;
    if (texels <= 0 || texels > kTextureReadPixelsCapacity)
    {
        LogError("Texture::ReadPixels - %s is too large to read back.\n", texture->m_name.c_str());
        return 0.0f;
    }
    GLBindTexture(0, texture);
    GLSelectTextureUnit(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_ALPHA, GL_FLOAT, g_readBuffer);
    // u or v of exactly 1.0 would land one past the last texel.
    int column = int(float(texture->m_width) * u);
    int row = int(float(texture->m_height) * v);
    column = column < texture->m_width ? column : texture->m_width - 1;
    row = row < texture->m_height ? row : texture->m_height - 1;
    return g_readBuffer[row * texture->m_width + column];
}

uint32_t TextureGLName(const Texture* texture)
{
    return texture ? texture->m_glName : 0;
}

void TextureSetNearestFilter(Texture* texture)
{
    if (texture)
        texture->SetNearestFilter();
}

void TextureSetClampToEdge(Texture* texture)
{
    if (texture)
        texture->SetClampToEdge();
}

Texture* TextureFromImage(const Image& image)
{
    auto texture = std::make_unique<Texture>();
    return texture->Upload(image, false) ? texture.release() : nullptr;
}

Texture* TextureLoad(const char* path, bool report)
{
    // The record keeps the name it is released under: a longer one would be
    // cached under one name and released under another.
    if (!path || strlen(path) > static_cast<size_t>(FixedString128::kCapacity))
    {
        if (report)
            LogError("Could not create texture for file: %.200s (the name is too long)\n", path ? path : "");
        return nullptr;
    }
    if (void* cached = ResourceCacheFind(path, kResourceTexture))
        return static_cast<Texture*>(cached);
    Texture* texture = LoadUncached(path);
    if (!texture)
    {
        if (report)
            LogError("Could not create texture for file: %s\n", path);
        return nullptr;
    }
    ResourceCacheStore(path, texture, kResourceTexture);
    if (!IsPowerOfTwo(texture->m_width) || !IsPowerOfTwo(texture->m_height))
        g_nonPowerOfTwoNames.push_back(texture->m_name);
    return texture;
}

const std::vector<FixedString128>& TextureNonPowerOfTwoNames()
{
    return g_nonPowerOfTwoNames;
}

void TextureReportNonPowerOfTwo()
{
    EmptyFunction("Non power of two textures loaded!: \n");
    int number = 0;
    for (const FixedString128& name : g_nonPowerOfTwoNames)
        EmptyFunction("%16d.) %s \n", number++, name.c_str());
    g_nonPowerOfTwoNames.clear();
}

void TextureRelease(Texture** holder)
{
    if (!holder || !*holder)
        return;
    Texture* texture = *holder;
    *holder = nullptr;
    // The built-in textures live from start-up to shutdown whoever holds them.
    if (!IsBuiltin(texture) && ResourceCacheRelease(texture->m_name, texture))
        delete texture;
}
