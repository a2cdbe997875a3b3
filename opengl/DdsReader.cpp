#include "opengl/DdsReader.h"

#include "core/LogError.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"

#include <cstring>

namespace
{
constexpr uint32_t kOffsetHeight = 12;
constexpr uint32_t kOffsetWidth = 16;
constexpr uint32_t kOffsetLinearSize = 20;
constexpr uint32_t kOffsetMipCount = 28;
constexpr uint32_t kOffsetPixelFlags = 80;
constexpr uint32_t kOffsetFourCC = 84;

constexpr uint32_t FourCC(char a, char b, char c, char d)
{
    return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
           (uint32_t(uint8_t(d)) << 24);
}

uint32_t FormatOfFourCC(uint32_t fourCC)
{
    switch (fourCC)
    {
    case FourCC('D', 'X', 'T', '1'):
        return kImageFormatDXT1;
    case FourCC('D', 'X', 'T', '3'):
        return kImageFormatDXT3;
    case FourCC('D', 'X', 'T', '5'):
        return kImageFormatDXT5;
    default:
        return kImageFormatCount;
    }
}

uint32_t FullChainLength(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    while (width > 1 || height > 1)
    {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        ++levels;
    }
    return levels;
}

// Copies one level out of the file at `offset`; null when its bytes are not all there.
Image* ReadLevel(const uint8_t* bytes, size_t size, size_t offset, uint32_t format, uint32_t width,
                 uint32_t height)
{
    const uint32_t levelSize = Image::AllocationSize(format, width, height);
    if (levelSize == 0 || offset > size || size - offset < levelSize)
        return nullptr;
    Image* level = new Image;
    if (!level->Allocate(format, width, height))
    {
        delete level;
        return nullptr;
    }
    memcpy(level->pixels, bytes + offset, levelSize);
    return level;
}
} // namespace

Image* DDS_ImageLoadHandler(const uint8_t* bytes, size_t size, const char* name)
{
    if (size < kDdsHeaderSize || memcmp(bytes, "DDS ", 4) != 0)
    {
        LogError("DDS_ImageLoadHandler - %s is not a DDS file.\n", name);
        return nullptr;
    }
    const uint32_t pixelFlags = LoadU32LE(bytes + kOffsetPixelFlags);
    const uint32_t fourCC = LoadU32LE(bytes + kOffsetFourCC);
    if ((pixelFlags & fourCC) == 0)
    {
        LogError("Unsupported DDS type %s.\n", name);
        return nullptr;
    }
    const uint32_t format = FormatOfFourCC(fourCC);
    if (format == kImageFormatCount)
    {
        LogError("DDS_ImageLoadHandler - unrecognised fourCC code 0x%08x in %s.\n", fourCC, name);
        return nullptr;
    }
    uint32_t width = LoadU32LE(bytes + kOffsetWidth);
    uint32_t height = LoadU32LE(bytes + kOffsetHeight);
    const uint32_t topSize = Image::AllocationSize(format, width, height);
    if (width == 0 || height == 0 || LoadU32LE(bytes + kOffsetLinearSize) > topSize)
    {
        LogError("DDS_ImageLoadHandler - bad size %ux%u in %s.\n", width, height, name);
        return nullptr;
    }
    Image* top = ReadLevel(bytes, size, kDdsHeaderSize, format, width, height);
    if (!top)
    {
        LogError("DDS_ImageLoadHandler - %s ends within its image.\n", name);
        return nullptr;
    }
    const uint32_t fullChain = FullChainLength(width, height);
    uint32_t mipCount = LoadU32LE(bytes + kOffsetMipCount);
    if (mipCount > fullChain)
        mipCount = fullChain;
    size_t offset = kDdsHeaderSize + top->size;
    Image* last = top;
    for (uint32_t level = 1; level < mipCount; ++level)
    {
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
        Image* next = ReadLevel(bytes, size, offset, format, width, height);
        if (!next)
        {
            LogError("DDS_ImageLoadHandler - %s holds %u of its %u mip levels.\n", name, level, mipCount);
            break;
        }
        offset += next->size;
        last->nextMip = next;
        last = next;
    }
    return top;
}
