#pragma once
// A GL texture with its name (the file path, or a built-in name). Textures
// read from files are cached in the file table (kind 'txtr') and shared by
// reference; textures made from images in memory belong to their creator.

#include "core/FixedString.h"

#include <cstdint>
#include <vector>

class Image;

class Texture
{
public:
    FixedString128 m_name;
    int m_width = 0;
    int m_height = 0;
    uint32_t m_glName = 0;
    uint32_t m_glTarget = 0x0DE1; // GL_TEXTURE_2D
    uint32_t m_glInternalFormat = 0;
    // New at every upload, across all textures: a reader's copy of the
    // texels is stale once it differs, even for a new texture at an old address.
    uint64_t m_uploadSerial = 0;

    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // (Re)creates the GL texture from the image. Formats 2 and 5 to 8 upload
    // level 0 (with GL's own mip generation when asked); the block formats
    // upload their whole chain, capped at its last level. False, with no
    // image uploaded, for other formats.
    bool Upload(const Image& image, bool generateMips);
    void SetNearestFilter();
    void SetClampToEdge();

    // Reads the file again into the same record (the address holders keep).
    static bool Reload(Texture* texture, const char* path);
    // The alpha at the normalised point (u, v) of level 0; 0 for a null
    // texture, a point outside 0..1, or a texture too large for the read buffer.
    static float ReadPixels(Texture* texture, float u, float v);
};

constexpr int kTextureReadPixelsCapacity = 262144;

// The GL name, 0 for a null texture.
uint32_t TextureGLName(const Texture* texture);
void TextureSetNearestFilter(Texture* texture);
void TextureSetClampToEdge(Texture* texture);

// A new unnamed texture uploaded without mips (its users set nearest
// filtering); null when the image's format cannot be uploaded.
Texture* TextureFromImage(const Image& image);

// The cached texture of a file, with one more reference; null (reported with
// "Could not create texture for file: %s\n" when `report`) when it cannot be made.
Texture* TextureLoad(const char* path, bool report);
// Drops the holder's reference and clears the holder; the texture is freed
// with its last reference, or at once when it is not cached.
void TextureRelease(Texture** holder);

// The developer key's list: the names of the textures loaded since the last
// report whose sides are not powers of two go to the debug print, and the
// list starts again.
void TextureReportNonPowerOfTwo();
const std::vector<FixedString128>& TextureNonPowerOfTwoNames();
