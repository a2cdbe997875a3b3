#pragma once
// An image in memory: the pixels of one level, top row first, with the next
// smaller mip level linked behind it. The readers of DDS, TGA and JPEG files
// produce them; the texture upload and the screenshot writers consume them.

#include <cstddef>
#include <cstdint>

enum ImageFormat : uint32_t
{
    kImageFormatByte0 = 0,
    kImageFormatByte1 = 1,
    kImageFormatLuminance = 2,
    kImageFormatShort0 = 3,
    kImageFormatShort1 = 4,
    kImageFormatRGB = 5,
    kImageFormatRGBA = 6,
    kImageFormatBGR = 7,
    kImageFormatBGRA = 8,
    kImageFormatDXT1 = 9,
    kImageFormatDXT3 = 10,
    kImageFormatDXT5 = 11,
    kImageFormatCount = 12,
};

class Image
{
public:
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = kImageFormatByte0;
    uint8_t* pixels = nullptr;
    uint32_t size = 0;
    Image* nextMip = nullptr;

    Image() = default;
    ~Image() { Free(); }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // Owned, zeroed pixels for the format; false (and an empty image) for a
    // format without a size or dimensions too large to address.
    bool Allocate(uint32_t format, uint32_t width, uint32_t height);
    // Borrowed pixels: the image neither copies nor frees them.
    void Wrap(uint32_t format, uint32_t width, uint32_t height, uint8_t* pixels);
    void FlipVertical();
    // Frees owned pixels and the whole mip chain behind this level.
    void Free();

    // Levels in the chain, this one included.
    uint32_t MipCount() const;
    // Bytes of one pixel for formats 0 to 8, 0 for block formats and others.
    static uint32_t BytesPerPixel(uint32_t format);
    static bool IsCompressed(uint32_t format);
    // The size Allocate gives; 0 for formats without one or when it would not
    // fit 32 bits.
    static uint32_t AllocationSize(uint32_t format, uint32_t width, uint32_t height);

private:
    bool m_ownsPixels = false;
};

bool IsPowerOfTwo(int n);
