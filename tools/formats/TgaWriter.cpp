#include "tools/formats/TgaWriter.h"

#include <cstring>

namespace
{
void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

// Run-length packets within one row: runs of equal pixels become repeat
// packets, everything else raw packets, at most 128 pixels each.
void EncodeRow(std::vector<uint8_t>& out, const uint8_t* row, uint16_t width, size_t pixelSize)
{
    auto same = [&](uint16_t a, uint16_t b)
    { return memcmp(row + a * pixelSize, row + b * pixelSize, pixelSize) == 0; };
    uint16_t x = 0;
    while (x < width)
    {
        uint16_t run = 1;
        while (x + run < width && run < 128 && same(x, x + run))
            ++run;
        if (run > 1)
        {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), row + x * pixelSize, row + (x + 1) * pixelSize);
            x += run;
            continue;
        }
        uint16_t raw = 1;
        while (x + raw < width && raw < 128 && !(x + raw + 1 < width && same(x + raw, x + raw + 1)))
            ++raw;
        out.push_back(uint8_t(raw - 1));
        out.insert(out.end(), row + x * pixelSize, row + (x + raw) * pixelSize);
        x += raw;
    }
}
} // namespace

std::vector<uint8_t> TgaWrite(const uint8_t* pixels, uint16_t width, uint16_t height,
                              const TgaWriteOptions& options)
{
    std::vector<uint8_t> out;
    out.push_back(options.idLength);
    out.push_back(options.colourMapLength ? 1 : 0);
    out.push_back(options.imageType);
    PutU16(out, 0);
    PutU16(out, options.colourMapLength);
    out.push_back(options.colourMapLength ? 24 : 0);
    PutU16(out, 0);
    PutU16(out, options.yOrigin);
    PutU16(out, width);
    PutU16(out, height);
    out.push_back(options.bitsPerPixel);
    out.push_back(uint8_t((options.topLeftOrigin ? 0x20 : 0) | (options.bitsPerPixel == 32 ? 8 : 0)));
    out.insert(out.end(), options.idLength, uint8_t('i'));
    out.insert(out.end(), size_t(options.colourMapLength) * 3, uint8_t(0x7F));
    const size_t pixelSize = options.bitsPerPixel / 8;
    const size_t stride = width * pixelSize;
    for (uint16_t y = 0; y < height; ++y)
    {
        const uint16_t sourceRow = options.topLeftOrigin ? y : uint16_t(height - 1 - y);
        const uint8_t* row = pixels + sourceRow * stride;
        if (options.imageType == 10)
            EncodeRow(out, row, width, pixelSize);
        else
            out.insert(out.end(), row, row + stride);
    }
    return out;
}
