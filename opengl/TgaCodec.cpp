#include "opengl/TgaCodec.h"

#include "core/LogError.h"
#include "opengl/Image.h"
#include "opengl/ImageByteStream.h"

#include <cstring>

namespace
{
constexpr uint8_t kTypeTrueColour = 2;
constexpr uint8_t kTypeRunLengthTrueColour = 10;
constexpr uint8_t kDescriptorTopLeft = 0x20;

struct TgaHeader
{
    uint8_t idLength;
    uint8_t colourMapType;
    uint8_t imageType;
    uint16_t colourMapLength;
    uint8_t colourMapDepth;
    uint16_t yOrigin;
    uint16_t width;
    uint16_t height;
    uint8_t bitsPerPixel;
    uint8_t descriptor;
};

TgaHeader ParseHeader(const uint8_t* bytes)
{
    TgaHeader header;
    header.idLength = bytes[0];
    header.colourMapType = bytes[1];
    header.imageType = bytes[2];
    header.colourMapLength = LoadU16LE(bytes + 5);
    header.colourMapDepth = bytes[7];
    header.yOrigin = LoadU16LE(bytes + 10);
    header.width = LoadU16LE(bytes + 12);
    header.height = LoadU16LE(bytes + 14);
    header.bitsPerPixel = bytes[16];
    header.descriptor = bytes[17];
    return header;
}

// The id field and a colour map precede the pixels; a true-colour image
// does not use the map, so both are only stepped over.
size_t PixelDataOffset(const TgaHeader& header)
{
    size_t offset = kTgaHeaderSize + header.idLength;
    if (header.colourMapType != 0)
        offset += size_t(header.colourMapLength) * ((header.colourMapDepth + 7) / 8);
    return offset;
}

// Fills the image from run-length packets; a packet that runs past the end
// of the image is clipped. False when the data ends before the image is full.
bool DecodeRunLength(const uint8_t* data, size_t size, Image& image, uint32_t bytesPerPixel)
{
    uint8_t* out = image.pixels;
    uint8_t* const end = image.pixels + image.size;
    size_t position = 0;
    while (out < end)
    {
        if (position >= size)
            return false;
        const uint8_t packet = data[position++];
        const size_t remaining = size_t(end - out) / bytesPerPixel;
        size_t count = (packet & 127u) + 1;
        if (count > remaining)
            count = remaining;
        if (packet < 128)
        {
            const size_t bytes = count * bytesPerPixel;
            if (size - position < bytes)
                return false;
            memcpy(out, data + position, bytes);
            position += bytes;
            out += bytes;
            continue;
        }
        if (size - position < bytesPerPixel)
            return false;
        for (size_t i = 0; i < count; ++i, out += bytesPerPixel)
            memcpy(out, data + position, bytesPerPixel);
        position += bytesPerPixel;
    }
    return true;
}
} // namespace

Image* TGA_ImageLoadHandler(const uint8_t* bytes, size_t size, const char* name)
{
    if (size < kTgaHeaderSize)
    {
        LogError("TGA_ImageLoadHandler - %s is too short for a TGA file.\n", name);
        return nullptr;
    }
    const TgaHeader header = ParseHeader(bytes);
    if (header.imageType != kTypeTrueColour && header.imageType != kTypeRunLengthTrueColour)
    {
        LogError("TGA_ImageLoadHandler - Only supports true color files.\n");
        return nullptr;
    }
    if (header.bitsPerPixel != 24 && header.bitsPerPixel != 32)
    {
        LogError("TGA_ImageLoadHandler - Does not support %d bits per pixel.\n", header.bitsPerPixel);
        return nullptr;
    }
    const size_t offset = PixelDataOffset(header);
    const uint32_t bytesPerPixel = header.bitsPerPixel / 8;
    const uint32_t format = bytesPerPixel == 3 ? kImageFormatBGR : kImageFormatBGRA;
    const size_t pixelBytes = size_t(header.width) * header.height * bytesPerPixel;
    const bool plain = header.imageType == kTypeTrueColour;
    // A run-length packet of at least four bytes covers at most 128 pixels,
    // so a file claiming more pixels than that cannot fill its image.
    const size_t pixelCount = size_t(header.width) * header.height;
    if (header.width == 0 || header.height == 0 || offset > size || (plain && size - offset < pixelBytes) ||
        (!plain && pixelCount / 32 > size - offset))
    {
        LogError("TGA_ImageLoadHandler - %s ends within its image.\n", name);
        return nullptr;
    }
    Image* image = new Image;
    if (!image->Allocate(format, header.width, header.height))
    {
        LogError("TGA_ImageLoadHandler - no memory for %s.\n", name);
        delete image;
        return nullptr;
    }
    bool complete = true;
    if (plain)
        memcpy(image->pixels, bytes + offset, pixelBytes);
    else
        complete = DecodeRunLength(bytes + offset, size - offset, *image, bytesPerPixel);
    if (!complete)
    {
        LogError("TGA_ImageLoadHandler - %s ends within its image.\n", name);
        delete image;
        return nullptr;
    }
    if (header.yOrigin == 0 && (header.descriptor & kDescriptorTopLeft) == 0)
        image->FlipVertical();
    return image;
}

bool TGA_ImageSaveHandler(const Image& image, ImageByteSink& sink)
{
    if (image.format != kImageFormatBGR || !image.pixels || image.width > 0xFFFF || image.height > 0xFFFF)
    {
        LogError("TGA_ImageSaveHandler - unsupported pixel format.\n");
        return false;
    }
    uint8_t header[kTgaHeaderSize] = {};
    header[2] = kTypeTrueColour;
    header[12] = uint8_t(image.width);
    header[13] = uint8_t(image.width >> 8);
    header[14] = uint8_t(image.height);
    header[15] = uint8_t(image.height >> 8);
    header[16] = 24;
    static const char kFooter[26] = "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.";
    const size_t pixelBytes = size_t(image.width) * image.height * 3;
    const bool written = sink.Write(header, sizeof header) && sink.Write(image.pixels, pixelBytes) &&
                         sink.Write(kFooter, sizeof kFooter) && sink.Flush();
    if (!written)
        LogError("TGA_ImageSaveHandler - could not write the image.\n");
    return written;
}
