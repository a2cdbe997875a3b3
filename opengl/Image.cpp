#include "opengl/Image.h"

#include <cstdlib>
#include <cstring>

namespace
{
uint64_t BlockCount(uint32_t width, uint32_t height)
{
    return uint64_t((width + 3ull) / 4) * ((height + 3ull) / 4);
}

uint64_t UncheckedAllocationSize(uint32_t format, uint32_t width, uint32_t height)
{
    const uint64_t area = uint64_t(width) * height;
    switch (format)
    {
    case kImageFormatDXT1:
        return BlockCount(width, height) * 8;
    case kImageFormatDXT3:
    case kImageFormatDXT5:
    {
        const uint64_t bytes = BlockCount(width, height) * 16;
        return bytes < 16 ? 16 : bytes;
    }
    default:
        return area * Image::BytesPerPixel(format);
    }
}

uint64_t WrapSize(uint32_t format, uint32_t width, uint32_t height)
{
    const uint64_t area = uint64_t(width) * height;
    switch (format)
    {
    case kImageFormatDXT1:
        return area / 2 < 8 ? 8 : area / 2;
    case kImageFormatDXT3:
    case kImageFormatDXT5:
        return area < 16 ? 16 : area;
    default:
        return area * Image::BytesPerPixel(format);
    }
}

uint32_t ClampTo32(uint64_t size)
{
    return size > UINT32_MAX ? 0 : uint32_t(size);
}
} // namespace

uint32_t Image::BytesPerPixel(uint32_t format)
{
    static const uint8_t kBytes[kImageFormatCount] = {1, 1, 1, 2, 2, 3, 4, 3, 4, 0, 0, 0};
    return format < kImageFormatCount ? kBytes[format] : 0;
}

bool Image::IsCompressed(uint32_t format)
{
    return format == kImageFormatDXT1 || format == kImageFormatDXT3 || format == kImageFormatDXT5;
}

uint32_t Image::AllocationSize(uint32_t format, uint32_t width, uint32_t height)
{
    if (format >= kImageFormatCount)
        return 0;
    return ClampTo32(UncheckedAllocationSize(format, width, height));
}

bool Image::Allocate(uint32_t newFormat, uint32_t newWidth, uint32_t newHeight)
{
    Free();
    const uint32_t bytes = AllocationSize(newFormat, newWidth, newHeight);
    if (bytes == 0)
        return false;
    pixels = static_cast<uint8_t*>(calloc(bytes, 1));
    if (!pixels)
        return false;
    m_ownsPixels = true;
    width = newWidth;
    height = newHeight;
    format = newFormat;
    size = bytes;
    return true;
}

void Image::Wrap(uint32_t newFormat, uint32_t newWidth, uint32_t newHeight, uint8_t* newPixels)
{
    Free();
    width = newWidth;
    height = newHeight;
    format = newFormat;
    pixels = newPixels;
    size = newFormat < kImageFormatCount ? ClampTo32(WrapSize(newFormat, newWidth, newHeight)) : 0;
}

void Image::FlipVertical()
{
    const uint32_t bytesPerPixel = BytesPerPixel(format);
    if (bytesPerPixel == 0 || !pixels || height < 2)
        return;
    const size_t stride = size_t(width) * bytesPerPixel;
    uint8_t* row = static_cast<uint8_t*>(malloc(stride));
    if (!row)
        return;
    for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
    {
        uint8_t* a = pixels + top * stride;
        uint8_t* b = pixels + bottom * stride;
        memcpy(row, a, stride);
        memcpy(a, b, stride);
        memcpy(b, row, stride);
    }
    free(row);
}

void Image::Free()
{
    if (m_ownsPixels)
        free(pixels);
    pixels = nullptr;
    m_ownsPixels = false;
    size = 0;
    width = 0;
    height = 0;
    // Unlinked level by level so a long chain never recurses deeply.
    Image* level = nextMip;
    nextMip = nullptr;
    while (level)
    {
        Image* next = level->nextMip;
        level->nextMip = nullptr;
        delete level;
        level = next;
    }
}

uint32_t Image::MipCount() const
{
    uint32_t count = 0;
    for (const Image* level = this; level; level = level->nextMip)
        ++count;
    return count;
}

bool IsPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}
